// Speed of the strategy window's full redraw: an iron condor of four legs
// around the spot (the main window's defaults: a yield of 2.1 %, so that
// American calls are exercised early too) valued today with its
// sensitivities, its profit and loss at expiry, today and at the horizon
// on 200 spots, the spot x volatility grid, the figures at the horizon and
// the lines, and the chart's plot and table made from them, as Compute
// runs it. Beside it the floor: only the valuations such a redraw cannot
// do without (the curves' and the grid's, and for American legs the
// boundaries they need), in a plain loop.
#include <benchmark/benchmark.h>

#include <string>

#include "charts/strategy_chart.h"
#include "options/style_values.h"
#include "pricing/closed_form.h"
#include "pricing/exercise_boundary.h"
#include "strategy/presets.h"
#include "strategy/strategy_commands.h"
#include "support/null_ui.h"

namespace {

int iron_condor() {
    const auto all = tvx::presets();
    for (std::size_t k = 0; k < all.size(); ++k)
        if (std::string(all[k].name) == "iron-condor") return static_cast<int>(k);
    return -1;
}

void redraw(benchmark::State& state, bool american) {
    tvx::MainWindow main;
    main.optEuro = !american;
    tvx::StrategyWindow w;
    tvx::bench::NullUi ui;
    tvx::mnuStrategy_Click(main, w, ui);
    tvx::strategy_preset(w, main, ui, iron_condor());
    if (!w.report || w.report->curves.left_out != 0) state.SkipWithError("the iron condor was not valued");
    for (auto _ : state) {
        tvx::strategy_compute(w, ui);
        const tvx::Plot plot = tvx::strategy_plot(*w.report);
        const tvx::ScenarioGrid grid = tvx::strategy_scenario(*w.report);
        benchmark::DoNotOptimize(plot.series.data());
        benchmark::DoNotOptimize(grid.value.data());
    }
}

void BM_strategy_redraw_european(benchmark::State& state) { redraw(state, false); }
BENCHMARK(BM_strategy_redraw_european)->Unit(benchmark::kMillisecond);

void BM_strategy_redraw_american(benchmark::State& state) { redraw(state, true); }
BENCHMARK(BM_strategy_redraw_american)->Unit(benchmark::kMillisecond);

// The floor: the iron condor's four legs (puts at 90 and 95, calls at 105
// and 110, half a year, volatility 0.2, spot 100, rate 5 %, yield 2.1 %)
// at 200 spots today and at 9 spots x 5 volatilities of the grid; for
// American legs, one boundary for each type and volatility, valued at
// those spots.
constexpr double kStrikes[4] = {90, 95, 105, 110};
constexpr std::int16_t kTypes[4] = {1, 1, 0, 0};

void BM_strategy_floor_european(benchmark::State& state) {
    for (auto _ : state) {
        double sum = 0;
        for (int leg = 0; leg < 4; ++leg) {
            for (int k = 0; k < 200; ++k)
                sum += tvx::solver_euro(0.5, 0.2, 0.05, kStrikes[leg], 70 + 0.3 * k, 0.021, kTypes[leg]);
            for (int i = 0; i < 9; ++i)
                for (int j = 0; j < 5; ++j)
                    sum += tvx::solver_euro(0.5, 0.2 * (0.5 + 0.25 * j), 0.05, kStrikes[leg], 80 + 5 * i, 0.021,
                                            kTypes[leg]);
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_strategy_floor_european)->Unit(benchmark::kMillisecond);

void BM_strategy_floor_american(benchmark::State& state) {
    for (auto _ : state) {
        double sum = 0;
        for (const std::int16_t type : {std::int16_t{0}, std::int16_t{1}}) {
            for (int j = 0; j < 5; ++j) {
                const tvx::ExerciseBoundary b(0.5, 0.2 * (0.5 + 0.25 * j), 0.05, 100, 0.021, type);
                for (int leg = 0; leg < 4; ++leg) {
                    if (kTypes[leg] != type) continue;
                    if (j == 2)
                        for (int k = 0; k < 200; ++k) sum += b.value(70 + 0.3 * k, 0.5, kStrikes[leg]);
                    for (int i = 0; i < 9; ++i) sum += b.value(80 + 5 * i, 0.5, kStrikes[leg]);
                }
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_strategy_floor_american)->Unit(benchmark::kMillisecond);

}  // namespace
