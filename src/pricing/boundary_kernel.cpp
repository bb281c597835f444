// The exercise-boundary method's inner loop, built once for every
// instruction set the SIMD library targets and chosen at run time (the
// simulation's choice: mc_force_simd_target pins both).
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "pricing/boundary_kernel.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per instruction set

#include <hwy/highway.h>

#include <cmath>
#include <cstddef>

#include "core/simd/vector_exp-inl.h"
#include "pricing/boundary_kernel.h"
#include "pricing/normal.h"

HWY_BEFORE_NAMESPACE();
namespace tvx::boundary::HWY_NAMESPACE {

using namespace tvx::simd::HWY_NAMESPACE;

// Mills' ratio R(t) for t >= 0 on every lane (normal.h's series).
HWY_INLINE VF MillsRatio(DF d, VF t) {
    const VF inverse = hn::Div(hn::Set(d, 1.0), hn::Add(t, hn::Set(d, kMillsShift)));
    const VF y2 = hn::NegMulAdd(hn::Set(d, 4.0 * kMillsShift), inverse, hn::Set(d, 2.0));
    VF b1 = hn::Zero(d), b2 = hn::Zero(d);
    for (std::size_t k = kMillsSeries.size() - 1; k >= 1; --k) {
        const VF b0 = hn::Sub(hn::MulAdd(y2, b1, hn::Set(d, kMillsSeries[k])), b2);
        b2 = b1;
        b1 = b0;
    }
    return hn::Mul(hn::Sub(hn::MulAdd(hn::Mul(hn::Set(d, 0.5), y2), b1, hn::Set(d, kMillsSeries[0])), b2), inverse);
}

// The scalar loop of equation_terms, a vector of points at a time. The
// exponentials' arguments are kept above -700, where the vector
// exponential holds and e^x is far below anything the sums can see; an
// argument above 700 is an overflow, reported by returning false.
bool EquationTerms(const Rates& rates, const EquationPoints& p) {
    const DF d;
    const std::size_t L = hn::Lanes(d);
    const VF r = hn::Set(d, rates.r), q = hn::Set(d, rates.q), mu = hn::Set(d, rates.mu_minus);
    const VF half = hn::Set(d, 0.5), one = hn::Set(d, 1.0), floor = hn::Set(d, -700.0);
    const VF density = hn::Set(d, kInvSqrt2Pi), zero = hn::Zero(d);
    const bool q_positive = rates.q >= 0.0;
    VF largest = hn::Set(d, -1e300);
    for (std::size_t i = 0; i < p.count; i += L) {
        const VF v = hn::LoadU(d, p.vol_root + i), s = hn::LoadU(d, p.s + i), w = hn::LoadU(d, p.weight + i);
        const VF inv_v = hn::Div(one, v);
        const VF dm = hn::Mul(hn::MulAdd(mu, s, hn::LoadU(d, p.ell + i)), inv_v);
        const VF dp = hn::Add(dm, v);
        VF e[2] = {hn::NegMulAdd(half, hn::Mul(dm, dm), hn::Neg(hn::Mul(r, s))),
                   hn::NegMulAdd(half, hn::Mul(dp, dp), hn::Neg(hn::Mul(q, s)))};
        largest = hn::Max(largest, hn::Max(e[0], e[1]));
        e[0] = hn::Max(e[0], floor);
        e[1] = hn::Max(e[1], floor);
        ExpSeries<true>(d, e);
        const VF scale = hn::Mul(hn::Mul(w, density), inv_v);
        const VF km = hn::Mul(scale, e[0]);
        const VF kp = hn::Mul(scale, e[1]);
        const VF tail = hn::Mul(hn::Mul(kp, v), MillsRatio(d, hn::Abs(dp)));
        const auto dp_up = hn::Ge(dp, zero);
        const auto upper = q_positive ? dp_up : hn::Not(dp_up);
        const VF cdf = hn::IfThenElse(upper, hn::NegMulAdd(one, tail, hn::Mul(w, hn::LoadU(d, p.carry + i))), tail);
        hn::StoreU(km, d, p.km + i);
        hn::StoreU(kp, d, p.kp + i);
        hn::StoreU(cdf, d, p.cdf + i);
        hn::StoreU(hn::Neg(hn::Mul(hn::Mul(r, km), hn::Mul(dm, inv_v))), d, p.d_num + i);
        hn::StoreU(hn::Mul(hn::Mul(q, kp), hn::NegMulAdd(dp, inv_v, one)), d, p.d_den + i);
    }
    return hn::GetLane(hn::MaxOfLanes(d, largest)) <= 700.0;
}

// e^(-r s) N(-d) and its like: with the exponent a = -r s (here any
// exponent) and e = e^(a - d^2/2) phi's share, e^a N(-d) is e sqrt(2 pi)
// phi-scaled times R(d) for d >= 0, and e^a - that for d < 0.
HWY_INLINE VF ScaledUpperTail(DF d, VF ea, VF e_half_square, VF x) {
    const VF tail = hn::Mul(hn::Mul(e_half_square, hn::Set(d, kInvSqrt2Pi)), MillsRatio(d, hn::Abs(x)));
    return hn::IfThenElse(hn::Ge(x, hn::Zero(d)), tail, hn::Sub(ea, tail));
}

bool PremiumSum(const Rates& rates, double log_spot, const PremiumPoints& p, double* out) {
    const DF d;
    const std::size_t L = hn::Lanes(d);
    const VF r = hn::Set(d, rates.r), q = hn::Set(d, rates.q), mu = hn::Set(d, rates.mu_minus);
    const VF half = hn::Set(d, 0.5), floor = hn::Set(d, -700.0), log_s = hn::Set(d, log_spot);
    VF sum = hn::Zero(d), largest = hn::Set(d, -1e300);
    for (std::size_t i = 0; i < p.count; i += L) {
        const VF v = hn::LoadU(d, p.vol_root + i), s = hn::LoadU(d, p.s + i);
        const VF dm = hn::Div(hn::MulAdd(mu, s, hn::LoadU(d, p.log_ratio + i)), v);
        const VF dp = hn::Add(dm, v);
        const VF a_strike = hn::Neg(hn::Mul(r, s));
        const VF a_spot = hn::NegMulAdd(q, s, log_s);
        VF e[4] = {a_strike, hn::NegMulAdd(half, hn::Mul(dm, dm), a_strike), a_spot,
                   hn::NegMulAdd(half, hn::Mul(dp, dp), a_spot)};
        // e^a itself counts only where d < 0: far out of the money (a spot
        // of 1e306 times the strike) e^a_spot may be out of range while
        // its tail is not.
        const VF none = hn::Set(d, -1e300);
        largest = hn::Max(largest, hn::Max(e[1], e[3]));
        largest = hn::Max(largest, hn::IfThenElse(hn::Lt(dm, hn::Zero(d)), e[0], none));
        largest = hn::Max(largest, hn::IfThenElse(hn::Lt(dp, hn::Zero(d)), e[2], none));
        for (VF& x : e) x = hn::Min(hn::Max(x, floor), hn::Set(d, 700.0));
        ExpSeries<true>(d, e);
        const VF strike_leg = hn::Mul(r, ScaledUpperTail(d, e[0], e[1], dm));
        const VF spot_leg = hn::Mul(q, ScaledUpperTail(d, e[2], e[3], dp));
        sum = hn::MulAdd(hn::LoadU(d, p.weight + i), hn::Sub(strike_leg, spot_leg), sum);
    }
    *out = hn::GetLane(hn::SumOfLanes(d, sum));
    return hn::GetLane(hn::MaxOfLanes(d, largest)) <= 700.0;
}

void ExpEach(const double* x, double* y, std::size_t count) {
    const DF d;
    const std::size_t L = hn::Lanes(d);
    std::size_t i = 0;
    for (; i + L <= count; i += L) hn::StoreU(ExpSeries<true>(d, hn::LoadU(d, x + i)), d, y + i);
    for (; i < count; ++i) y[i] = std::exp(x[i]);
}

void Axpy(double a, const double* x, double* y, std::size_t count) {
    const DF d;
    const std::size_t L = hn::Lanes(d);
    const VF va = hn::Set(d, a);
    std::size_t i = 0;
    for (; i + L <= count; i += L) hn::StoreU(hn::MulAdd(va, hn::LoadU(d, x + i), hn::LoadU(d, y + i)), d, y + i);
    for (; i < count; ++i) y[i] += a * x[i];
}

void AddRows(const double* a, const double* rows, std::size_t count, std::size_t width, double* out) {
    const DF d;
    const std::size_t L = hn::Lanes(d);
    std::size_t i = 0;
    for (; i + L <= width; i += L) {
        VF sum = hn::LoadU(d, out + i);
        for (std::size_t k = 0; k < count; ++k)
            sum = hn::MulAdd(hn::Set(d, a[k]), hn::LoadU(d, rows + k * width + i), sum);
        hn::StoreU(sum, d, out + i);
    }
    for (; i < width; ++i)
        for (std::size_t k = 0; k < count; ++k) out[i] += a[k] * rows[k * width + i];
}

}  // namespace tvx::boundary::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#include "core/fault.h"

