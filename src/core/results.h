// A command's results: the figures it works out, at full precision, in a
// plain struct, and one row for each saying how it is named and shown.
// The window's lines (a box's text, the output window's labels), the
// command line's lines, its JSON and its batch columns are all made from
// the struct through its rows: nothing is worked out twice.
//
//   inline constexpr ResultRow<ForwardFigures> kForwardResults[] = {
//       {{"forward_value", "The value of the forward contract is ", four_decimal_text, " dollars"},
//        &ForwardFigures::value},
//       ...
//   };
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tvx {

// How one result is named and shown.
struct ResultLine {
    const char* name;              // its JSON key and batch column
    std::string_view prefix;       // the text before the number
    std::string (*text)(double);   // how the number is written
    std::string_view suffix = {};  // the text after it
};

// "<prefix><number text><suffix>".
std::string result_line(const ResultLine& line, double x);
// The same, added to `text`.
void append_result_line(std::string& text, const ResultLine& line, double x);
// Throws what writing the line's number would throw, without writing it: a
// command asked for its figures alone still fails where its lines would.
void check_result_line(const ResultLine& line, double x);

// General number text with up to 15 significant digits (general_text).
std::string general_15(double x);

template <class Results>
struct ResultRow {
    ResultLine line;
    double Results::*value;
};

template <class Results>
using ResultTable = std::span<const ResultRow<Results>>;

// One result at full precision, named by its ResultLine.
struct Figure {
    const char* name;
    double value;
};

// The lines of the results, one a row, joined by a carriage return: a
// message box's text.
template <class Results>
std::string results_text(std::type_identity_t<ResultTable<Results>> table, const Results& r) {
    std::string text;
    text.reserve(48 * table.size());
    for (std::size_t k = 0; k < table.size(); ++k) {
        if (k > 0) text += '\r';
        append_result_line(text, table[k].line, r.*table[k].value);
    }
    return text;
}

// Every result with its name, in the rows' order.
template <class Results>
std::vector<Figure> figures_of(std::type_identity_t<ResultTable<Results>> table, const Results& r) {
    std::vector<Figure> figures;
    figures.reserve(table.size());
    for (const ResultRow<Results>& row : table) figures.push_back({row.line.name, r.*row.value});
    return figures;
}

}  // namespace tvx
