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

// The row shown at place k of the window (0 the newest).
const HistoryRow& shown_row(const HistoryWindow& h, std::size_t k);

// The rows at these places of the window (all of them when none is given),
// in the window's order, as a table: a header line ("time", "window",
// "command", "terms", then the name of every figure the rows hold, in the
// order they first appear), then a line a row with its date and time, its
// window, command and terms, and each of its figures at full precision in
// its column. Copy's cells are separated by tabs (a tab or line break
// inside a cell becomes a blank); the CSV's by commas, quoted as needed.
std::string history_tsv(const HistoryWindow& h, std::span<const std::size_t> shown = {});
std::string history_csv(const HistoryWindow& h);

// Save as CSV: writes every row to the file, whole or not at all; the note
// says how many rows went, or the box says the file could not be written.
bool history_save_csv(HistoryWindow& h, const std::filesystem::path& path, UserInterface& ui);

}  // namespace tvx
