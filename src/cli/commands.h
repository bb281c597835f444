// The commands of the command line, each a window's command driven through
// the command-line interface: the fields a command reads (named as its
// options and batch columns, with the window's default texts), and what a
// run of it gives back.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/results.h"
#include "pricing/monte_carlo.h"

namespace tvx::cli {

enum class FieldKind {
    Number,      // number text, read by the window's own rule
    Text,        // a file name
    Flag,        // "1" or "0"
    Positional,  // number text given as a bare argument (the prediction's inputs)
    Choice,      // one word of a few, named in its help (the American method)
};

struct Field {
    Field() = default;
    Field(std::string name_, std::string help_, FieldKind kind_ = FieldKind::Number, std::string default_text_ = {},
          std::string value_name_ = {})
        : name(std::move(name_)),
          help(std::move(help_)),
          kind(kind_),
          default_text(std::move(default_text_)),
          value_name(std::move(value_name_)) {}

    std::string name;  // the batch column; the option is "--" and the name with "-" for "_"
    std::string help;
    FieldKind kind = FieldKind::Number;
    std::string default_text;  // a flag's is "0"
    std::string value_name;    // what the help calls a text field's value (FILE when empty)
};

struct Request;

struct Outcome {
    int status = 0;
    std::vector<std::string> lines;     // what the command shows on success, one line each
    std::vector<std::string> messages;  // the message boxes' texts, in order (lines split at "\r")
    std::vector<Figure> figures;        // every result at full precision
    std::optional<McStats> simulation;  // the value's (or the last search step's) simulation
    std::optional<std::string> method;  // the method that valued an American option
    bool exact = false;                 // the figures are exact (--exact)
    std::optional<double> life_years;   // the life in years an expiry date gave
};

struct CommandSpec {
    std::string name;
    std::string summary;
    std::vector<Field> fields;
    std::vector<const char*> results;  // the names of the figures it can give, in order
    std::function<Outcome(const Request&)> run;
    // Rows that draw from the application's shared generators (a
    // simulation, a training) must run one at a time.
    std::function<bool(const Request&)> shares_generator;
    // The first of the expiry date fields (cli/expiry_dates.h), or -1.
    int dates_field = -1;
};

struct Request {
    const CommandSpec* command = nullptr;
    std::vector<std::string> values;  // one per field, defaults filled in
    bool interactive = false;         // a single command from a terminal: progress may be drawn
    bool lines = true;                // the lines are wanted (a batch's CSV takes only the figures)

    const std::string& operator[](std::size_t field) const { return values[field]; }
    bool flag(std::size_t field) const { return values[field] == "1"; }
};

// Every command but batch, in the order of the help.
const std::vector<CommandSpec>& commands();
// The names of every command's figures, each once, in the commands' order:
// the result columns of a batch.
const std::vector<const char*>& figure_names();
const CommandSpec* find_command(std::string_view name);
// The field's index in the command, or -1.
int field_index(const CommandSpec& command, std::string_view name);
Request default_request(const CommandSpec& command);

// Runs the request; a failure outside the window's command (memory
// running out) ends as the generic error.
Outcome run_request(const Request& request);

// The output lines of an outcome's messages.
std::vector<std::string> message_lines(const Outcome& outcome);

// The command specs of each group of windows (commands_*.cpp).
CommandSpec option_command();
CommandSpec implied_command();
// The calculators' commands, in the order of their list
// (calculators/calculators.h: warrant, forward, bond, convertible).
std::vector<CommandSpec> calculator_commands();
CommandSpec train_command();
CommandSpec predict_command();

// A flag's value as written, on the command line (--put=1) as in a batch's
// cell: "1" sets it, "0" leaves it off; any other text is refused.
std::optional<bool> flag_value(std::string_view text);

// Outcome of a request refused before its command runs.
Outcome usage_outcome(std::string message);

class CliUi;
// What the command showed through the interface: its status, result lines
// and messages.
Outcome outcome_of(CliUi& ui);

// The result names of a results table.
template <class Results>
std::vector<const char*> result_names(ResultTable<Results> table) {
    std::vector<const char*> names;
    for (const ResultRow<Results>& row : table) names.push_back(row.line.name);
    return names;
}

}  // namespace tvx::cli
