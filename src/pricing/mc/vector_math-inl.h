// The simulation's vector exponential and logarithm, each within about an
// ulp of the true value over the range the kernels give it.
// Included once per instruction set (by a file that goes through Highway's
// foreach_target); the guard below flips with each target.

#include <cstdint>

#if defined(TVX_PRICING_MC_VECTOR_MATH_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef TVX_PRICING_MC_VECTOR_MATH_INL_H_
#undef TVX_PRICING_MC_VECTOR_MATH_INL_H_
#else
#define TVX_PRICING_MC_VECTOR_MATH_INL_H_
#endif

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace tvx::mc::HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;
using DF = hn::ScalableTag<double>;
using VF = hn::Vec<DF>;
using MF = hn::Mask<DF>;

// e^x for |x| <= 706, within about 1 ulp. The argument is reduced by the
// nearest multiple k of ln 2 (ln 2 in two parts, the first short enough
// that k times it is exact), e^r comes from its Taylor series to r^13
// (|r| <= 0.35, so the first term left out is below 4e-18 of the result),
// and 2^k is put straight into the exponent bits: k is read from the low
// bits of x / ln 2 + 1.5 2^52, where the addition leaves it, so no
// conversion between integers and doubles is needed, and for |x| <= 706
// the scale 2^k (|k| <= 1019) is a normal number and one product is exact.
//
// Its products and sums are multiply-adds, fused where the instruction set
// has them: the result is within the bound either way, the simulation's
// estimate is only ever compared with the scalar model within the rounding
// of the exponential, and fusing saves a third of the operations. k itself
// is the same fused or not wherever x / ln 2 is not within an ulp of a
// half-integer, and either k leaves |r| within the series' range.
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
//
// Its multiply-adds fuse where the instruction set has them, for the
// exponential's reason: the normals are compared with snorm's within a few
// ulps, never bit for bit.
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

}  // namespace tvx::mc::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif
