// The strategy window's commands: opening it from the main window's menu,
// taking the market terms again, adding and removing legs, the presets,
// Compute, Open and Save of a strategy file, and Cancel.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/user_interface.h"
#include "options/main_window.h"
#include "strategy/position.h"
#include "strategy/strategy_window.h"

namespace tvx {

// Advanced > Strategy Builder: a window that is not open takes the main
// window's market terms and, as its first leg, the main window's option;
// then it is shown.
void mnuStrategy_Click(MainWindow& main, StrategyWindow& w, UserInterface& ui);

// The main window's spot, rate and dividend into the market terms; when
// they differ from those of the results shown, the results are marked as
// of the earlier terms until the next Compute.
void strategy_take_terms(StrategyWindow& w, const MainWindow& main, UserInterface& ui);

// A new row under the last, a copy of it (the first: a call at the spot
// for half a year at volatility 0.2); beyond eight, a box says why not.
void strategy_add_leg(StrategyWindow& w, UserInterface& ui);
// Removes the row (0-based); the rows below move up.
void strategy_remove_leg(StrategyWindow& w, UserInterface& ui, int leg);

// Reads the fields and runs the checks, as the main window reads and
// checks its own: a text that is not a number throws; every failed check
// shows its box and the first field at fault takes the focus; then none.
std::optional<Strategy> read_strategy(const StrategyWindow& w, UserInterface& ui);

// The strategy's numbers into the fields, each as the shortest text that
// reads back to the same number.
void fill_strategy(StrategyWindow& w, const Strategy& s);

// Compute: the results, the curves (over the chart's range, when one is
// typed) and the grid into the window. Bad input gets its boxes and leaves
// what was shown; a text that is not a number is named by its caption
// ("Leg 2 Strike must be a number"), a fault of the valuation gets the
// generic error.
void strategy_compute(StrategyWindow& w, UserInterface& ui);

// Where a preset places its legs: a centre strike (empty: the window's
// spot) and a width (empty: 5 % of the centre), as typed.
struct PresetPlacement {
    std::string centre;
    std::string width;
};

// Fills the legs with preset `index` (of presets()) around the centre,
// each with the main window's time to expiry, volatility and style, and
// computes.
void strategy_preset(StrategyWindow& w, const MainWindow& main, UserInterface& ui, int index,
                     const PresetPlacement& at = {});

// A strategy file's text into the fields; a malformed one is told (by
// its `name`) and changes nothing. False then.
bool strategy_load(StrategyWindow& w, UserInterface& ui, std::string_view text, const std::string& name);
// A strategy file into the fields: one that cannot be read (or is larger
// than any strategy, a megabyte) or is malformed is told and changes
// nothing. False then.
bool strategy_read_file(StrategyWindow& w, UserInterface& ui, const std::string& path);
// Open: reads the file and computes.
void strategy_open(StrategyWindow& w, UserInterface& ui, const std::string& path);
// Save: reads and checks the fields as Compute does, then writes the file
// whole or not at all.
void strategy_save(StrategyWindow& w, UserInterface& ui, const std::string& path);

// Cancel (and Esc and the close box): the window closes and forgets its
// entries, after asking when the legs have changed since they came in
// (opened, read from a file or saved). False when the user keeps them.
bool strategy_cancel(StrategyWindow& w, UserInterface& ui);

}  // namespace tvx
