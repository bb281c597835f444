// Speed of the simulation: one valuation by each engine at the main window's
// defaults, with the batches it took and the time per simulated step
// (batches * 100 pairs * steps per path).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "pricing/monte_carlo.h"
#include "pricing/pipeline.h"
#include "pricing/random.h"
#include "pricing/testing.h"

namespace {

void run_engine(benchmark::State& state, std::int16_t itype, std::int16_t vtype) {
    constexpr double t = 0.5, Sigma = 0.2, r = 0.045, K = 64.0, S = 60.0, delta = 0.021, rho = 0.0;
    const double steps_per_path = tvx::mc_steps(t);
    double S_in = S;
    std::int64_t batches = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(S_in);
        std::int64_t b = 0;
        benchmark::DoNotOptimize(tvx::mcarlo(t, Sigma, r, K, S_in, delta, 0, itype, rho, vtype, [&b] { ++b; }));
        batches = b;
    }
    const double steps = static_cast<double>(batches) * 100.0 * steps_per_path;
    state.SetLabel(tvx::mc_simd_target());
    state.counters["batches"] = static_cast<double>(batches);
    // Seconds per step: the per-valuation step count, per iteration, inverted.
    state.counters["s_per_step"] =
        benchmark::Counter(steps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_mcarlo_cv(benchmark::State& state) { run_engine(state, 0, 0); }
void BM_mcarlo_vc(benchmark::State& state) { run_engine(state, 1, 0); }
void BM_mcarlo_vv(benchmark::State& state) { run_engine(state, 1, 1); }

// Wall-clock time: a valuation runs on more than one core.
BENCHMARK(BM_mcarlo_cv)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_mcarlo_vc)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_mcarlo_vv)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same on the calling thread alone.
template <std::int16_t itype, std::int16_t vtype>
void BM_mcarlo_one_core(benchmark::State& state) {
    const unsigned helpers = tvx::pipeline_helpers();
    tvx::set_pipeline_helpers(0);
    run_engine(state, itype, vtype);
    tvx::set_pipeline_helpers(helpers);
}
BENCHMARK(BM_mcarlo_one_core<0, 0>)->Name("BM_mcarlo_cv_one_core")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_mcarlo_one_core<1, 0>)->Name("BM_mcarlo_vc_one_core")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_mcarlo_one_core<1, 1>)->Name("BM_mcarlo_vv_one_core")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

namespace {

// The normals alone: snorm one at a time, and snorm_fill a batch's worth
// (100 pairs of 100 steps, two draws a step) at a time; time per normal.
void BM_snorm(benchmark::State& state) {
    tvx::reset_uniform();
    for (auto _ : state) benchmark::DoNotOptimize(tvx::snorm());
}
BENCHMARK(BM_snorm);

void BM_snorm_fill(benchmark::State& state) {
    std::vector<double> z(20000);
    tvx::reset_uniform();
    for (auto _ : state) {
        tvx::snorm_fill(z);
        benchmark::DoNotOptimize(z.data());
    }
    state.counters["s_per_normal"] = benchmark::Counter(
        static_cast<double>(z.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_snorm_fill)->Unit(benchmark::kMicrosecond);

}  // namespace
