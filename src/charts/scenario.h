// The scenario table: the option's value over a grid of spot x volatility
// around the current terms, by the route Compute takes, and its profit and
// loss against the value at the terms as typed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "charts/chart_window.h"
#include "charts/option_chart.h"
#include "charts/ranges.h"

namespace tvx {

// A valuation of the chosen route; throws a RuntimeError where it faults.
using ValueOf = std::function<double(const OptionTerms& terms)>;

// No value when `after_point` cancelled (it counts cells, the current
// value last).
std::optional<ScenarioGrid> scenario_grid(const OptionTerms& terms, OptionStyle style,
                                          const std::string& simulation_note, const Range& spots, const Range& vols,
                                          const ValueOf& value, const AfterPoint& after_point = {});

// A cell as shown: the value or the P&L with four decimals, all of them
// written so that a column's points line up; empty where it could not be
// valued.
std::string scenario_cell(const ScenarioGrid& grid, std::size_t spot, std::size_t vol, bool pnl);

// What the table shows, as its title says: the value, or the P&L.
std::string scenario_title(bool pnl);

// The table as tab-separated lines, for a spreadsheet: a corner cell
// naming what runs across (the volatilities, or the Strategy Builder's
// factors of them), the figures across, then each spot with its row.
std::string scenario_tsv(const ScenarioGrid& grid, bool pnl, std::string_view across = "volatility");

}  // namespace tvx
