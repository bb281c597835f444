// Speed of the calculators' commands from the button to the result box with
// their default terms (the bond windows' Yield, Risk and Analytics too), and of the bond sum at its longest (32,766 periods,
// the most the 16-bit period counter allows).
#include <benchmark/benchmark.h>

#include "instruments/bonds.h"
#include "instruments/convertible.h"
#include "instruments/futures.h"
#include "instruments/warrants.h"
#include "support/null_ui.h"

namespace {

template <class Window>
void BM_command(benchmark::State& state) {
    Window w;
    tvx::bench::NullUi ui;
    for (auto _ : state) {
        tvx::Command1_Click(w, ui);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_command<tvx::WarrantsWindow>)->Name("BM_warrants_compute");
BENCHMARK(BM_command<tvx::FuturesWindow>)->Name("BM_futures_calculate");
BENCHMARK(BM_command<tvx::StraightBondsWindow>)->Name("BM_straight_bond_compute");
BENCHMARK(BM_command<tvx::ConvertibleBondsWindow>)->Name("BM_convertible_bond_compute");

// The bond windows' other commands, with the defaults and the market price
// the windows start with.
void BM_straight_bond_yield(benchmark::State& state) {
    tvx::StraightBondsWindow w;
    tvx::bench::NullUi ui;
    for (auto _ : state) {
        tvx::cmdYield_Click(w, ui);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_straight_bond_yield);

void BM_straight_bond_risk(benchmark::State& state) {
    tvx::StraightBondsWindow w;
    tvx::bench::NullUi ui;
    for (auto _ : state) {
        tvx::cmdRisk_Click(w, ui);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_straight_bond_risk);

void BM_convertible_analytics(benchmark::State& state) {
    tvx::ConvertibleBondsWindow w;
    tvx::bench::NullUi ui;
    for (auto _ : state) {
        tvx::cmdAnalytics_Click(w, ui);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_convertible_analytics);

void BM_bond_value_longest(benchmark::State& state) {
    double y = 0.0001;
    for (auto _ : state) {
        benchmark::DoNotOptimize(y);
        benchmark::DoNotOptimize(tvx::bond_value(1000.0, 0.0001, y, 32766));
    }
}
BENCHMARK(BM_bond_value_longest)->Unit(benchmark::kMicrosecond);

}  // namespace
