// The floor under the fitness evaluation: the fastest kernel written here
// for the same work as fitness at 10-15-4 with 2000 examples, timed beside
// it. The same operations on every example (each product and sum rounded by
// itself, sums over the sources from 0 in ascending order, tanh from one
// plain exponential as (e - 1/e) / (e + 1/e), the square root, the errors
// added in example order), and the same bits, checked before timing; but
// hand-written for AVX2 at this one shape, on examples transposed once
// beforehand, with no range or fault checks, no dispatch and no partial
// groups. Beside it, the activations alone, the throughput of the vector
// division and square root, and the latency of an addition (3 cycles on
// this kind of core: a clock), from which the arithmetic's own floor
// follows.
#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <algorithm>
#include <vector>

#include <hwy/targets.h>

#include "neural/network.h"
#include "pricing/random.h"
#include "pricing/testing.h"

namespace {

using namespace tvx;

constexpr int kIn = 10, kHidden = 15, kOut = 4, kExamples = 2000, kVectors = kExamples / 4;
constexpr int kB = 4;  // vectors of examples a block takes together

#define FLOOR_AVX2 __attribute__((target("avx2"), always_inline)) inline

FLOOR_AVX2 __m256d set(double v) { return _mm256_set1_pd(v); }
// a b + c, rounded twice.
FLOOR_AVX2 __m256d ma(__m256d a, __m256d b, __m256d c) { return _mm256_add_pd(_mm256_mul_pd(a, b), c); }

// The plain exponential, operation for operation.
template <int K>
FLOOR_AVX2 void exp_plain_avx2(__m256d (&x)[K]) {
    const __m256d shift = set(0x1.8p52);
    __m256d kd[K], r[K], r2[K], r4[K];
    for (int j = 0; j < K; ++j) {
        kd[j] = _mm256_add_pd(_mm256_mul_pd(x[j], set(1.4426950408889634)), shift);
        const __m256d k = _mm256_sub_pd(kd[j], shift);
        r[j] = _mm256_sub_pd(x[j], _mm256_mul_pd(k, set(0x1.62e42fee00000p-1)));
        r[j] = _mm256_sub_pd(r[j], _mm256_mul_pd(k, set(0x1.a39ef35793c76p-33)));
        r2[j] = _mm256_mul_pd(r[j], r[j]);
        r4[j] = _mm256_mul_pd(r2[j], r2[j]);
    }
    for (int j = 0; j < K; ++j) {
        const __m256d p01 = ma(set(1.0 / 6), r[j], set(1.0 / 2));
        const __m256d p23 = ma(set(1.0 / 120), r[j], set(1.0 / 24));
        const __m256d p45 = ma(set(1.0 / 5040), r[j], set(1.0 / 720));
        const __m256d p67 = ma(set(1.0 / 362880), r[j], set(1.0 / 40320));
        const __m256d p89 = ma(set(1.0 / 39916800), r[j], set(1.0 / 3628800));
        const __m256d p1011 = ma(set(1.0 / 6227020800), r[j], set(1.0 / 479001600));
        const __m256d q0 = ma(p23, r2[j], p01), q1 = ma(p67, r2[j], p45), q2 = ma(p1011, r2[j], p89);
        const __m256d bracket = ma(ma(q2, r4[j], q1), r4[j], q0);
        const __m256d y = _mm256_add_pd(ma(bracket, r2[j], r[j]), set(1.0));
        const __m256i bits = _mm256_add_epi64(_mm256_slli_epi64(_mm256_castpd_si256(kd[j]), 52),
                                              _mm256_set1_epi64x(std::int64_t{1023} << 52));
        x[j] = _mm256_mul_pd(y, _mm256_castsi256_pd(bits));
    }
}

// tanh of K vectors in place.
template <int K>
FLOOR_AVX2 void tanh_avx2(__m256d (&x)[K]) {
    exp_plain_avx2(x);
    for (int j = 0; j < K; ++j) {
        const __m256d inv = _mm256_div_pd(set(1.0), x[j]);
        x[j] = _mm256_div_pd(_mm256_sub_pd(x[j], inv), _mm256_add_pd(x[j], inv));
    }
}

// Targets t .. t + kT - 1 of a layer of n for the block's kB vectors:
// 0.5 * sum over s of w[s * n + t] * source[s][b], into arg[t][b].
template <int kT>
FLOOR_AVX2 void arguments(const double* w, int n, int t, const __m256d* source, int sources, __m256d* arg) {
    __m256d acc[kT][kB];
    for (int i = 0; i < kT; ++i)
        for (int b = 0; b < kB; ++b) acc[i][b] = _mm256_setzero_pd();
    for (int s = 0; s < sources; ++s)
        for (int i = 0; i < kT; ++i) {
            const __m256d weight = _mm256_broadcast_sd(w + s * n + t + i);
            for (int b = 0; b < kB; ++b)
                acc[i][b] = _mm256_add_pd(acc[i][b], _mm256_mul_pd(weight, source[s * kB + b]));
        }
    for (int i = 0; i < kT; ++i)
        for (int b = 0; b < kB; ++b) arg[(t + i) * kB + b] = _mm256_mul_pd(set(0.5), acc[i][b]);
}

// The error sum over the examples, `in` holding input s of vector v at
// in[v * kIn + s] and `target` target o at target[v * kOut + o].
__attribute__((target("avx2"))) double floor_error_sum(const double* w, const __m256d* in, const __m256d* target) {
    alignas(32) double error[kB * 4];
    double sum = 0.0;
    for (int v = 0; v < kVectors; v += kB) {
        __m256d arg[kHidden * kB], hidden[kHidden * kB], out[kOut * kB];
        const __m256d* x = in + v * kIn;  // kB vectors' inputs, source-major
        for (int t = 0; t + 3 <= kHidden; t += 3) arguments<3>(w, kHidden, t, x, kIn, arg);
        for (int k = 0; k < kHidden * kB; k += 4) {
            __m256d h[4];
            for (int j = 0; j < 4; ++j) h[j] = arg[k + j];
            tanh_avx2(h);
            for (int j = 0; j < 4; ++j) hidden[k + j] = h[j];
        }
        arguments<2>(w + kIn * kHidden, kOut, 0, hidden, kHidden, out);
        arguments<2>(w + kIn * kHidden, kOut, 2, hidden, kHidden, out);
        __m256d o[kOut * kB];
        for (int k = 0; k < kOut * kB; k += 4) {
            __m256d h[4];
            for (int j = 0; j < 4; ++j) h[j] = out[k + j];
            tanh_avx2(h);
            for (int j = 0; j < 4; ++j) o[k + j] = h[j];
        }
        const __m256d* y = target + v * kOut;
        for (int b = 0; b < kB; ++b) {
            __m256d sq = _mm256_setzero_pd();
            for (int k = 0; k < kOut; ++k) {
                const __m256d diff = _mm256_sub_pd(o[k * kB + b], y[k * kB + b]);
                sq = _mm256_add_pd(sq, _mm256_mul_pd(diff, diff));
            }
            _mm256_store_pd(error + b * 4, _mm256_sqrt_pd(sq));
        }
        for (const double e : error) sum += e;
    }
    return sum;
}

// Four doubles, one vector's lanes.
struct alignas(32) Lanes {
    double lane[4];
};

struct FloorData {
    std::vector<double> exemplar, weights;
    std::vector<Lanes> in, target;
    const __m256d* inputs() const { return reinterpret_cast<const __m256d*>(in.data()); }
    const __m256d* targets() const { return reinterpret_cast<const __m256d*>(target.data()); }
};

FloorData floor_data() {
    const NetShape shape{kIn, kHidden, kOut};
    FloorData f;
    f.exemplar.resize(shape.example_width() * kExamples);
    for (double& v : f.exemplar) v = 0.01 + 0.98 * uniform();
    f.weights.resize(shape.weights());
    for (double& v : f.weights) v = uniform();
    f.in.resize(kVectors * kIn);
    f.target.resize(kVectors * kOut);
    // Example e = 4 v + l, v in block v / kB: value s of it at lane l of
    // in[(v / kB) * kB * kIn + s * kB + v % kB].
    for (int e = 0; e < kExamples; ++e) {
        const int v = e / 4, l = e % 4, block = v / kB * kB;
        for (int s = 0; s < kIn; ++s) f.in[block * kIn + s * kB + v % kB].lane[l] = f.exemplar[e * (kIn + kOut) + s];
        for (int o = 0; o < kOut; ++o)
            f.target[block * kOut + o * kB + v % kB].lane[l] = f.exemplar[e * (kIn + kOut) + kIn + o];
    }
    return f;
}

// The floor kernel (0) and fitness on the same network, its AVX2 build
// forced, over examples laid out once as the trainings lay them out (1) or
// over the exemplar itself (2); with --benchmark_enable_random_interleaving,
// in turn.
void BM_fitness_floor(benchmark::State& state) {
    if (!__builtin_cpu_supports("avx2")) return state.SkipWithError("no AVX2");
    const FloorData f = floor_data();
    const NetShape shape{kIn, kHidden, kOut};
    const Examples examples(f.exemplar, shape, kExamples);
    const double floor = floor_error_sum(f.weights.data(), f.inputs(), f.targets()) / kExamples;
    if (floor != fitness(f.weights, f.exemplar, shape, kExamples) || floor != fitness(f.weights, examples))
        return state.SkipWithError("the floor kernel's result differs from fitness");
    mc_force_simd_target(HWY_AVX2);
    for (auto _ : state) {
        if (state.range(0) == 0)
            benchmark::DoNotOptimize(floor_error_sum(f.weights.data(), f.inputs(), f.targets()) / kExamples);
        else if (state.range(0) == 1)
            benchmark::DoNotOptimize(fitness(f.weights, examples));
        else
            benchmark::DoNotOptimize(fitness(f.weights, f.exemplar, shape, kExamples));
    }
    state.SetItemsProcessed(state.iterations() * kExamples);
    mc_force_simd_target(0);
}

// The least of the repetitions: the time least disturbed by other work.
double least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
BENCHMARK(BM_fitness_floor)
    ->ArgName("fitness")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", least);

// The activations alone: 19 a pass of 500 vectors, four vectors at a time
// (the floor kernel's grouping), or two (fewer chains to overlap).
template <int K>
__attribute__((target("avx2"))) void BM_floor_activations(benchmark::State& state) {
    alignas(32) double buf[4 * 64];
    for (int k = 0; k < 256; ++k) buf[k] = (k % 17) / 9.0 - 1.0;
    __m256d* v = reinterpret_cast<__m256d*>(buf);
    for (auto _ : state) {
        for (int rep = 0; rep < 19 * kVectors / 64; ++rep)
            for (int k = 0; k < 64; k += K) {
                __m256d h[K];
                for (int j = 0; j < K; ++j) h[j] = v[k + j];
                tanh_avx2(h);
                for (int j = 0; j < K; ++j) v[k + j] = h[j];
            }
        benchmark::DoNotOptimize(buf);
    }
    state.SetItemsProcessed(state.iterations() * (19 * kVectors / 64) * 64);
}
BENCHMARK(BM_floor_activations<2>)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", least);
BENCHMARK(BM_floor_activations<4>)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", least);

// 1200 independent vector divisions (or square roots) an iteration, twelve
// chains so that the divider, not the latency, bounds them.
template <bool kSqrt>
__attribute__((target("avx2"))) void divider_throughput(benchmark::State& state) {
    __m256d x[12];
    for (int j = 0; j < 12; ++j) x[j] = set(1.0 + j / 16.0);
    const __m256d one = set(1.0000001);
    for (auto _ : state) {
        for (int k = 0; k < 100; ++k)
            for (int j = 0; j < 12; ++j) x[j] = kSqrt ? _mm256_sqrt_pd(x[j]) : _mm256_div_pd(one, x[j]);
        for (int j = 0; j < 12; ++j) benchmark::DoNotOptimize(x[j]);
    }
    state.SetItemsProcessed(state.iterations() * 1200);
}
void BM_vdivpd_throughput(benchmark::State& state) { divider_throughput<false>(state); }
void BM_vsqrtpd_throughput(benchmark::State& state) { divider_throughput<true>(state); }
BENCHMARK(BM_vdivpd_throughput);
BENCHMARK(BM_vsqrtpd_throughput);

// One dependent chain of 1000 vector additions: 3 cycles each, a clock.
__attribute__((target("avx2"))) void BM_vaddpd_latency(benchmark::State& state) {
    __m256d x = set(1.0);
    const __m256d tiny = set(1e-300);
    for (auto _ : state) {
        for (int k = 0; k < 1000; ++k) x = _mm256_add_pd(x, tiny);
        benchmark::DoNotOptimize(x);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_vaddpd_latency);

}  // namespace
