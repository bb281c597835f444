// The three models' kernels: a group of pairs advanced through all their
// steps, one pair per vector lane.
//
// Checked arithmetic: the kernels run unchecked, and every lane's states are
// checked once at the end of its path. That is enough, because a fault
// cannot leave a path finite:
// - an exponential of a non-finite argument, or one that overflows, is NaN;
// - a division by an exponential that underflowed to 0, the square root of
//   a negative rate and every overflowing product leave an infinity or a NaN
//   in a state (price, volatility, rate or growth factor);
// - each state is only ever multiplied or divided by finite factors that
//   are positive or 0 (inf * 0 is NaN) or, for the rate, added to, so an
//   infinity or a NaN stays in it to the end of the path. The
// frame checks the payoffs and the running totals as it forms them.
//
// Included once per instruction set (by a file that goes through Highway's
// foreach_target); the guard below flips with each target.

#include <cmath>
#include <cstddef>

#include "pricing/mc/model.h"
#include "pricing/mc/vector_math-inl.h"

#if defined(TVX_PRICING_MC_KERNELS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef TVX_PRICING_MC_KERNELS_INL_H_
#undef TVX_PRICING_MC_KERNELS_INL_H_
#else
#define TVX_PRICING_MC_KERNELS_INL_H_
#endif

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace tvx::mc::HWY_NAMESPACE {

// hn, DF, VF and MF come with vector_math-inl.h.

// The vector exponential (ExpNear, below) holds for |x| <= 706. A path runs
// first with no more than a note of any argument outside [-706, 706] (a
// call in the loop would make the compiler keep every vector in memory);
// the rare path with such a note runs again with those lanes' exponentials
// taken one by one.
HWY_NOINLINE VF ExpBeyondRange(DF d, VF x, VF y) {
    HWY_ALIGN double xs[hn::MaxLanes(DF())];
    HWY_ALIGN double ys[hn::MaxLanes(DF())];
    hn::Store(x, d, xs);
    hn::Store(y, d, ys);
    for (std::size_t l = 0; l < hn::Lanes(d); ++l)
        if (!(std::fabs(xs[l]) <= 706.0)) ys[l] = checked_exp_or_nan(xs[l]);
    return hn::Load(d, ys);
}

template <bool kCareful>
HWY_INLINE VF Exp(DF d, VF x, MF& in_range) {
    const VF y = ExpNear(d, x);
    const MF ok = hn::Le(hn::Abs(x), hn::Set(d, 706.0));
    if constexpr (kCareful) {
        if (!hn::AllTrue(d, ok)) return ExpBeyondRange(d, x, y);
    } else {
        in_range = hn::And(in_range, ok);
    }
    return y;
}

// The state of a vector of lanes.
struct State {
    VF A, B, V, R, D;
};

// A model with kPrepares comes in two parts. `prepare` computes, for one
// step, what depends on the draws alone and stores it (a vector) at `pre`;
// it runs over all the steps first, as a loop whose steps do not wait for each other. `step`
// then advances the state through the step with those values. Splitting a
// step this way leaves the processor fewer operations to hold back while
// a step waits for the one before, so that it overlaps more steps; every
// value is still computed by the same operations, in the same order. It
// pays for the stochastic volatility alone (measured): the models with a
// stochastic rate wait mostly for the rate's own chain (a square root
// every step), and they do all their work in `step`.

// Stochastic volatility, constant rate:
//   v = V e^(0.2 z2 sdt); e1 = e^(v sdt z1); c = e^(v (-0.5) v dt);
//   A = A G c e1; B = B G c / e1.
template <bool kCareful>
struct Volatility {
    static constexpr bool kPrepares = true;
    HWY_INLINE static void prepare(DF d, const Constants& k, const double* z, std::size_t width, double* pre,
                                   MF& in_range) {
        const VF z2 = hn::LoadU(d, z + width);
        hn::StoreU(Exp<kCareful>(d, hn::Mul(hn::Mul(hn::Set(d, 0.2), z2), hn::Set(d, k.sdt)), in_range), d, pre);
    }
    HWY_INLINE static void step(DF d, const Constants& k, const double* z, std::size_t, const double* pre, State& s,
                                MF& in_range) {
        const VF sdt = hn::Set(d, k.sdt), dt = hn::Set(d, k.dt), G = hn::Set(d, k.carry);
        const VF z1 = hn::LoadU(d, z);
        const VF v = hn::Mul(s.V, hn::LoadU(d, pre));
        const VF e1 = Exp<kCareful>(d, hn::Mul(hn::Mul(v, sdt), z1), in_range);
        const VF c = Exp<kCareful>(d, hn::Mul(hn::Mul(hn::Mul(v, hn::Set(d, -0.5)), v), dt), in_range);
        s.V = v;
        s.A = hn::Mul(hn::Mul(hn::Mul(s.A, G), c), e1);
        s.B = hn::Div(hn::Mul(hn::Mul(s.B, G), c), e1);
    }
};

// Stochastic rate, constant volatility:
//   w = rho z1 + z2 c_rho; q = sqrt(R dt);
//   R' = q 0.002 w + R + (r - R) 1.0 dt; e1 = e^(z1 s1); g = e^(R' dt);
//   A = A H g e1; B = B H g / e1; D = g D.
template <bool kCareful>
struct Rate {
    static constexpr bool kPrepares = false;
    HWY_INLINE static void step(DF d, const Constants& k, const double* z, std::size_t width, const double*, State& s,
                                MF& in_range) {
        const VF dt = hn::Set(d, k.dt), H = hn::Set(d, k.carry), r = hn::Set(d, k.r);
        const VF z1 = hn::LoadU(d, z);
        const VF z2 = hn::LoadU(d, z + width);
        const VF w = hn::Add(hn::Mul(hn::Set(d, k.rho), z1), hn::Mul(z2, hn::Set(d, k.c_rho)));
        const VF q = hn::Sqrt(hn::Mul(s.R, dt));
        // (r - R) * 1.0 is exactly r - R.
        const VF R = hn::Add(hn::Add(hn::Mul(hn::Mul(q, hn::Set(d, 0.002)), w), s.R), hn::Mul(hn::Sub(r, s.R), dt));
        const VF e1 = Exp<kCareful>(d, hn::Mul(z1, hn::Set(d, k.s1)), in_range);
        const VF g = Exp<kCareful>(d, hn::Mul(R, dt), in_range);
        s.R = R;
        s.A = hn::Mul(hn::Mul(hn::Mul(s.A, H), g), e1);
        s.B = hn::Div(hn::Mul(hn::Mul(s.B, H), g), e1);
        s.D = hn::Mul(g, s.D);
    }
};

// Both stochastic:
//   w = z1 rho + z3 c_rho; v = V e^(0.2 z2 sdt); q = sqrt(R dt);
//   R' = (r - R) 0.95 dt + R + q 0.002 w; e1 = e^(v sdt z1); g = e^(R' dt);
//   c = e^(v (-0.5) v dt); A = A E c g e1; B = B E c g / e1; D = g D.
template <bool kCareful>
struct VolatilityRate {
    static constexpr bool kPrepares = false;
    HWY_INLINE static void step(DF d, const Constants& k, const double* z, std::size_t width, const double*, State& s,
                                MF& in_range) {
        const VF sdt = hn::Set(d, k.sdt), dt = hn::Set(d, k.dt), E = hn::Set(d, k.carry), r = hn::Set(d, k.r);
        const VF z1 = hn::LoadU(d, z);
        const VF z2 = hn::LoadU(d, z + width);
        const VF z3 = hn::LoadU(d, z + 2 * width);
        const VF w = hn::Add(hn::Mul(z1, hn::Set(d, k.rho)), hn::Mul(z3, hn::Set(d, k.c_rho)));
        const VF v = hn::Mul(s.V, Exp<kCareful>(d, hn::Mul(hn::Mul(hn::Set(d, 0.2), z2), sdt), in_range));
        const VF q = hn::Sqrt(hn::Mul(s.R, dt));
        const VF R = hn::Add(hn::Add(hn::Mul(hn::Mul(hn::Sub(r, s.R), hn::Set(d, 0.95)), dt), s.R),
                             hn::Mul(hn::Mul(q, hn::Set(d, 0.002)), w));
        const VF e1 = Exp<kCareful>(d, hn::Mul(hn::Mul(v, sdt), z1), in_range);
        const VF g = Exp<kCareful>(d, hn::Mul(R, dt), in_range);
        const VF c = Exp<kCareful>(d, hn::Mul(hn::Mul(hn::Mul(v, hn::Set(d, -0.5)), v), dt), in_range);
        s.V = v;
        s.R = R;
        s.A = hn::Mul(hn::Mul(hn::Mul(hn::Mul(s.A, E), c), g), e1);
        s.B = hn::Div(hn::Mul(hn::Mul(hn::Mul(s.B, E), c), g), e1);
        s.D = hn::Mul(g, s.D);
    }
};

// One vector of lanes, from lane `first` of the group, through all its
// steps: false (and nothing stored) when a fast pass met an exponential
// beyond its range.
template <bool kCareful, template <bool> class Model>
HWY_INLINE bool Sweep(DF d, const Constants& k, const Group& g, std::size_t first) {
    using M = Model<kCareful>;
    const std::size_t L = hn::Lanes(d);
    const std::size_t stride = g.draws * g.width;
    MF in_range = hn::FirstN(d, L);
    if constexpr (M::kPrepares) {
        const double* z = g.z + first;
        double* pre = g.pre;
        for (std::size_t j = 0; j < g.steps; ++j, z += stride, pre += L) M::prepare(d, k, z, g.width, pre, in_range);
    }
    State s;
    s.A = s.B = hn::Set(d, g.S);
    s.V = hn::Set(d, g.Sigma);
    s.R = hn::Set(d, g.r);
    s.D = hn::Set(d, 1.0);
    const double* z = g.z + first;
    const double* pre = g.pre;
    for (std::size_t j = 0; j < g.steps; ++j, z += stride, pre += L) M::step(d, k, z, g.width, pre, s, in_range);
    if (!kCareful && !hn::AllTrue(d, in_range)) return false;
    hn::StoreU(s.A, d, g.A + first);
    hn::StoreU(s.B, d, g.B + first);
    hn::StoreU(s.V, d, g.V + first);
    hn::StoreU(s.R, d, g.R + first);
    hn::StoreU(s.D, d, g.D + first);
    return true;
}

template <template <bool> class Model>
HWY_INLINE void Advance(const Constants& k, const Group& g) {
    const DF d;
    for (std::size_t first = 0; first < g.width; first += hn::Lanes(d))
        if (!Sweep<false, Model>(d, k, g, first)) Sweep<true, Model>(d, k, g, first);
}

// g.width is a multiple of GroupWidth(); g.pre holds Lanes() doubles a step.
void AdvanceGroup(const Constants& k, const Group& g) {
    switch (k.model) {
        case Model::Volatility: return Advance<Volatility>(k, g);
        case Model::Rate: return Advance<Rate>(k, g);
        case Model::VolatilityRate: return Advance<VolatilityRate>(k, g);
    }
}

}  // namespace tvx::mc::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif
