// The simulation, in two layers. The frame (batches, pairs in order, the
// running totals, the stopping rule, the yield) is plain code at the end of
// this file. Under it, kernels run on SIMD vectors: taking the accepted
// pairs of uniforms of the polar method from the generator, turning them
// into normals, and advancing a group of pairs through all their steps side
// by side, one pair per vector lane. The kernels are compiled once for
// every instruction set the SIMD library (Highway) targets; the fastest one
// the processor runs is chosen when first used. A batch's groups go through
// a pipeline over the processor's cores (pricing/pipeline.h): the draws in
// order, one group at a time, everything after them on any core.
//
// The draws are those of snorm, in the same order: a group's normals are
// drawn up front, pair after pair and step after step as snorm would give
// them, and each lane then takes its own pair's. Every operation is the one
// of the scalar model, in the same order and without fused multiply-adds
// (this file is compiled with -ffp-contract=off); only the exponential and
// the logarithm, vector ones of this file's own, may round differently
// from the C library's, in the last bit. The results of a valuation do not
// depend on the number of cores: the pairs' results are added in pair
// order once the batch is through.
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
//   infinity or a NaN stays in it to the end of the path.
// The payoffs and the running totals are checked as they are formed.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "pricing/monte_carlo.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per instruction set

#include <hwy/contrib/math/math-inl.h>
#include <hwy/highway.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "core/fault.h"
#include "core/numbers.h"
#include "pricing/closed_form.h"
#include "pricing/monte_carlo.h"
#include "pricing/pipeline.h"
#include "pricing/random.h"

