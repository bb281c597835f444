// The floor under the American solver: the fastest step loop written here
// for the same scheme and the same bits, timed beside solver_usa in one
// process. The same operations at every node (pu * above + pm * here +
// pd * below, each product and sum rounded by itself, then maximum's
// exercise test), checked against solver_usa's value before timing; but
// hand-written for AVX-512 at the main window's default terms, with the
// grid constants computed once outside the timing, the column kept in
// registers and two steps unrolled. solver_usa adds its grid constants, its
// price grid, the moves of the columns into and out of the vectors and the
// check of the last column. Beside them, solver_usa on its AVX2 path.
#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "pricing/american.h"
#include "pricing/testing.h"

namespace {

using namespace tvx;

constexpr double kT = 0.5, kSigma = 0.2, kR = 0.045, kX = 64.0, kS = 60.0, kDelta = 0.021;
constexpr std::int16_t kPut = 1;

// The scheme's constants and terminal column at the default terms, by the
// solver's own formulas and rounding.
struct Grid {
    double pu, pm, pd, low_step, high_step;
    int steps;
    std::array<double, usa_nodes> exercise, value;
};

// The terms go through memory, so that the compiler cannot fold the grid
// constants at build time (its exponential may round otherwise than the
// library's).
Grid grid(const volatile double (&terms)[6]) {
    const double t = terms[0], sigma = terms[1], r = terms[2], x = terms[3], S = terms[4], delta = terms[5];
    Grid g{};
    const double dx = sigma * 6.0 * std::sqrt(t) / 101.0;
    const double dt = dx * (dx * 0.5) / (sigma * (sigma * 3.0));
    g.steps = static_cast<int>(std::nearbyint(t / dt));
    const double nu = (r - delta) - sigma * sigma * 0.5, dx2 = dx * dx;
    const double s2_dx2 = sigma * sigma / dx2, nu_dx = nu / dx, half_dt = dt * 0.5;
    g.pu = (s2_dx2 + nu_dx) * half_dt;
    g.pd = (s2_dx2 - nu_dx) * half_dt;
    g.pm = (1.0 - sigma * (dt * sigma) / dx2) - dt * r;
    const double growth = std::exp(dx);
    double price[usa_nodes];
    price[0] = S * std::exp(-50.0 * dx);
    for (int k = 1; k < usa_nodes; ++k) price[k] = price[k - 1] * growth;
    for (int k = 0; k < usa_nodes; ++k) {
        g.exercise[k] = x - price[k];
        g.value[k] = std::max(0.0, g.exercise[k]);
    }
    g.low_step = -1.0 * (price[1] - price[0]);  // a put in the money at the lowest node
    g.high_step = 0.0;                          // and out of it at the highest
    return g;
}

// Node k in slot k + 53 of 104, slot s in lane s / 13 of vector s % 13 (the
// solver's own layout; see american_steps_avx512.cpp).
namespace wide {

#define FLOOR_AVX512 __attribute__((target("avx512f"), always_inline)) inline
constexpr int kV = 13;

FLOOR_AVX512 __m512d up(__m512d v) { return __builtin_shufflevector(v, v, 7, 0, 1, 2, 3, 4, 5, 6); }
FLOOR_AVX512 __m512d down(__m512d v) { return __builtin_shufflevector(v, v, 1, 2, 3, 4, 5, 6, 7, 0); }
FLOOR_AVX512 __m512d three(__m512d pu, __m512d pm, __m512d pd, __m512d a, __m512d h, __m512d b) {
    return _mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(pu, a), _mm512_mul_pd(pm, h)), _mm512_mul_pd(pd, b));
}

FLOOR_AVX512 void step(__m512d (&v)[kV], const __m512d* ex, __m512d pu, __m512d pm, __m512d pd, __m512d low,
                       __m512d high) {
    __m512d c[kV];
    c[0] = three(pu, pm, pd, v[1], v[0], up(v[kV - 1]));
    for (int j = 1; j < kV - 1; ++j) c[j] = three(pu, pm, pd, v[j + 1], v[j], v[j - 1]);
    c[kV - 1] = three(pu, pm, pd, down(v[0]), v[kV - 1], v[kV - 2]);
    c[3] = _mm512_mask_sub_pd(c[3], 1, c[4], low);
    c[kV - 1] = _mm512_mask_add_pd(c[kV - 1], 0x80, c[kV - 2], high);
    for (int j = 0; j < kV; ++j) v[j] = ex[j] > c[j] ? ex[j] : c[j];
}

struct alignas(64) Slots {
    double at[kV * 8] = {};
    static int index(int node) { return (node + 3) % kV * 8 + (node + 3) / kV; }
};

__attribute__((target("avx512f"))) double value(const Grid& g, const Slots& ex, const Slots& start) {
    const __m512d pu = _mm512_set1_pd(g.pu), pm = _mm512_set1_pd(g.pm), pd = _mm512_set1_pd(g.pd);
    const __m512d low = _mm512_set1_pd(g.low_step), high = _mm512_set1_pd(g.high_step);
    const __m512d* x = reinterpret_cast<const __m512d*>(ex.at);
    __m512d v[kV];
    for (int j = 0; j < kV; ++j) v[j] = _mm512_load_pd(start.at + j * 8);
    int n = g.steps;
    for (; n >= 2; n -= 2) {
        step(v, x, pu, pm, pd, low, high);
        step(v, x, pu, pm, pd, low, high);
    }
    if (n == 1) step(v, x, pu, pm, pd, low, high);
    alignas(64) double out[kV * 8];
    for (int j = 0; j < kV; ++j) _mm512_store_pd(out + j * 8, v[j]);
    return out[Slots::index(50)];
}

}  // namespace wide

// The least of the repetitions: the time least disturbed by other work.
double least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// range(0): 0 the floor, 1 solver_usa on its AVX-512 path, 2 on its AVX2
// path; with --benchmark_enable_random_interleaving, in turn.
void BM_solver_usa_floor(benchmark::State& state) {
    const auto paths = solver_usa_paths();
    if (std::find(paths.begin(), paths.end(), SolverPath::Avx512) == paths.end())
        return state.SkipWithError("not on this processor");
    static const volatile double terms[6] = {kT, kSigma, kR, kX, kS, kDelta};
    const Grid g = grid(terms);
    const double solver = solver_usa(kT, kSigma, kR, kX, kS, kDelta, kPut);
    wide::Slots wex, wstart;
    for (int i = 0; i < usa_nodes; ++i) {
        wex.at[wide::Slots::index(i)] = g.exercise[i];
        wstart.at[wide::Slots::index(i)] = g.value[i];
    }
    if (wide::value(g, wex, wstart) != solver)
        return state.SkipWithError("the floor kernel's value differs from solver_usa");
    if (state.range(0) > 0) pin_solver_usa_path(state.range(0) == 1 ? SolverPath::Avx512 : SolverPath::Avx2);
    state.SetLabel(state.range(0) == 0 ? "floor" : solver_path_name(solver_usa_path()));
    for (auto _ : state) {
        if (state.range(0) == 0)
            benchmark::DoNotOptimize(wide::value(g, wex, wstart));
        else
            benchmark::DoNotOptimize(solver_usa(kT, kSigma, kR, kX, kS, kDelta, kPut));
    }
    unpin_solver_usa_path();
}
BENCHMARK(BM_solver_usa_floor)
    ->ArgName("solver")
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", least);

}  // namespace
