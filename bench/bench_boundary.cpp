// Speed of the exercise-boundary method: one value (a boundary solved and
// the option valued at one spot), over a fixed set of 1,000 random ordinary
// terms (lives 0.02 to 5 years, volatilities 0.05 to 1.2, rates and yields
// 0 to 15 %, strikes within 0.7 in log of the spot, calls and puts). Each
// value is timed on its own; the counters give the median and the 90th
// percentile over the set in microseconds, the time per iteration is the
// whole set. At the full setting (within 1e-6), at the referee's, and at
// the full setting on each instruction set the processor runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "pricing/exercise_boundary.h"
#include "pricing/testing.h"

namespace {

struct Terms {
    double t, sigma, r, q, K, S;
    std::int16_t type;
};

const std::vector<Terms>& ordinary_terms() {
    static const std::vector<Terms> terms = [] {
        std::mt19937_64 rng(20160);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        std::vector<Terms> out;
        for (int i = 0; i < 1000; ++i) {
            Terms o;
            o.t = 0.02 + 4.98 * u(rng);
            o.sigma = 0.05 + 1.15 * u(rng);
            o.r = 0.0001 + 0.1499 * u(rng);
            o.q = 0.15 * u(rng);
            o.S = 100.0 * std::exp(-3.0 + 6.0 * u(rng));
            o.K = o.S * std::exp(-0.7 + 1.4 * u(rng));
            o.type = u(rng) < 0.5 ? 0 : 1;
            out.push_back(o);
        }
        return out;
    }();
    return terms;
}

void run_set(benchmark::State& state, const tvx::BoundarySettings& settings) {
    const std::vector<Terms>& terms = ordinary_terms();
    std::vector<double> micros;
    micros.reserve(terms.size());
    for (auto _ : state) {
        micros.clear();
        for (const Terms& o : terms) {
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(tvx::ExerciseBoundary(o.t, o.sigma, o.r, o.K, o.q, o.type, settings).value(o.S));
            micros.push_back(
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p90_us"] = micros[micros.size() * 9 / 10];
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * terms.size()));
}

void BM_american_boundary(benchmark::State& state) { run_set(state, tvx::kBoundaryFull); }
BENCHMARK(BM_american_boundary)->Unit(benchmark::kMillisecond);

void BM_american_boundary_referee(benchmark::State& state) { run_set(state, tvx::kBoundaryFast); }
BENCHMARK(BM_american_boundary_referee)->Unit(benchmark::kMillisecond);

void BM_american_boundary_on_target(benchmark::State& state) {
    const std::vector<std::int64_t> targets = tvx::mc_simd_targets();
    const auto which = static_cast<std::size_t>(state.range(0));
    if (which >= targets.size()) {
        state.SkipWithError("this processor runs fewer instruction sets");
        return;
    }
    tvx::mc_force_simd_target(targets[which]);
    state.SetLabel(tvx::mc_simd_target());
    run_set(state, tvx::kBoundaryFull);
    tvx::mc_force_simd_target(0);
}
BENCHMARK(BM_american_boundary_on_target)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

}  // namespace
