// The solver's step loop, on vectors of four lanes, built for more than one
// instruction set, and the choice among its paths (the four-lane loop in
// halves and whole, and the eight-lane loop of american_steps_avx512.cpp).
//
// The choice among them is the solver's own rather than the simulation's
// per-target dispatch (Highway's foreach_target): the ring layout below
// wants a fixed number of lanes, where Highway's vectors are as wide as
// the target's (two doubles on the 128-bit targets), and two forms of one
// four-lane loop, in halves and whole, and one eight-lane loop are all it
// needs; its own pin also lets the tests run each form without forcing the
// simulation's choice with it.
#include "pricing/american_steps.h"

#include <stdexcept>
#include <vector>

#include "pricing/testing.h"

namespace tvx {
namespace usa {
namespace {

// The step loop keeps the nodes -49 to 50 (indices 1 to 100) in four runs of
// 25 that sit side by side in the four lanes of a vector: vector j holds
// the indices 1 + j, 26 + j, 51 + j and 76 + j. A node's neighbours are then
// the same lane of the vectors j - 1 and j + 1, whole aligned vectors,
// instead of vectors one node off the alignment. Only the ends of the runs
// take their neighbours from the next run, a lane shift of vector 24 or 0,
// so the 25 vectors form a ring. Node 50 is the fourth lane of vector 24;
// node -50 is kept beside the ring (the edges are described below).
typedef double Quad __attribute__((vector_size(32)));
constexpr int runs = 25;
struct alignas(64) Quads {
    Quad q[runs];
};

inline void to_quads(const Column& c, Quads& out) {
    for (int i = 1; i < usa_nodes; ++i) out.q[(i - 1) % runs][(i - 1) / runs] = c[i];
}

inline void from_quads(const Quads& in, Column& c) {
    for (int i = 1; i < usa_nodes; ++i) c[i] = in.q[(i - 1) % runs][(i - 1) / runs];
}

// The order in which a step visits the vectors: from the seam of the ring
// (24, 0, 23, 1, ...) to its middle (..., 11, 12). A vector needs its
// neighbours of the step before, and those come within a few places of its
// own place in that step, so every input of a step was computed about a
// whole step earlier and the processor overlaps consecutive steps.
constexpr int visit(int m) { return m % 2 == 0 ? runs - 1 - m / 2 : m / 2; }

// Two ways to work through the four lanes of a vector: whole, with 256-bit
// instructions, or in two halves with 128-bit ones (every x86-64 processor
// has those; left to itself, the compiler would take 256-bit vectors apart
// lane by lane, through memory, on a processor without them).
typedef double Pair __attribute__((vector_size(16), may_alias));

// Every function that takes or returns a vector is inlined wherever it is
// used (also without optimisation), so that none is ever called across the
// boundary between the AVX2 copy and the rest, where 256-bit vectors would
// be passed by different conventions.
struct Whole {
    using V = Quad;
    static constexpr int parts = 1;
    [[gnu::always_inline]] static V part(const Quad& q, int) { return q; }
    [[gnu::always_inline]] static void set(Quad& q, int, V v) { q = v; }
    [[gnu::always_inline]] static V splat(double x) { return V{x, x, x, x}; }
};

struct Halves {
    using V = Pair;
    static constexpr int parts = 2;
    [[gnu::always_inline]] static V part(const Quad& q, int p) { return reinterpret_cast<const Pair*>(&q)[p]; }
    [[gnu::always_inline]] static void set(Quad& q, int p, V v) { reinterpret_cast<Pair*>(&q)[p] = v; }
    [[gnu::always_inline]] static V splat(double x) { return V{x, x}; }
};

// The weights of the three-term update, one in every lane.
template <class W>
struct Weights {
    using V = typename W::V;
    V pu, pm, pd;
};

template <class W>
[[gnu::always_inline]] inline Weights<W> weights_of(const Scheme& s) {
    return {W::splat(s.pu), W::splat(s.pm), W::splat(s.pd)};
}

// The edge nodes take no scalar operations and no moves between lanes of
// their own. Node 50 sits where the layout puts it, in the fourth lane of
// vector 24; its rule, the continuation at node 49 (the fourth lane of
// vector 23's) plus high_step, is one addition on vector 23's continuation
// and a lane taken from the sum. Node -50 has no place in the ring; it is
// kept in the first lane of a vector of its own, where its rule, the
// continuation at node -49 (the first lane of vector 0's) minus low_step
// and the exercise test, is two operations on vector 0's continuation. The
// other lanes of that vector are never read.
//
// The constants of these rules are used once a step each and are read from
// memory, which leaves the registers to the weights and the columns.
struct EdgeTerms {
    Quad low_step, high_step, lowest_exercise;  // each in every lane
};

// The neighbours of the ends of the runs: nodes -50, -25, 0, 25 below the
// first vector, and -24, 1, 26 above the last. The last vector's fourth
// lane, node 50, does not take the three-term update, so what stands above
// it does not matter; it is node 26 again, finite whenever the column is.
struct Ends {
    Quad below_first, above_last;
};

template <class W>
[[gnu::always_inline]] inline Ends ends_of(const Quads& a, const typename W::V& lowest) {
    const Quad first = a.q[0], last = a.q[runs - 1];
    if constexpr (W::parts == 1) {
        return {__builtin_shufflevector(lowest, last, 0, 4, 5, 6), __builtin_shufflevector(first, first, 1, 2, 3, 3)};
    } else {
        return {Quad{lowest[0], last[0], last[1], last[2]}, Quad{first[1], first[2], first[3], first[3]}};
    }
}

// c with its last lane taken from t.
template <class W>
[[gnu::always_inline]] inline typename W::V with_last_lane(typename W::V c, typename W::V t) {
    if constexpr (W::parts == 1)
        return __builtin_shufflevector(c, t, 0, 1, 2, 7);
    else
        return __builtin_shufflevector(c, t, 0, 3);
}

// The exercise test, lane by lane: maximum's, the exercise value x where it
// is greater, else the continuation c (so a NaN or an infinity passes).
template <class W>
[[gnu::always_inline]] inline void exercise_test(const Quad& x, const Quad& c, Quad& out) {
    for (int p = 0; p < W::parts; ++p) {
        const typename W::V xp = W::part(x, p), cp = W::part(c, p);
        W::set(out, p, xp > cp ? xp : cp);
    }
}

// One backward step from a to b: the three-term update at every node, the
// exercise test and the two edges. Every product and sum is rounded by
// itself in the order written (this file is built without contraction into
// fused multiply-adds), the same for every node and on every instruction
// set.
template <class W>
[[gnu::always_inline]] inline void step(const Quads& __restrict a, Quads& __restrict b, const Quads& __restrict ex,
                                        typename W::V& lowest, const Weights<W>& w, const EdgeTerms& t) {
    using V = typename W::V;
    const Ends e = ends_of<W>(a, lowest);
    // Vector 24's continuation, kept until vector 23's gives it node 50.
    Quad cont_last;

#pragma GCC unroll 25
    for (int m = 0; m < runs; ++m) {
        const int j = visit(m);
        const Quad& below = j == 0 ? e.below_first : a.q[j - 1];
        const Quad& above = j == runs - 1 ? e.above_last : a.q[j + 1];
        Quad cont;
        for (int p = 0; p < W::parts; ++p)
            W::set(cont, p, w.pu * W::part(above, p) + w.pm * W::part(a.q[j], p) + w.pd * W::part(below, p));
        if (j == runs - 1) {
            cont_last = cont;
            continue;
        }
        exercise_test<W>(ex.q[j], cont, b.q[j]);
        if (j == 0) {
            const V low = W::part(cont, 0) - W::part(t.low_step, 0);
            const V x = W::part(t.lowest_exercise, 0);
            lowest = x > low ? x : low;
        }
        if (j == runs - 2) {
            constexpr int p = W::parts - 1;
            W::set(cont_last, p, with_last_lane<W>(W::part(cont_last, p), W::part(cont, p) + W::part(t.high_step, p)));
            exercise_test<W>(ex.q[runs - 1], cont_last, b.q[runs - 1]);
        }
    }
}

// The vectors of the step loop: the exercise values, two sets that take
// turns as source and destination, and the edges' constants. They live in the caller's memory, and
// each step reads its source from there and writes its destination there:
// left to itself, the compiler would carry the columns from step to step as
// 75 separate variables, far more than there are registers, and spend much
// of each step copying them between registers and the stack.
struct Work {
    Quads ex, one, other;
    EdgeTerms edge;
};

// Between steps, the new column is taken from memory again rather than
// kept in 25 registers that do not exist.
[[gnu::always_inline]] inline void settle() { asm volatile("" ::: "memory"); }

// All the steps, from the terminal values in `value` to the values at the
// start.
template <class W>
[[gnu::always_inline]] inline void run_steps(const Scheme& s, Column& value, Work& work) {
    Quads& ex = work.ex;
    Quads& one = work.one;
    Quads& other = work.other;
    to_quads(s.exercise, ex);
    to_quads(value, one);
    const Weights<W> w = weights_of<W>(s);
    work.edge = {Quad{s.low_step, s.low_step, s.low_step, s.low_step},
                 Quad{s.high_step, s.high_step, s.high_step, s.high_step},
                 Quad{s.exercise[0], s.exercise[0], s.exercise[0], s.exercise[0]}};
    const EdgeTerms& t = work.edge;
    typename W::V lowest = W::splat(value[0]);
    int left = s.steps;
    for (; left >= 2; left -= 2) {
        step<W>(one, other, ex, lowest, w, t);
        settle();
        step<W>(other, one, ex, lowest, w, t);
        settle();
    }
    if (left == 1) step<W>(one, other, ex, lowest, w, t);
    from_quads(left == 1 ? other : one, value);
    value[0] = lowest[0];
}

using StepLoop = void (*)(const Scheme&, Column&, Work&);

// The step loop, once per instruction set. The portable copy works in
// halves of vectors, two doubles per instruction, which every x86-64
// processor has; the AVX2 copy takes four at a time. AVX2 brings no fused multiply-add, and this file is built
// with contraction off in any case, so both round alike.
void run_steps_portable(const Scheme& s, Column& value, Work& work) { run_steps<Halves>(s, value, work); }

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TVX_SOLVER_X86 1
__attribute__((target("avx2"))) void run_steps_avx2(const Scheme& s, Column& value, Work& work) {
    run_steps<Whole>(s, value, work);
}
// The 512-bit loop keeps its column in registers and needs no work space.
void run_steps_avx512_path(const Scheme& s, Column& value, Work&) { run_steps_avx512(s, value); }
#endif

bool supported(SolverPath p) {
    switch (p) {
        case SolverPath::Portable: return true;
        case SolverPath::Avx2:
#ifdef TVX_SOLVER_X86
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx2");
#else
            return false;
#endif
        case SolverPath::Avx512:
#ifdef TVX_SOLVER_X86
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx512f");
#else
            return false;
#endif
    }
    return false;
}

StepLoop loop_of(SolverPath p) {
#ifdef TVX_SOLVER_X86
    if (p == SolverPath::Avx2) return run_steps_avx2;
    if (p == SolverPath::Avx512) return run_steps_avx512_path;
#endif
    (void)p;
    return run_steps_portable;
}

constexpr SolverPath all_paths[] = {SolverPath::Portable, SolverPath::Avx2, SolverPath::Avx512};

// The last path the processor runs: the widest.
SolverPath fastest_path() {
    SolverPath fastest = SolverPath::Portable;
    for (const SolverPath p : all_paths)
        if (supported(p)) fastest = p;
    return fastest;
}

// The path in use: the fastest one unless a test has pinned another.
struct Dispatch {
    SolverPath path = fastest_path();
    StepLoop loop = loop_of(path);
};

Dispatch& dispatch() {
    static Dispatch d;
    return d;
}

}  // namespace

void run_steps(const Scheme& s, Column& value) {
    Work work;
    dispatch().loop(s, value, work);
}

}  // namespace usa

using usa::dispatch;
using usa::fastest_path;
using usa::loop_of;
using usa::supported;

std::vector<SolverPath> solver_usa_paths() {
    std::vector<SolverPath> paths;
    for (const SolverPath p : usa::all_paths)
        if (supported(p)) paths.push_back(p);
    return paths;
}

SolverPath solver_usa_path() { return dispatch().path; }

void pin_solver_usa_path(SolverPath p) {
    if (!supported(p)) throw std::invalid_argument("this processor cannot run that path of the solver");
    dispatch() = {p, loop_of(p)};
}

void unpin_solver_usa_path() { pin_solver_usa_path(fastest_path()); }

const char* solver_path_name(SolverPath p) {
    switch (p) {
        case SolverPath::Portable: return "portable";
        case SolverPath::Avx2: return "avx2";
        case SolverPath::Avx512: return "avx512";
    }
    return "?";
}

}  // namespace tvx
