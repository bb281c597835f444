// `frmHistory`, "History": every result of the session, newest first, with
// Copy (the selected rows, or all) as tab-separated lines and Save as CSV.
// The rows live only as long as the program runs: nothing is written
// unless the user saves.
#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "core/history.h"
#include "core/user_interface.h"

namespace tvx {

struct HistoryWindow {
    std::vector<HistoryRow> rows;  // oldest first; the window shows the newest first
    std::string note;              // under the table: what the last Save did
};

namespace history_caption {
inline constexpr const char* frmHistory = "History";
inline constexpr const char* cmdCopy = "Copy";
inline constexpr const char* cmdSave = "Save as CSV...";
inline constexpr const char* cmdClose = "Close";
// The table's headings.
inline constexpr const char* time = "Time";
inline constexpr const char* window = "Window";
inline constexpr const char* command = "Command";
inline constexpr const char* terms = "Terms";
inline constexpr const char* results = "Results";
}  // namespace history_caption

namespace history_text {
inline constexpr const char* empty = "No results yet: each result a window shows is added here, the newest at the top.";
inline constexpr const char* not_saved = "The history could not be written to ";
// Followed by the count, " saved to " and the file.
inline constexpr const char* saved = " saved to ";
}  // namespace history_text

// Keeps a result that came in, with the Exact Values setting of the moment.
void keep_row(HistoryWindow& h, HistoryRow row, bool exact);

// The columns of Copy and of the saved CSV, the same whatever rows they
// hold: "time", "window", "command", "exact_values" ("on" or "off"),
// "method" (how an American value was worked out), "terms", then one
// column for each figure any window gives, in this order, then "other"
// (any figure not in the list, as name=value; none today).
inline constexpr const char* kHistoryFigureColumns[] = {
    // the main window
    "value", "delta", "gamma", "theta", "vega", "rho", "implied_volatility",
    // the calculators
    "intrinsic_value", "time_value", "premium", "leverage", "forward_value", "forward_price", "fair_value", "yield",
    "macaulay_duration", "modified_duration", "convexity", "bp_value", "parity", "premium_over_parity", "share_delta",
    // the neural nets
    "average_error", "output1", "output2", "output3", "output4",
    // the strategy builder (with value ... rho above)
    "net_premium", "horizon", "breakevens", "max_profit", "max_loss", "probability_of_profit"};

// The row shown at place k of the window (0 the newest).
const HistoryRow& shown_row(const HistoryWindow& h, std::size_t k);

// The rows at these places of the window (all of them when none is given),
// in the window's order, as a table: the header line of the columns
// above, then a line a row with its date and time, its window, command,
// the Exact Values setting, the method and terms, and each of its figures
// at full precision in its column (a text, such as "unlimited", where the
// result is not a number). Copy's cells are separated by tabs (a tab or
// line break inside a cell becomes a blank); the CSV's by commas, quoted
// as needed.
std::string history_tsv(const HistoryWindow& h, std::span<const std::size_t> shown = {});
std::string history_csv(const HistoryWindow& h);

// Save as CSV: writes every row to the file, whole or not at all; the note
// says how many rows went, or the box says the file could not be written.
bool history_save_csv(HistoryWindow& h, const std::filesystem::path& path, UserInterface& ui);

}  // namespace tvx
