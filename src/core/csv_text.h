// Writing comma-separated values: a field quoted when it must be, and a
// number at full precision (its shortest text that reads back to the same
// double).
#pragma once

#include <string>
#include <string_view>

namespace tvx {

// Appends the text as one field, quoted when it holds a comma, a quote or a
// line break.
void append_csv_field(std::string& out, std::string_view text);

// Appends the shortest decimal text that reads back to the same double.
void append_number(std::string& out, double x);

}  // namespace tvx
