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

// A simulation: six valuations by one engine, at the defaults (time 0.5,
// 100 steps a path) and with time 2 (400 steps; the stochastic-volatility
// engines then need many more batches to reach their standard error).
void run_compute_monte_carlo(benchmark::State& state, bool svol, bool srate, const char* time) {
    tvx::MainWindow main;
    main.svol = svol;
    main.srate = srate;
    main.time = time;
    run_compute(state, main);
}

void BM_compute_monte_carlo_cv(benchmark::State& state) { run_compute_monte_carlo(state, true, false, "0.5"); }
void BM_compute_monte_carlo_vc(benchmark::State& state) { run_compute_monte_carlo(state, false, true, "0.5"); }
void BM_compute_monte_carlo_vv(benchmark::State& state) { run_compute_monte_carlo(state, true, true, "0.5"); }
void BM_compute_monte_carlo_cv_time2(benchmark::State& state) { run_compute_monte_carlo(state, true, false, "2"); }
void BM_compute_monte_carlo_vc_time2(benchmark::State& state) { run_compute_monte_carlo(state, false, true, "2"); }
void BM_compute_monte_carlo_vv_time2(benchmark::State& state) { run_compute_monte_carlo(state, true, true, "2"); }
// Wall-clock time: the simulation runs on more than one core.
BENCHMARK(BM_compute_monte_carlo_cv)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_compute_monte_carlo_vc)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_compute_monte_carlo_vv)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_compute_monte_carlo_cv_time2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_compute_monte_carlo_vc_time2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_compute_monte_carlo_vv_time2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
