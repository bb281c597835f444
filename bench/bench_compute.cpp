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

void run_compute(benchmark::State& state, tvx::MainWindow main,
                 tvx::AmericanMethod method = tvx::AmericanMethod::Rule) {
    tvx::bench::NullUi ui;
    tvx::OutputWindow out;
    tvx::Pacifier pac;
    tvx::ComputeOptions options;
    options.american_method = method;
    for (auto _ : state) {
        tvx::cmdCompute_Click(main, out, pac, ui, options);
        benchmark::DoNotOptimize(out.Label1.data());
    }
    if (out.Label1.rfind("The option value is ", 0) != 0) state.SkipWithError("no value was reported");
}

void BM_compute_closed_form(benchmark::State& state) { run_compute(state, tvx::MainWindow{}); }
BENCHMARK(BM_compute_closed_form)->Unit(benchmark::kMicrosecond);

// An American put: six solver runs (with the Gamma read off the first),
// each held against the exercise-boundary method (three boundaries at the
// referee's setting: the terms, the volatility and the rate bumped); the
// same with the grid alone (forced, as the route was before the referee);
// and terms the grid cannot value (the first of the four rows the bound
// check refused), all six from the method at its full setting.
tvx::MainWindow american_put() {
    tvx::MainWindow main;
    main.optEuro = false;
    main.optCall = false;
    return main;
}

void BM_american_compute(benchmark::State& state) { run_compute(state, american_put()); }
BENCHMARK(BM_american_compute)->Unit(benchmark::kMicrosecond);

void BM_american_compute_grid_alone(benchmark::State& state) {
    run_compute(state, american_put(), tvx::AmericanMethod::Grid);
}
BENCHMARK(BM_american_compute_grid_alone)->Unit(benchmark::kMicrosecond);

void BM_american_compute_by_the_method(benchmark::State& state) {
    tvx::MainWindow main = american_put();
    main.time = "19.1", main.qqq = "0.097", main.irate = "0.28";
    main.strike = "5.877", main.current = "4.366", main.dividend = "19.4";
    run_compute(state, main);
}
BENCHMARK(BM_american_compute_by_the_method)->Unit(benchmark::kMicrosecond);

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
