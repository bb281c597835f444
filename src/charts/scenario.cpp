#include "charts/scenario.h"

#include <cmath>

#include "core/numbers.h"

namespace tvx {

std::optional<ScenarioGrid> scenario_grid(const OptionTerms& terms, OptionStyle style,
                                          const std::string& simulation_note, const Range& spots, const Range& vols,
                                          const ValueOf& value, const AfterPoint& after_point) {
    ScenarioGrid grid;
    grid.caption = option_caption(terms, style, simulation_note, {{OptionX::Spot, spots}, {OptionX::Volatility, vols}});
    grid.spots = spread(spots, kScenarioSpots);
    grid.vols = spread(vols, kScenarioVols);
    const int total = kScenarioSpots * kScenarioVols + 1;
    int done = 0;
    const auto valued = [&](const OptionTerms& o) -> std::optional<double> {
        try {
            const double v = value(o);
            if (std::isfinite(v)) return v;
        } catch (const RuntimeError&) {}
        return std::nullopt;
    };
    for (const double S : grid.spots) {
        std::vector<std::optional<double>> row;
        for (const double sigma : grid.vols) {
            OptionTerms o = terms;
            o.spot = S;
            o.sigma = sigma;
            row.push_back(valued(o));
            grid.left_out += row.back() ? 0 : 1;
            if (after_point && !after_point(++done, total)) return std::nullopt;
        }
        grid.value.push_back(std::move(row));
    }
    grid.current_value = valued(terms);
    if (after_point && !after_point(++done, total)) return std::nullopt;
    return grid;
}

std::string scenario_cell(const ScenarioGrid& grid, std::size_t spot, std::size_t vol, bool pnl) {
    const std::optional<double>& v = grid.value.at(spot).at(vol);
    if (!v || (pnl && !grid.current_value)) return {};
    try {
        return four_decimal_fixed_text(pnl ? chk(*v - *grid.current_value) : *v);
    } catch (const RuntimeError&) {
        return {};
    }
}

std::string scenario_tsv(const ScenarioGrid& grid, bool pnl, std::string_view across) {
    std::string text = pnl ? "P&L: spot \\ " : "Value: spot \\ ";
    text += across;
    for (const double sigma : grid.vols) text += "\t" + general_text(sigma);
    text += "\n";
    for (std::size_t i = 0; i < grid.spots.size(); ++i) {
        text += general_text(grid.spots[i]);
        for (std::size_t j = 0; j < grid.vols.size(); ++j) text += "\t" + scenario_cell(grid, i, j, pnl);
        text += "\n";
    }
    return text;
}

std::string scenario_title(bool pnl) {
    return pnl ? "Scenario table: P&L over spot and volatility, against the value at the terms as typed"
               : "Scenario table: value over spot and volatility";
}

}  // namespace tvx