#ifndef TVX_MONTE_CARLO_SHARED
#define TVX_MONTE_CARLO_SHARED
namespace tvx::mc {

enum class Model { Volatility, Rate, VolatilityRate };

// One valuation's model constants (see the models below).
struct Constants {
    Model model;
    double dt;
    double sdt;    // sqrt(dt)
    double carry;  // per step: G, H or E
    double s1;     // Sigma sqrt(dt) (stochastic rate)
    double r;
    double rho;
    double c_rho;  // sqrt(1 - rho^2)
};

// A group of pairs advanced side by side. z holds the normals of step j,
// draw d (in the model's order), lane l at z[(j * draws + d) * width + l].
// The start values go in, and every lane's ends come out.
struct Group {
    const double* z;
    double* pre;  // scratch: a vector a step
    std::size_t steps;
    std::size_t draws;
    std::size_t width;
    double S, Sigma, r;
    double* A;  // primary price
    double* B;  // antithetic price
    double* V;  // volatility
    double* R;  // short rate
    double* D;  // growth factor along the rate path
};

// Where normals go: the k-th of a run to out[slot * width + lane], counting
// slots 0 to per_pair - 1 and then moving to the next lane. A run of
// normals for a group fills every slot of each lane (pair) in turn; a plain
// run has width 1 and per_pair beyond its length.
struct Layout {
    double* out;
    std::size_t per_pair;
    std::size_t width;
    std::size_t slot = 0;
    std::size_t lane = 0;
};

// The exponential where the vector one is not valid: NaN for a non-finite
// argument or result, so that the fault shows at the end of the path.
inline double checked_exp_or_nan(double x) {
    const double y = std::exp(x);
    return std::isfinite(x) && std::isfinite(y) ? y : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace tvx::mc
#endif

HWY_BEFORE_NAMESPACE();
namespace tvx::mc::HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;
using DF = hn::ScalableTag<double>;
using VF = hn::Vec<DF>;

std::size_t GroupWidth() { return hn::Lanes(DF()); }

const char* TargetName() { return hwy::TargetName(HWY_TARGET); }

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

using MF = hn::Mask<DF>;

// e^x for |x| <= 706, within about 1 ulp. The argument is reduced by the
// nearest multiple k of ln 2 (ln 2 in two parts, the first short enough
// that k times it is exact), e^r comes from its Taylor series to r^13
// (|r| <= 0.35, so the first term left out is below 4e-18 of the result),
// and 2^k is put straight into the exponent bits: k is read from the low
// bits of x / ln 2 + 1.5 2^52, where the addition leaves it, so no
// conversion between integers and doubles is needed, and for |x| <= 706
// the scale 2^k (|k| <= 1019) is a normal number and one product is exact.
HWY_INLINE VF ExpNear(DF d, VF x) {
    const hn::RebindToUnsigned<DF> du;
    const VF shift = hn::Set(d, 0x1.8p52);
    const VF kd = hn::MulAdd(x, hn::Set(d, 1.4426950408889634), shift);
    const VF k = hn::Sub(kd, shift);
    VF r = hn::NegMulAdd(k, hn::Set(d, 0x1.62e42fee00000p-1), x);
    r = hn::NegMulAdd(k, hn::Set(d, 0x1.a39ef35793c76p-33), r);
    const auto scale =
        hn::BitCast(d, hn::Add(hn::ShiftLeft<52>(hn::BitCast(du, kd)), hn::Set(du, std::uint64_t{1023} << 52)));
    // 1 + r + r^2 (1/2! + r/3! + ... + r^11/13!), the bracket by Estrin's scheme.
    const VF r2 = hn::Mul(r, r);
    const VF r4 = hn::Mul(r2, r2);
    const auto c = [&](double v) { return hn::Set(d, v); };
    const VF p01 = hn::MulAdd(c(1.0 / 6), r, c(1.0 / 2));
    const VF p23 = hn::MulAdd(c(1.0 / 120), r, c(1.0 / 24));
    const VF p45 = hn::MulAdd(c(1.0 / 5040), r, c(1.0 / 720));
    const VF p67 = hn::MulAdd(c(1.0 / 362880), r, c(1.0 / 40320));
    const VF p89 = hn::MulAdd(c(1.0 / 39916800), r, c(1.0 / 3628800));
    const VF p1011 = hn::MulAdd(c(1.0 / 6227020800), r, c(1.0 / 479001600));
    const VF q0 = hn::MulAdd(p23, r2, p01);
    const VF q1 = hn::MulAdd(p67, r2, p45);
    const VF q2 = hn::MulAdd(p1011, r2, p89);
    const VF bracket = hn::MulAdd(hn::MulAdd(q2, r4, q1), r4, q0);
    const VF y = hn::Add(hn::MulAdd(bracket, r2, r), hn::Set(d, 1.0));
    return hn::Mul(y, scale);
}

// ln x for normal x > 0 (the polar method's w, at least 2^-46), as the
// classic argument reduction does it: x = 2^k y with y within a factor
// sqrt(2) of 1, ln y = 2 atanh(z) with z = (y - 1) / (y + 1) and a series
// in z^2, and k ln 2 in two parts. The exponent k is read as a double
// without an integer conversion: the exponent field put into the low bits
// of 2^52 gives 2^52 + k + 1023 exactly.
HWY_INLINE VF LogNormal(DF d, VF x) {
    const hn::RebindToUnsigned<DF> du;
    const auto magic = hn::Set(du, 0x3FE6A09E00000000ull);  // sqrt(2)/2, upper word
    const auto exp_bits = hn::Add(hn::BitCast(du, x), hn::Set(du, 0x3FF0000000000000ull - 0x3FE6A09E00000000ull));
    const VF k = hn::Sub(hn::BitCast(d, hn::Or(hn::ShiftRight<52>(exp_bits), hn::Set(du, 0x4330000000000000ull))),
                         hn::Set(d, 0x1p52 + 1023.0));
    const VF y = hn::Or(hn::And(x, hn::BitCast(d, hn::Set(du, 0xFFFFFFFFull))),
                        hn::BitCast(d, hn::Add(hn::And(exp_bits, hn::Set(du, 0xFFFFF00000000ull)), magic)));
    const VF one = hn::Set(d, 1.0);
    const VF ym1 = hn::Sub(y, one);
    const VF z = hn::Div(ym1, hn::Add(y, one));
    const VF z2 = hn::Mul(z, z);
    const VF z4 = hn::Mul(z2, z2);
    const auto c = [&](double v) { return hn::Set(d, v); };
    const VF even = hn::MulAdd(hn::MulAdd(hn::MulAdd(c(1.479819860511658591e-01), z4, c(1.818357216161805012e-01)), z4,
                                          c(2.857142874366239149e-01)),
                               z4, c(6.666666666666735130e-01));
    const VF odd = hn::Mul(hn::MulAdd(hn::MulAdd(c(1.531383769920937332e-01), z4, c(2.222219843214978396e-01)), z4,
                                      c(3.999999999940941908e-01)),
                           z4);
    const VF poly = hn::MulAdd(even, z2, odd);
    return hn::MulSub(k, c(0.693147180369123816490),
                      hn::Sub(hn::MulSub(z, hn::Sub(ym1, poly), hn::Mul(k, c(1.90821492927058770002e-10))), ym1));
}

void VectorExp(const double* x, double* y, std::size_t count) {
    const DF d;
    const std::size_t L = hn::Lanes(d);
    std::size_t k = 0;
    for (; k + L <= count; k += L) hn::StoreU(ExpNear(d, hn::LoadU(d, x + k)), d, y + k);
    if (k < count) {
        HWY_ALIGN double in[hn::MaxLanes(DF())] = {};
        HWY_ALIGN double out[hn::MaxLanes(DF())];
        std::copy(x + k, x + count, in);
        hn::Store(ExpNear(d, hn::Load(d, in)), d, out);
        std::copy(out, out + (count - k), y + k);
    }
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

// For each mask of the lanes of a vector, the lane indices that bring the
// set lanes to the front in order (the library's compress copies a table
// onto the stack at every call on some targets, which costs more than the
// rest of the draw).
template <std::size_t kL>
struct PackTable {
    std::int64_t idx[(std::size_t{1} << kL) * kL] = {};
    std::uint8_t accepted[std::size_t{1} << kL] = {};

    constexpr PackTable() {
        for (std::size_t mask = 0; mask < (std::size_t{1} << kL); ++mask) {
            std::size_t k = 0;
            for (std::size_t l = 0; l < kL; ++l)
                if (mask >> l & 1u) idx[mask * kL + k++] = static_cast<std::int64_t>(l);
            accepted[mask] = static_cast<std::uint8_t>(k);
        }
    }
    const std::int64_t* row(std::size_t mask) const { return idx + mask * kL; }
};

constexpr PackTable<hn::MaxLanes(DF())> kPack{};

// A run of normals is drawn in two parts: the accepted pairs of uniforms,
// in order, straight from the generator; then, from them alone, the
// normals themselves, laid out for the lanes. The first part is the only
// one that touches the generator.
//
// AcceptPairs takes from the generator the pairs that the next count calls
// of snorm would accept, and leaves it where those calls would: u1 and w =
// u1^2 + u2^2 of each go to u1s and ws, which hold count + Lanes doubles.
// Candidate pairs are tested a vector at a time, the accepted ones packed
// in order; the vector that reaches the count, and a pair split across two
// blocks of the generator, go one pair at a time.
void AcceptPairs(std::size_t count, double* u1s, double* ws) {
    const DF d;
    const hn::Rebind<std::uint64_t, DF> du;
    const std::size_t L = hn::Lanes(d);
    const VF one = hn::Set(d, 1.0);
    const VF zero = hn::Zero(d);
    const VF scale = hn::Set(d, 0x1p-23);  // 2 * 2^-24
    // 2^52 + k for k < 2^24 is exact, and its bits are those of 2^52 with k
    // in the low mantissa bits: k as a double without an integer conversion.
    const auto exponent = hn::Set(du, 0x4330000000000000ull);
    const auto low24 = hn::Set(du, 0x00ffffffull);
    // u = 2 U - 1 for the draw U = (word >> 8) 2^-24, exactly: (2^52 + k)
    // 2^-23 = 2^29 + k 2^-23 is exact (52 significant bits), and so is the
    // difference from 2^29 + 1, so a fused and an unfused multiply-subtract
    // give the same.
    const VF offset = hn::Set(d, 0x1p29 + 1.0);
    const auto to_u = [&](auto k) { return hn::MulSub(hn::BitCast(d, hn::Or(k, exponent)), scale, offset); };

    std::size_t got = 0;
    const auto try_pair = [&](double u1, double u2) {
        const double w = u1 * u1 + u2 * u2;
        if (w >= 1.0 || w == 0.0) return;
        u1s[got] = u1;
        ws[got] = w;
        ++got;
    };
    while (got < count) {
        const auto words = uniform_words();
        const std::uint32_t* p = words.data();
        const std::size_t avail = words.size();
        std::size_t used = 0;
        while (avail - used >= 2 * L) {
            // Little-endian: each 64-bit lane holds the first word of a pair
            // in its low half and the second in its high half.
            const auto x = hn::LoadU(du, reinterpret_cast<const std::uint64_t*>(p + used));
            const VF u1 = to_u(hn::And(hn::ShiftRight<8>(x), low24));
            const VF u2 = to_u(hn::ShiftRight<40>(x));
            // Exact (multiples of 2^-46 below 2), fused or not.
            const VF w = hn::MulAdd(u1, u1, hn::Mul(u2, u2));
            const auto accept = hn::And(hn::Lt(w, one), hn::Ne(w, zero));
            // The vector that reaches the count goes pair by pair: snorm
            // stops right after the last pair it needs, and the rejected
            // pairs behind it in this vector are not its to take.
            if (got + hn::CountTrue(d, accept) >= count) break;
            // Packed in order: the accepted lanes moved to the front by the
            // table's row for this mask, the whole vector stored, and the
            // place advanced by the number accepted.
            std::uint8_t bits[8] = {};
            hn::StoreMaskBits(d, accept, bits);
            const auto front = hn::SetTableIndices(d, kPack.row(bits[0]));
            hn::StoreU(hn::TableLookupLanes(u1, front), d, u1s + got);
            hn::StoreU(hn::TableLookupLanes(w, front), d, ws + got);
            got += kPack.accepted[bits[0]];
            used += 2 * L;
        }
        while (got < count && avail - used >= 2) {
            try_pair(2.0 * uniform_of(p[used]) - 1.0, 2.0 * uniform_of(p[used + 1]) - 1.0);
            used += 2;
        }
        if (got < count && avail - used == 1) {
            const double u1 = 2.0 * uniform_of(p[used]) - 1.0;
            uniform_skip(used + 1);
            try_pair(u1, 2.0 * uniform() - 1.0);
            continue;
        }
        uniform_skip(used);
    }
}

// Turns count accepted pairs (from AcceptPairs, whose arrays it takes as
// scratch) into normals, u1 sqrt(-2 ln(w) / w), and puts them where `to`
// says (and moves `to` on).
void TransformPairs(Layout* to, std::size_t count, double* u1s, double* ws) {
    const DF d;
    const std::size_t L = hn::Lanes(d);
    // The transform runs over the accepted pairs as one plain vector loop,
    // the results written in order into u1s (each vector's chain of
    // logarithm, division and square root is long, and a loop with nothing
    // else in it lets several be in flight at once); they are then laid out.
    const VF minus_two = hn::Set(d, -2.0);
    std::fill(ws + count, ws + count + L, 0.5);  // the tail of the last vector
    std::fill(u1s + count, u1s + count + L, 0.0);
    for (std::size_t k = 0; k < count; k += L) {
        const VF u1 = hn::LoadU(d, u1s + k);
        const VF w = hn::LoadU(d, ws + k);
        hn::StoreU(hn::Mul(u1, hn::Sqrt(hn::Div(hn::Mul(minus_two, LogNormal(d, w)), w))), d, u1s + k);
    }
    double* const out = to->out;
    const std::size_t width = to->width, per_pair = to->per_pair;
    std::size_t slot = to->slot, lane = to->lane;
    std::size_t k = 0;
#if HWY_TARGET != HWY_SCALAR
    if constexpr (hn::MaxLanes(DF()) == 4) {
        // A whole group of four pairs from its first slot: four slots of
        // the four lanes at a time, a 4 x 4 transpose.
        if (L == 4 && width == 4 && slot == 0 && lane == 0 && per_pair > 0 && count == 4 * per_pair) {
            const double* row = u1s;
            for (; slot + 4 <= per_pair; slot += 4) {
                const VF r0 = hn::LoadU(d, row + slot), r1 = hn::LoadU(d, row + per_pair + slot);
                const VF r2 = hn::LoadU(d, row + 2 * per_pair + slot), r3 = hn::LoadU(d, row + 3 * per_pair + slot);
                const VF t0 = hn::InterleaveLower(d, r0, r1), t1 = hn::InterleaveUpper(d, r0, r1);
                const VF t2 = hn::InterleaveLower(d, r2, r3), t3 = hn::InterleaveUpper(d, r2, r3);
                double* const at = out + slot * 4;
                hn::StoreU(hn::ConcatLowerLower(d, t2, t0), d, at);
                hn::StoreU(hn::ConcatLowerLower(d, t3, t1), d, at + 4);
                hn::StoreU(hn::ConcatUpperUpper(d, t2, t0), d, at + 8);
                hn::StoreU(hn::ConcatUpperUpper(d, t3, t1), d, at + 12);
            }
            for (; slot < per_pair; ++slot)
                for (std::size_t l = 0; l < 4; ++l) out[slot * 4 + l] = row[l * per_pair + slot];
            to->slot = 0;
            to->lane = 4;
            return;
        }
    }
#endif
    while (k < count) {
        // The rest of this lane's slots, at a stride of the width.
        const std::size_t here = std::min(per_pair - slot, count - k);
        double* at = out + slot * width + lane;
        for (std::size_t m = 0; m < here; ++m) at[m * width] = u1s[k + m];
        k += here;
        slot += here;
        if (slot == per_pair) slot = 0, ++lane;
    }
    to->slot = slot;
    to->lane = lane;
}

void DrawNormals(Layout* to, std::size_t count, double* u1s, double* ws) {
    AcceptPairs(count, u1s, ws);
    TransformPairs(to, count, u1s, ws);
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

#if HWY_ONCE
namespace tvx {

namespace mc {
HWY_EXPORT(GroupWidth);
HWY_EXPORT(TargetName);
HWY_EXPORT(DrawNormals);
HWY_EXPORT(AcceptPairs);
HWY_EXPORT(TransformPairs);
HWY_EXPORT(AdvanceGroup);
HWY_EXPORT(VectorExp);

std::size_t group_width() { return HWY_DYNAMIC_DISPATCH(GroupWidth)(); }
const char* target_name() { return HWY_DYNAMIC_DISPATCH(TargetName)(); }
void draw_normals(Layout* to, std::size_t count, double* u1s, double* ws) {
    HWY_DYNAMIC_DISPATCH(DrawNormals)(to, count, u1s, ws);
}
void accept_pairs(std::size_t count, double* u1s, double* ws) { HWY_DYNAMIC_DISPATCH(AcceptPairs)(count, u1s, ws); }
void transform_pairs(Layout* to, std::size_t count, double* u1s, double* ws) {
    HWY_DYNAMIC_DISPATCH(TransformPairs)(to, count, u1s, ws);
}

// Draws runs of normals into a layout, a chunk at a time, with scratch kept
// from run to run.
class NormalSource {
public:
    void draw(Layout& to, std::size_t count) {
        const std::size_t pad = group_width();
        if (u1s_.empty()) u1s_.resize(chunk + pad), ws_.resize(chunk + pad);
        for (std::size_t at = 0; at < count; at += chunk)
            draw_normals(&to, std::min(chunk, count - at), u1s_.data(), ws_.data());
    }

private:
    static constexpr std::size_t chunk = 4096;
    std::vector<double> u1s_, ws_;
};
void advance_group(const Constants& k, const Group& g) { HWY_DYNAMIC_DISPATCH(AdvanceGroup)(k, g); }
}  // namespace mc

double snorm() {
    for (;;) {
        const double u1 = 2.0 * uniform() - 1.0;
        const double u2 = 2.0 * uniform() - 1.0;
        // The uniforms are multiples of 2^-24, so w is exact and w == 0 only
        // when both draws were exactly 0.5.
        const double w = u1 * u1 + u2 * u2;
        if (w >= 1.0 || w == 0.0) continue;
        return u1 * fsqrt(fdiv(-2.0 * flog(w), w));
    }
}

void snorm_fill(std::span<double> z) {
    mc::Layout to{z.data(), z.size(), 1};
    mc::NormalSource().draw(to, z.size());
}

std::int16_t mc_steps(double t) { return round_int16(fdiv(t, 0.005)); }

double mc_step_length(double t, std::int16_t n) {
    const double dt = fdiv(t, n);
    // "0.505" is read as the double nearest to it, which is not 101 * 0.005
    // to the last bit: within a few units of the last place the steps are
    // taken as the grid's.
    return std::fabs(dt - 0.005) <= 4.0 * 0x1p-52 * 0.005 ? 0.005 : dt;
}

const char* mc_simd_target() { return mc::target_name(); }

std::vector<std::int64_t> mc_simd_targets() {
    std::vector<std::int64_t> out;
    for (const std::int64_t t : hwy::SupportedAndGeneratedTargets()) out.push_back(t);
    return out;
}

void mc_force_simd_target(std::int64_t target) { hwy::SetSupportedTargetsForTest(target); }

void mc_vector_exp(std::span<const double> x, std::span<double> y) {
    HWY_DYNAMIC_DISPATCH(mc::VectorExp)(x.data(), y.data(), std::min(x.size(), y.size()));
}

namespace {

constexpr std::size_t pairs_per_batch = 100;
constexpr double se_target = 0.05;

// sqrt(1 - rho^2), the weight of the rate shock's own part; faults for
// |rho| > 1.
double independent_weight(double rho) { return fsqrt(chk(1.0 - chk(rho * rho))); }

// The step count and the step length of a valuation. Without steps the
// paths never move and the length is never used.
struct Horizon {
    std::int16_t n;
    double dt;
};

Horizon horizon(double t, StepCount steps) {
    const std::int16_t n = steps == kStepsOfTime ? mc_steps(t) : steps;
    if (n < 0) throw RuntimeError("negative number of time steps");
    return {n, n > 0 ? mc_step_length(t, n) : 0.005};
}

// Stochastic volatility (log-normal steps, vol of vol 0.2), constant rate.
mc::Constants volatility_model(const Horizon& h, double r, double delta) {
    mc::Constants k{};
    k.model = mc::Model::Volatility;
    k.dt = h.dt;
    k.sdt = fsqrt(h.dt);
    k.carry = fexp(chk((r - delta) * h.dt));  // G
    return k;
}

// Stochastic short rate (square-root process, speed 1.0 towards r, diffusion
// 0.002) correlated with the asset by rho, constant volatility.
mc::Constants rate_model(const Horizon& h, double r, double delta, double Sigma, double rho) {
    mc::Constants k{};
    k.model = mc::Model::Rate;
    k.dt = h.dt;
    k.carry = fexp(chk(-chk(Sigma * 0.5 * Sigma + delta) * h.dt));  // H
    k.s1 = chk(Sigma * fsqrt(h.dt));
    k.r = r;
    k.rho = rho;
    k.c_rho = independent_weight(rho);
    return k;
}

// Both stochastic: the volatility as in the first, the rate as in the
// second but with mean-reversion speed 0.95.
mc::Constants volatility_rate_model(const Horizon& h, double r, double delta, double rho) {
    mc::Constants k{};
    k.model = mc::Model::VolatilityRate;
    k.dt = h.dt;
    k.sdt = fsqrt(h.dt);
    k.carry = fexp(chk(-delta * h.dt));  // E
    k.r = r;
    k.rho = rho;
    k.c_rho = independent_weight(rho);
    return k;
}

// A batch goes through the pipeline in groups of one vector width of pairs:
// first a group's accepted pairs of uniforms are taken from the generator
// (in order, one group at a time), then, on any core, they become the
// group's normals, laid out for the lanes (draw (j, d) of pair l at
// z[(j * draws + d) * width + l]: each step's draws in the model's order),
// and the group's paths are advanced. A group's buffers are those of its
// place in a short ring, reused once the group before it in that place is
// done.
class BatchGroups {
public:
    static constexpr std::size_t ring = 4;

    BatchGroups(const mc::Constants& k, std::size_t steps, std::size_t draws, std::size_t width, double S, double Sigma,
                double r)
        : k_(k),
          per_pair_(steps * draws),
          width_(width),
          groups_((pairs_per_batch + width - 1) / width),
          ends_(groups_ * 5 * width) {
        g_.steps = steps;
        g_.draws = draws;
        g_.width = width;
        g_.S = S, g_.Sigma = Sigma, g_.r = r;
        for (Slot& slot : slots_) {
            // z starts at 0: the lanes of a last, partial group past its
            // pairs read finite values, and are ignored.
            slot.z.assign(per_pair_ * width, 0.0);
            slot.u1s.resize(per_pair_ * width + width);  // a vector of padding
            slot.ws.resize(per_pair_ * width + width);
            slot.pre.resize(steps * width);
        }
    }

    std::size_t groups() const { return groups_; }

    // Pairs in group i.
    std::size_t pairs(std::size_t i) const { return std::min(width_, pairs_per_batch - i * width_); }

    void accept(std::size_t i) {
        Slot& slot = slots_[i % ring];
        mc::accept_pairs(pairs(i) * per_pair_, slot.u1s.data(), slot.ws.data());
    }

    void advance(std::size_t i) {
        Slot& slot = slots_[i % ring];
        mc::Layout to{slot.z.data(), per_pair_, width_};
        mc::transform_pairs(&to, pairs(i) * per_pair_, slot.u1s.data(), slot.ws.data());
        mc::Group g = g_;
        g.z = slot.z.data();
        g.pre = slot.pre.data();
        g.A = ends_.data() + i * 5 * width_;
        g.B = g.A + width_, g.V = g.B + width_, g.R = g.V + width_, g.D = g.R + width_;
        mc::advance_group(k_, g);
    }

    // The ends of pair p of the batch: price, antithetic price, volatility,
    // rate, growth factor.
    struct Ends {
        double A, B, V, R, D;
    };
    Ends ends(std::size_t p) const {
        const double* at = ends_.data() + (p / width_) * 5 * width_ + p % width_;
        return {at[0], at[width_], at[2 * width_], at[3 * width_], at[4 * width_]};
    }

private:
    struct Slot {
        std::vector<double> u1s, ws, z, pre;
    };
    mc::Constants k_;
    mc::Group g_{};
    std::size_t per_pair_, width_, groups_;
    Slot slots_[ring];
    std::vector<double> ends_;
};

// The simulation frame shared by the three engines: batches of 100
// antithetic pairs until the standard error of the estimate is below 0.05,
// or exactly `batches` batches when that is positive.
// A model with a constant rate leaves its samples undiscounted, and the frame
// scales the estimate by e^(-r t) and the variance by e^(-2 r t); a model
// with a stochastic rate discounts each sample along its own rate path.
double simulate(const mc::Constants& k, std::int16_t n, double K, double S, double Sigma, double r, std::int16_t i,
                double t, const BatchYield& yield, BatchCount batches, McStats* stats) {
    const bool constant_rate = k.model == mc::Model::Volatility;
    const double scale = constant_rate ? fexp(chk(-r * t)) : 1.0;
    const double scale_sq = constant_rate ? fexp(chk(-2.0 * r * t)) : 1.0;

    const std::size_t draws = k.model == mc::Model::VolatilityRate ? 3 : 2;
    BatchGroups batch(k, static_cast<std::size_t>(n), draws, mc::group_width(), S, Sigma, r);
    const PipelineStage accept = [&batch](std::size_t g) { batch.accept(g); };
    const PipelineStage advance = [&batch](std::size_t g) { batch.advance(g); };

    double sum = 0.0;
    double sumsq = 0.0;
    std::int16_t b = 0;
    double est = 0.0;
    bool done = false;
    while (!done) {
        b = int16_add(b, 1);
        run_pipeline(batch.groups(), BatchGroups::ring, accept, advance);
        // The pairs' results in order, as one pair after another would add them.
        for (std::size_t p = 0; p < pairs_per_batch; ++p) {
            const BatchGroups::Ends e = batch.ends(p);
            chk(e.A), chk(e.B), chk(e.V), chk(e.R);
            const double D = chk(e.D);
            const double pay1 = payoff(e.A, K, i);
            const double pay2 = payoff(e.B, K, i);
            const double y = chk(pay2 + pay1) * 0.5;
            const double x = constant_rate ? y : fdiv(y, D);
            sum = chk(sum + x);
            sumsq = chk(sumsq + chk(x * x));
        }
        if (yield) yield();

        const std::int16_t M = int16_mul(static_cast<std::int16_t>(pairs_per_batch), b);
        est = chk(fdiv(sum, M) * scale);
        // By the Cauchy-Schwarz inequality sumsq >= sum^2 / M exactly, so a
        // negative difference can only be rounding (identical non-zero
        // samples leave a residue of a few ulps of sumsq): it counts as 0.
        double spread = chk(sumsq - fdiv(chk(sum * sum), M));
        if (spread < 0.0) spread = 0.0;
        const double se = fdiv(fsqrt(fdiv(chk(spread * scale_sq), M - 1)), fsqrt(M));
        done = batches > 0 ? b >= batches : se < se_target;
        if (stats) *stats = McStats{se, M, b};
    }
    return est;
}

}  // namespace

double mcarlo_cv(double K, double S, double r, double delta, double t, double Sigma, std::int16_t i,
                 const BatchYield& yield, BatchCount batches, StepCount steps, McStats* stats) {
    const Horizon h = horizon(t, steps);
    return simulate(volatility_model(h, r, delta), h.n, K, S, Sigma, r, i, t, yield, batches, stats);
}

double mcarlo_vc(double K, double S, double r, double delta, double t, double Sigma, std::int16_t i, double rho,
                 const BatchYield& yield, BatchCount batches, StepCount steps, McStats* stats) {
    const Horizon h = horizon(t, steps);
    return simulate(rate_model(h, r, delta, Sigma, rho), h.n, K, S, Sigma, r, i, t, yield, batches, stats);
}

double mcarlo_vv(double K, double S, double r, double delta, double t, double Sigma, std::int16_t i, double rho,
                 const BatchYield& yield, BatchCount batches, StepCount steps, McStats* stats) {
    const Horizon h = horizon(t, steps);
    return simulate(volatility_rate_model(h, r, delta, rho), h.n, K, S, Sigma, r, i, t, yield, batches, stats);
}

double mcarlo(double t, double Sigma, double r, double K, double S, double delta, std::int16_t optype,
              std::int16_t itype, double rho, std::int16_t vtype, const BatchYield& yield, BatchCount batches,
              StepCount steps, McStats* stats) {
    reset_uniform();
    if (itype != 1) return mcarlo_cv(K, S, r, delta, t, Sigma, optype, yield, batches, steps, stats);
    if (vtype == 1) return mcarlo_vv(K, S, r, delta, t, Sigma, optype, rho, yield, batches, steps, stats);
    return mcarlo_vc(K, S, r, delta, t, Sigma, optype, rho, yield, batches, steps, stats);
}

}  // namespace tvx
#endif  // HWY_ONCE
