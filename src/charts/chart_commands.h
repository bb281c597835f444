// The chart window's commands: opening it on a source from the Charts menu,
// drawing (from the choices and ranges, with the source's terms read and
// checked exactly as its Compute reads them), following the source when its
// Compute runs, Cancel of a simulated chart, closing, copying and saving.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "charts/chart_window.h"
#include "core/user_interface.h"
#include "instruments/bonds.h"
#include "instruments/convertible.h"
#include "options/compute.h"
#include "options/main_window.h"

namespace tvx {

// The windows a chart takes its terms from.
struct ChartSources {
    MainWindow& main;
    StraightBondsWindow& straight;
    ConvertibleBondsWindow& convertible;
};

struct ChartContext {
    ChartWindow& chart;
    ChartSources sources;
    UserInterface& ui;
    // The simulation of a simulated chart: mcarlo, unless a test watches it.
    Simulation simulate = simulate_mcarlo;
};

// Shows the window on this source and draws it. A window already open on
// another source keeps its choices; the range goes back to following the
// terms.
void chart_open(ChartContext& cx, ChartSource source);

// Draws from the window's choices and ranges. Bad terms get exactly the
// source's own messages; a range that makes no sense gets a clear note in
// the chart window (and the cursor in its field). Nothing happens while a
// simulated chart is computing.
void chart_draw(ChartContext& cx);

// The user changed a choice (source, what is plotted against what): the
// range follows the terms again, and the chart is drawn.
void chart_choice_changed(ChartContext& cx);

// The source window's Compute has run: an open chart of that source draws
// again. The source's messages were shown by its Compute, so they are not
// shown twice; terms that did not pass leave the chart as it was, with a
// note.
void chart_follow(ChartContext& cx, ChartSource computed);

// The chart of a calculator window's figures, if there is one (the bond
// windows'): the source whose drawing follows its Compute.
std::optional<ChartSource> chart_source_of(Window calculator);

// Advanced > Exact Values: turns the choice of exact figures on or off (in
// the main window's model, where every valuation reads it) and draws an
// open chart again on the new figures.
void mnuExact_Click(ChartContext& cx);

// Cancel of a simulated chart: it stops after the batch of paths that is
// running, and the chart shows what it showed before.
void chart_cancel(ChartWindow& chart);

// Closes the window (a computing chart stops first); its choices stay for
// the next opening.
void chart_close(ChartContext& cx);

// What Copy puts on the clipboard as text, and Save as CSV writes: the
// curves' points as CSV, or the scenario table as tab-separated lines.
std::string chart_copy_text(const ChartWindow& chart);
std::string chart_csv_text(const ChartWindow& chart);

// The file name Save offers for what is shown, saying what it is:
// "value-of-the-call-against-the-spot.png" for a curve (its title), and
// "scenario-table-value.csv" or "scenario-table-pnl.csv" for the table.
std::string chart_file_name(const ChartWindow& chart);

// Where Save starts: the offered name in the folder of the last Save of
// the session, else in `documents`.
std::filesystem::path chart_save_suggestion(const ChartWindow& chart, const std::filesystem::path& documents);

// A file was saved (or its saving tried) here: the next Save starts in its
// folder.
void chart_saved_into(ChartWindow& chart, const std::filesystem::path& path);

// Saves the points as CSV; a file that cannot be written is told in the
// note.
bool chart_save_csv(ChartWindow& chart, const std::filesystem::path& path, UserInterface& ui);

}  // namespace tvx
