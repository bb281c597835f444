// Speed of the closed form: one valuation, and the whole closed-form
// Compute path (reading the window, six valuations, rounding, the report).
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

void BM_compute_closed_form(benchmark::State& state) {
    tvx::bench::NullUi ui;
    tvx::MainWindow main;
    tvx::OutputWindow out;
    tvx::Pacifier pac;
    for (auto _ : state) {
        tvx::cmdCompute_Click(main, out, pac, ui);
        benchmark::DoNotOptimize(out.Label1.data());
    }
}
BENCHMARK(BM_compute_closed_form);

}  // namespace
