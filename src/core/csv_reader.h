// Comma-separated values as RFC 4180 has them: a header row, quoted fields
// (with "" for a quote) that may hold commas and line breaks, records
// ended by CR LF or LF. Read as a stream, one record at a time. A UTF-8
// byte-order mark at the very start (a spreadsheet's "CSV UTF-8" export
// writes one) is skipped.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

#include "core/csv_text.h"  // the writing side: append_csv_field, append_number

namespace tvx {

struct CsvRecord {
    std::vector<std::string> cells;
    std::string error;     // why the record is malformed; empty when it is sound
    std::size_t line = 0;  // the line it starts on, from 1
};

class CsvReader {
public:
    explicit CsvReader(std::istream& in);
    // The next record, skipping empty lines; false at the end of the input.
    bool next(CsvRecord& record);

private:
    int get();
    int peek();
    void fill();
    void read_quoted(std::string& cell, CsvRecord& record);
    void skip_line();
    void skip_byte_order_mark();

    std::istream& in_;
    std::vector<char> buffer_;
    std::size_t at_ = 0, end_ = 0;
    std::size_t line_ = 1;
    bool started_ = false;
};

inline constexpr const char* kUnbalancedQuote = "malformed CSV: a quoted field is not closed";
inline constexpr const char* kTextAfterQuote = "malformed CSV: text after the closing quote of a field";

}  // namespace tvx
