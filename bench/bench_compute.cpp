// Speed of the Compute command from the button to the report (reading the
// window, six valuations, rounding, the six lines) on each route, and of one
// closed-form valuation.
#include <benchmark/benchmark.h>

#include "options/compute.h"
#include "pricing/closed_form.h"
#include "support/null_ui.h"

namespace {

void BM_solver_euro(benchmark::State& state) {
    double S = 60.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(S);
        benchmark::DoNotOptimize(tvx::solver_euro(0.5, 0.2, 0.045, 64.0, S, 0.021, 0));
    }
}
BENCHMARK(BM_solver_euro);

void run_compute(benchmark::State& state, tvx::MainWindow main) {
    tvx::bench::NullUi ui;
    tvx::OutputWindow out;
    tvx::Pacifier pac;
    for (auto _ : state) {
        tvx::cmdCompute_Click(main, out, pac, ui);
        benchmark::DoNotOptimize(out.Label1.data());
    }
    if (out.Label1.rfind("The option value is ", 0) != 0) state.SkipWithError("no value was reported");
}

void BM_compute_closed_form(benchmark::State& state) { run_compute(state, tvx::MainWindow{}); }
BENCHMARK(BM_compute_closed_form)->Unit(benchmark::kMicrosecond);

// An American put: six solver runs (with the Gamma read off the first).
void BM_compute_american(benchmark::State& state) {
    tvx::MainWindow main;
    main.optEuro = false;
    main.optCall = false;
    run_compute(state, main);
}
BENCHMARK(BM_compute_american)->Unit(benchmark::kMicrosecond);

// Stochastic volatility and rates: six simulations.
void BM_compute_monte_carlo(benchmark::State& state) {
    tvx::MainWindow main;
    main.svol = true;
    main.srate = true;
    run_compute(state, main);
}
BENCHMARK(BM_compute_monte_carlo)->Unit(benchmark::kMillisecond);

}  // namespace