namespace tvx::boundary {

HWY_EXPORT(EquationTerms);
HWY_EXPORT(PremiumSum);
HWY_EXPORT(ExpEach);
HWY_EXPORT(Axpy);
HWY_EXPORT(AddRows);

void equation_terms(const Rates& rates, const EquationPoints& points) {
    if (!HWY_DYNAMIC_DISPATCH(EquationTerms)(rates, points)) raise_overflow("exponential overflow");
}

double premium_sum(const Rates& rates, double log_spot, const PremiumPoints& points) {
    double sum = 0.0;
    if (!HWY_DYNAMIC_DISPATCH(PremiumSum)(rates, log_spot, points, &sum)) raise_overflow("exponential overflow");
    return chk(sum);
}

void exp_each(const double* x, double* y, std::size_t count) { HWY_DYNAMIC_DISPATCH(ExpEach)(x, y, count); }

void axpy(double a, const double* x, double* y, std::size_t count) { HWY_DYNAMIC_DISPATCH(Axpy)(a, x, y, count); }

void add_rows(const double* a, const double* rows, std::size_t count, std::size_t width, double* out) {
    HWY_DYNAMIC_DISPATCH(AddRows)(a, rows, count, width, out);
}

}  // namespace tvx::boundary
#endif  // HWY_ONCE
