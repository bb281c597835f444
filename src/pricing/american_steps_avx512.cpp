// The solver's step loop on 512-bit vectors: the whole column of the scheme
// held in thirteen registers from the first step to the last.
//
// The 101 nodes lie in eight runs of thirteen that sit side by side in the
// eight lanes of a vector: slot s (0 to 103) is lane s / 13 of vector
// s % 13, and node k (-50..50) sits in slot k + 53, so that slots 0 to 2
// (the first lane of vectors 0 to 2) hold no node. A node's neighbours are
// then the same lane of the vectors j - 1 and j + 1, except at the ends of
// the runs, where they come from the next run, a lane shift of vector 12 or
// 0: the thirteen vectors form a ring, as the four-lane loop's 25 do. Node
// -50 is the first lane of vector 3 and node 50 the last lane of vector 12;
// each takes its edge rule in place of the three-term update through one
// masked operation on its vector. The three empty slots take the update as
// every other lane does; their values, weighted means of their finite
// neighbours, are never read by a node.
//
// Every product and sum is rounded by itself in the order of the four-lane
// loop (this file is built without contraction into fused multiply-adds),
// and the exercise test is maximum's, so every node gets the bits it gets
// on the other paths.
#include "pricing/american_steps.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

namespace tvx::usa {
namespace {

constexpr int kVectors = 13, kLanes = 8, kFirst = 3;  // slot of node -50
constexpr int kLowVector = kFirst, kLowLane = 0;      // node -50
constexpr int kHighVector = kVectors - 1;             // node 50, last lane

#define TVX_AVX512 __attribute__((target("avx512f"), always_inline)) inline

// Lanes shifted up by one (lane 0 gets lane 7) and down by one (lane 7 gets
// lane 0): the neighbours below vector 0 and above vector 12.
TVX_AVX512 __m512d lanes_up(__m512d v) { return __builtin_shufflevector(v, v, 7, 0, 1, 2, 3, 4, 5, 6); }
TVX_AVX512 __m512d lanes_down(__m512d v) { return __builtin_shufflevector(v, v, 1, 2, 3, 4, 5, 6, 7, 0); }

// maximum(continuation c, exercise x): x where it is greater, else c (a
// NaN or an infinity passes).
TVX_AVX512 __m512d exercise_test(__m512d x, __m512d c) { return x > c ? x : c; }

struct Constants {
    __m512d pu, pm, pd, low_step, high_step;
};

// pu * above + pm * here + pd * below, rounded step by step.
TVX_AVX512 __m512d update(const Constants& c, __m512d above, __m512d here, __m512d below) {
    return _mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(c.pu, above), _mm512_mul_pd(c.pm, here)),
                         _mm512_mul_pd(c.pd, below));
}

// One backward step, in place: the update of every vector from the column
// before the step, the edge rules, the exercise test (vmaxpd keeps its
// first operand only where it is greater, as maximum does).
TVX_AVX512 void step(__m512d (&v)[kVectors], const double* ex, const Constants& c) {
    __m512d cont[kVectors];
    cont[0] = update(c, v[1], v[0], lanes_up(v[kVectors - 1]));
    for (int j = 1; j < kVectors - 1; ++j) cont[j] = update(c, v[j + 1], v[j], v[j - 1]);
    cont[kVectors - 1] = update(c, lanes_down(v[0]), v[kVectors - 1], v[kVectors - 2]);
    // Node -50: the continuation at node -49 (the same lane of the next
    // vector) less low_step; node 50: that at node 49 plus high_step.
    cont[kLowVector] = _mm512_mask_sub_pd(cont[kLowVector], 1 << kLowLane, cont[kLowVector + 1], c.low_step);
    cont[kHighVector] = _mm512_mask_add_pd(cont[kHighVector], 1 << (kLanes - 1), cont[kHighVector - 1], c.high_step);
    for (int j = 0; j < kVectors; ++j) v[j] = exercise_test(_mm512_load_pd(ex + j * kLanes), cont[j]);
}

// A column in slot order, vector after vector, the empty slots 0.
struct alignas(64) Slots {
    double at[kVectors * kLanes] = {};
    static int index(int node_index) {
        const int slot = node_index + kFirst;
        return slot % kVectors * kLanes + slot / kVectors;
    }
};

}  // namespace

__attribute__((target("avx512f"))) void run_steps_avx512(const Scheme& s, Column& value) {
    Slots ex, col;
    for (int i = 0; i < usa_nodes; ++i) {
        ex.at[Slots::index(i)] = s.exercise[i];
        col.at[Slots::index(i)] = value[i];
    }
    const Constants c{_mm512_set1_pd(s.pu), _mm512_set1_pd(s.pm), _mm512_set1_pd(s.pd), _mm512_set1_pd(s.low_step),
                      _mm512_set1_pd(s.high_step)};
    __m512d v[kVectors];
    for (int j = 0; j < kVectors; ++j) v[j] = _mm512_load_pd(col.at + j * kLanes);
    for (int n = s.steps; n > 0; --n) step(v, ex.at, c);
    for (int j = 0; j < kVectors; ++j) _mm512_store_pd(col.at + j * kLanes, v[j]);
    for (int i = 0; i < usa_nodes; ++i) value[i] = col.at[Slots::index(i)];
}

}  // namespace tvx::usa
#endif
