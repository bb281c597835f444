#include "charts/strategy_chart.h"

#include "charts/option_chart.h"
#include "charts/scenario.h"
#include "core/numbers.h"

namespace tvx {

namespace {

std::string market_caption(const Strategy& s, const StrategyFigures& f) {
    const Market& m = s.market;
    std::string text = "Spot " + general_text(m.spot) + ", rate " + general_text(m.rate) + " %, dividend " +
                       general_text(m.dividend) + " %; " + std::to_string(s.legs.size()) +
                       (s.legs.size() == 1 ? " leg" : " legs") + "; horizon " + general_text(f.horizon) + " years";
    text += f.horizon_set ? "" : " (the first expiry)";
    text += ", spot volatility " + result_text(f.volatility) + (f.volatility_set ? "" : " (the legs' mean)");
    return text;
}

Series series(std::string name, SeriesRole role, const std::vector<std::optional<double>>& y) {
    return Series{std::move(name), role, y};
}

}  // namespace

Plot strategy_plot(const StrategyReport& r) {
    const Strategy& s = r.strategy;
    const StrategyCurves& c = r.curves;
    const StrategyFigures& f = r.figures;
    Plot p;
    p.title = "Profit and loss of the position against the spot";
    if (r.precision == Precision::Exact) p.title += kExactTitle;
    p.caption = market_caption(s, f) +
                ". Shaded: the spot at the horizon within one and two standard deviations; dashed: the breakevens.";
    p.x_label = "Spot price (dollars)";
    p.y_label = "Profit and loss (dollars)";
    p.x = c.spots;
    const bool alive = !c.at_horizon.empty();
    const std::string horizon = "At the horizon, " + general_text(f.horizon) + " years";
    if (alive) p.series.push_back(series(horizon, SeriesRole::Main, c.at_horizon));
    p.series.push_back(series(alive ? "At expiry" : "At expiry and horizon",
                              alive ? SeriesRole::Payoff : SeriesRole::Main, c.at_expiry));
    p.series.push_back(series("Today", SeriesRole::Counterpart, c.today));
    p.current_x = s.market.spot;
    p.current_y = f.total.value - f.net_premium;
    p.left_out = c.left_out;
    p.x_bands = {{"Spot at the horizon, ±2 sd", c.bands[0], c.bands[3]}, {"±1 sd", c.bands[1], c.bands[2]}};
    p.y_line = 0.0;
    for (const double b : f.at_horizon.breakevens) p.x_marks.push_back({"Breakevens", b});
    return p;
}

ScenarioGrid strategy_scenario(const StrategyReport& r) {
    const StrategyGrid& g = r.grid;
    ScenarioGrid grid;
    grid.caption = market_caption(r.strategy, r.figures) + "; today, each leg's volatility times the factor";
    grid.spots = g.spots;
    grid.vols = g.factors;
    grid.value = g.value;
    grid.current_value = g.cost;
    grid.left_out = g.left_out;
    if (r.precision == Precision::Exact) grid.caption += "; exact values";
    return grid;
}

std::string grid_spot_header(double spot) { return "Spot " + result_text(spot); }
std::string grid_factor_header(double factor) { return "Volatility\n\u00d7" + general_text(factor); }

std::string strategy_grid_tsv(const ScenarioGrid& grid, bool pnl) {
    return scenario_tsv(grid, pnl, "volatility factor");
}

}  // namespace tvx
