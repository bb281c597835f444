// The floor under the fitness evaluation on AVX-512: the kernel of
// bench_fitness_floor.cpp (the same operations, the same bits, checked
// before timing, at 10-15-4 with 2000 examples transposed once beforehand,
// no range or fault checks, no dispatch, no partial groups) on eight-lane
// vectors, with the examples taken kB vectors at a time (2: sixteen
// examples, the pass of fitness; 5: forty), timed beside fitness in one
// process.
#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "neural/network.h"
#include "pricing/random.h"

namespace {

using namespace tvx;

constexpr int kIn = 10, kHidden = 15, kOut = 4, kExamples = 2000, kVectors = kExamples / 8;

typedef double V __attribute__((vector_size(64)));
typedef std::int64_t I __attribute__((vector_size(64)));

#define FLOOR_AVX512 __attribute__((target("avx512f"), always_inline)) inline

FLOOR_AVX512 V set(double v) { return V{v, v, v, v, v, v, v, v}; }

// The plain exponential, operation for operation (each product and sum
// rounded by itself: this file is built without contraction).
template <int K>
FLOOR_AVX512 void exp_plain(V (&x)[K]) {
    const V shift = set(0x1.8p52);
    V kd[K], r[K], r2[K], r4[K];
    for (int j = 0; j < K; ++j) {
        kd[j] = x[j] * set(1.4426950408889634) + shift;
        const V k = kd[j] - shift;
        r[j] = x[j] - k * set(0x1.62e42fee00000p-1);
        r[j] = r[j] - k * set(0x1.a39ef35793c76p-33);
        r2[j] = r[j] * r[j];
        r4[j] = r2[j] * r2[j];
    }
    for (int j = 0; j < K; ++j) {
        const V p01 = set(1.0 / 6) * r[j] + set(1.0 / 2);
        const V p23 = set(1.0 / 120) * r[j] + set(1.0 / 24);
        const V p45 = set(1.0 / 5040) * r[j] + set(1.0 / 720);
        const V p67 = set(1.0 / 362880) * r[j] + set(1.0 / 40320);
        const V p89 = set(1.0 / 39916800) * r[j] + set(1.0 / 3628800);
        const V p1011 = set(1.0 / 6227020800) * r[j] + set(1.0 / 479001600);
        const V q0 = p23 * r2[j] + p01, q1 = p67 * r2[j] + p45, q2 = p1011 * r2[j] + p89;
        const V bracket = (q2 * r4[j] + q1) * r4[j] + q0;
        const V y = (bracket * r2[j] + r[j]) + set(1.0);
        const I one_bits = {1023LL << 52, 1023LL << 52, 1023LL << 52, 1023LL << 52,
                            1023LL << 52, 1023LL << 52, 1023LL << 52, 1023LL << 52};
        x[j] = y * (V)(((I)kd[j] << 52) + one_bits);
    }
}

template <int K>
FLOOR_AVX512 void tanh_avx512(V (&x)[K]) {
    exp_plain(x);
    for (int j = 0; j < K; ++j) {
        const V inv = set(1.0) / x[j];
        x[j] = (x[j] - inv) / (x[j] + inv);
    }
}

// Targets t .. t + kT - 1 of a layer of n for a block's kB vectors.
template <int kB, int kT>
FLOOR_AVX512 void arguments(const double* w, int n, int t, const V* source, int sources, V* arg) {
    V acc[kT][kB];
    for (int i = 0; i < kT; ++i)
        for (int b = 0; b < kB; ++b) acc[i][b] = set(0.0);
    for (int s = 0; s < sources; ++s)
        for (int i = 0; i < kT; ++i) {
            const V weight = set(w[s * n + t + i]);
            for (int b = 0; b < kB; ++b) acc[i][b] = acc[i][b] + weight * source[s * kB + b];
        }
    for (int i = 0; i < kT; ++i)
        for (int b = 0; b < kB; ++b) arg[(t + i) * kB + b] = set(0.5) * acc[i][b];
}

// tanh of n vectors in place, two at a time (four or eight were slower
// here), then one by one.
FLOOR_AVX512 void activations(V* v, int n) {
    int k = 0;
    for (; k + 2 <= n; k += 2) {
        V h[2];
        for (int j = 0; j < 2; ++j) h[j] = v[k + j];
        tanh_avx512(h);
        for (int j = 0; j < 2; ++j) v[k + j] = h[j];
    }
    for (; k < n; ++k) {
        V h[1] = {v[k]};
        tanh_avx512(h);
        v[k] = h[0];
    }
}

// The error sum over the examples, `in` holding input s of vector v at
// in[(v / kB) * kB * kIn + s * kB + v % kB] and the targets alike.
template <int kB>
__attribute__((target("avx512f"))) double floor_error_sum(const double* w, const V* in, const V* target) {
    alignas(64) double error[kB * 8];
    double sum = 0.0;
    for (int v = 0; v < kVectors; v += kB) {
        V hidden[kHidden * kB], out[kOut * kB];
        const V* x = in + v * kIn;
        for (int t = 0; t + 3 <= kHidden; t += 3) arguments<kB, 3>(w, kHidden, t, x, kIn, hidden);
        activations(hidden, kHidden * kB);
        arguments<kB, 2>(w + kIn * kHidden, kOut, 0, hidden, kHidden, out);
        arguments<kB, 2>(w + kIn * kHidden, kOut, 2, hidden, kHidden, out);
        activations(out, kOut * kB);
        const V* y = target + v * kOut;
        for (int b = 0; b < kB; ++b) {
            V sq = set(0.0);
            for (int k = 0; k < kOut; ++k) {
                const V diff = out[k * kB + b] - y[k * kB + b];
                sq = sq + diff * diff;
            }
            _mm512_store_pd(error + b * 8, _mm512_mask_sqrt_pd(sq, 0xFF, sq));  // all lanes
        }
        for (const double e : error) sum += e;
    }
    return sum;
}

struct alignas(64) Lanes {
    double lane[8];
};

template <int kB>
struct FloorData {
    std::vector<double> exemplar, weights;
    std::vector<Lanes> in, target;
    double error_sum() const {
        return floor_error_sum<kB>(weights.data(), reinterpret_cast<const V*>(in.data()),
                                   reinterpret_cast<const V*>(target.data()));
    }
};

template <int kB>
FloorData<kB> floor_data() {
    const NetShape shape{kIn, kHidden, kOut};
    FloorData<kB> f;
    f.exemplar.resize(shape.example_width() * kExamples);
    for (double& v : f.exemplar) v = 0.01 + 0.98 * uniform();
    f.weights.resize(shape.weights());
    for (double& v : f.weights) v = uniform();
    f.in.resize(kVectors * kIn);
    f.target.resize(kVectors * kOut);
    for (int e = 0; e < kExamples; ++e) {
        const int v = e / 8, l = e % 8, block = v / kB * kB;
        for (int s = 0; s < kIn; ++s) f.in[block * kIn + s * kB + v % kB].lane[l] = f.exemplar[e * (kIn + kOut) + s];
        for (int o = 0; o < kOut; ++o)
            f.target[block * kOut + o * kB + v % kB].lane[l] = f.exemplar[e * (kIn + kOut) + kIn + o];
    }
    return f;
}

// range(0): 0 the floor with sixteen examples a block, 1 with forty, 2
// fitness over examples laid out once (as the trainings evaluate), 3 over
// the exemplar itself; with --benchmark_enable_random_interleaving, in turn.
void BM_fitness_floor_avx512(benchmark::State& state) {
    if (!__builtin_cpu_supports("avx512f")) return state.SkipWithError("no AVX-512");
    const FloorData<2> f = floor_data<2>();
    const FloorData<5> f5 = floor_data<5>();
    const NetShape shape{kIn, kHidden, kOut};
    const Examples examples(f.exemplar, shape, kExamples);
    const double floor = f.error_sum() / kExamples;
    if (floor != fitness(f.weights, f.exemplar, shape, kExamples) || floor != fitness(f.weights, examples) ||
        f5.error_sum() / kExamples != fitness(f5.weights, f5.exemplar, shape, kExamples))
        return state.SkipWithError("the floor kernel's result differs from fitness");
    for (auto _ : state) {
        switch (state.range(0)) {
            case 0: benchmark::DoNotOptimize(f.error_sum() / kExamples); break;
            case 1: benchmark::DoNotOptimize(f5.error_sum() / kExamples); break;
            case 2: benchmark::DoNotOptimize(fitness(f.weights, examples)); break;
            default: benchmark::DoNotOptimize(fitness(f.weights, f.exemplar, shape, kExamples));
        }
    }
    state.SetItemsProcessed(state.iterations() * kExamples);
}

double least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
BENCHMARK(BM_fitness_floor_avx512)
    ->ArgName("fitness")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", least);

// 1200 independent 512-bit divisions an iteration, twelve chains: the
// divider's throughput, which bounds the 38 divisions of each example's
// 19 activations.
__attribute__((target("avx512f"))) void BM_vdivpd_zmm_throughput(benchmark::State& state) {
    if (!__builtin_cpu_supports("avx512f")) return state.SkipWithError("no AVX-512");
    V x[12];
    for (int j = 0; j < 12; ++j) x[j] = set(1.0 + j / 16.0);
    const V one = set(1.0000001);
    for (auto _ : state) {
        for (int k = 0; k < 100; ++k)
            for (int j = 0; j < 12; ++j) x[j] = one / x[j];
        for (int j = 0; j < 12; ++j) benchmark::DoNotOptimize(x[j]);
    }
    state.SetItemsProcessed(state.iterations() * 1200);
}
BENCHMARK(BM_vdivpd_zmm_throughput);

}  // namespace
