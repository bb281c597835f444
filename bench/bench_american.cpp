// Speed of the American solver: one valuation at the main window's default
// inputs as a put, and the six valuations that the sensitivities take.
#include <benchmark/benchmark.h>

#include "pricing/american.h"

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
