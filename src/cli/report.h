// How an outcome is written: one JSON object, or the result columns of a
// batch row.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace tvx::cli {

// The command, the inputs as read (numbers by the program's rule where
// they read as numbers, the text otherwise; flags as booleans), every
// result at full precision, the simulation's statistics, the lines, the
// messages and the exit status.
nlohmann::ordered_json json_of(const Request& request, const Outcome& outcome);

// The text of a JSON object, on one line (indent < 0) or indented. Text
// that is not UTF-8 (a Latin-1 file name, a cell from a spreadsheet saved
// in another encoding) has each byte of a broken sequence replaced by
// U+FFFD, so that the output is always well-formed JSON in UTF-8.
std::string json_text(const nlohmann::ordered_json& j, int indent = -1);

// The columns a batch adds after its input columns, in order.
const std::vector<std::string>& result_columns();

// The added cells of one row: the figures where the command has them, then
// the simulation's statistics, the message (boxes joined by "; ", a box's
// lines by a space) and the status.
void append_result_cells(std::string& out, const Outcome& outcome);

// The message column's text.
std::string message_text(const Outcome& outcome);

}  // namespace tvx::cli
