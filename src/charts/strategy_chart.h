// The strategy window's chart and grid in the chart window's terms: the
// curves of profit and loss as a plot (drawn, hovered, copied and saved as
// the chart window does), with the spot's likely range shaded and the
// breakevens marked, and the spot x volatility grid as a scenario table.
#pragma once

#include <string>

#include "charts/chart_window.h"
#include "strategy/analysis.h"

namespace tvx {

// The curves at expiry, today and at the horizon (when a leg is still
// alive then) against the spot; today's spot marked on today's curve.
Plot strategy_plot(const StrategyReport& r);

// The grid: the position's value over spots (rows) and a factor on every
// leg's volatility (columns), with its P&L against the net premium.
ScenarioGrid strategy_scenario(const StrategyReport& r);

// The grid as tab-separated lines, for a spreadsheet: a corner cell, the
// volatility factors across, then each spot with its row; P&L or value.
std::string strategy_grid_tsv(const ScenarioGrid& grid, bool pnl);

// The headers of the grid: "Spot 54" down, "Volatility" over "×0.5"
// across.
std::string grid_spot_header(double spot);
std::string grid_factor_header(double factor);

}  // namespace tvx
