// Speed of the American solver: one valuation at the main window's default
// inputs as a put, on the path the processor picks and on each path in
// turn, and the six valuations that the sensitivities take.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "pricing/american.h"
#include "pricing/testing.h"

namespace {

constexpr double t = 0.5;
constexpr double Sigma = 0.2;
constexpr double r = 0.045;
constexpr double x = 64.0;
constexpr double S0 = 60.0;
constexpr double delta = 0.021;
constexpr std::int16_t put = 1;

void BM_solver_usa(benchmark::State& state) {
    double S = S0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(S);
        benchmark::DoNotOptimize(tvx::solver_usa(t, Sigma, r, x, S, delta, put));
    }
}
BENCHMARK(BM_solver_usa)->Unit(benchmark::kMicrosecond);

void BM_solver_usa_on_path(benchmark::State& state) {
    const auto path = static_cast<tvx::SolverPath>(state.range(0));
    const auto paths = tvx::solver_usa_paths();
    if (std::find(paths.begin(), paths.end(), path) == paths.end()) {
        state.SkipWithError("this processor cannot run that path");
        return;
    }
    state.SetLabel(tvx::solver_path_name(path));
    tvx::pin_solver_usa_path(path);
    double S = S0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(S);
        benchmark::DoNotOptimize(tvx::solver_usa(t, Sigma, r, x, S, delta, put));
    }
    tvx::unpin_solver_usa_path();
}
BENCHMARK(BM_solver_usa_on_path)
    ->Arg(static_cast<int>(tvx::SolverPath::Portable))
    ->Arg(static_cast<int>(tvx::SolverPath::Avx2))
    ->Arg(static_cast<int>(tvx::SolverPath::Avx512))
    ->Unit(benchmark::kMicrosecond);

// As taken by the sensitivities: the value, S down and up by a thousandth,
// then t, Sigma and r each moved down.
void BM_solver_usa_six(benchmark::State& state) {
    double S = S0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(S);
        const double dS = S * 0.001;
        benchmark::DoNotOptimize(tvx::solver_usa(t, Sigma, r, x, S, delta, put));
        benchmark::DoNotOptimize(tvx::solver_usa(t, Sigma, r, x, S - dS, delta, put));
        benchmark::DoNotOptimize(tvx::solver_usa(t, Sigma, r, x, dS + S, delta, put));
        benchmark::DoNotOptimize(tvx::solver_usa(t - t * 0.001, Sigma, r, x, S, delta, put));
        benchmark::DoNotOptimize(tvx::solver_usa(t, Sigma - Sigma * 0.001, r, x, S, delta, put));
        benchmark::DoNotOptimize(tvx::solver_usa(t, Sigma, r - r * 0.001, x, S, delta, put));
    }
}
BENCHMARK(BM_solver_usa_six)->Unit(benchmark::kMicrosecond);

}  // namespace
