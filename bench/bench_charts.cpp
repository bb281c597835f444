// Speed of a full chart redraw: 200 points, each the value and its five
// sensitivities by the six valuations of the Compute command (with the
// counterpart style and the current point), on the closed form and on the
// American route, as the Draw command runs it.
#include <benchmark/benchmark.h>

#include "charts/chart_commands.h"
#include "support/null_ui.h"

namespace {

// The main window's defaults as a put; `american` picks the style.
void redraw(benchmark::State& state, bool american, tvx::OptionY y) {
    tvx::MainWindow main;
    main.optCall = false;
    main.optEuro = !american;
    tvx::StraightBondsWindow straight;
    tvx::ConvertibleBondsWindow convertible;
    tvx::ChartWindow chart;
    chart.y = y;
    chart.open = true;
    tvx::bench::NullUi ui;
    tvx::ChartContext cx{chart, {main, straight, convertible}, ui};
    for (auto _ : state) {
        tvx::chart_draw(cx);
        benchmark::DoNotOptimize(chart.plot.series.data());
    }
    if (chart.plot.x.size() != 200 || chart.plot.left_out != 0) state.SkipWithError("the chart was not drawn whole");
}

void BM_chart_redraw_closed_form(benchmark::State& state) { redraw(state, false, tvx::OptionY::Value); }
void BM_chart_redraw_american(benchmark::State& state) { redraw(state, true, tvx::OptionY::Value); }
void BM_chart_redraw_american_gamma(benchmark::State& state) { redraw(state, true, tvx::OptionY::Gamma); }

BENCHMARK(BM_chart_redraw_closed_form)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_chart_redraw_american)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_chart_redraw_american_gamma)->Unit(benchmark::kMillisecond);

}  // namespace
