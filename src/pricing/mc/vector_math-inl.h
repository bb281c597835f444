// The simulation's vector math: the program's vector exponential and the
// kernels' shared names (hn, DF, VF, MF) from core/simd/vector_exp-inl.h,
// and the vector logarithm of the normal draws, within about an ulp of the
// true value over the range the draws give it.
// Included once per instruction set (by a file that goes through Highway's
// foreach_target); the guard below flips with each target.

#include "core/simd/vector_exp-inl.h"

#if defined(TVX_PRICING_MC_VECTOR_MATH_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef TVX_PRICING_MC_VECTOR_MATH_INL_H_
#undef TVX_PRICING_MC_VECTOR_MATH_INL_H_
#else
#define TVX_PRICING_MC_VECTOR_MATH_INL_H_
#endif

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace tvx::mc::HWY_NAMESPACE {

using namespace tvx::simd::HWY_NAMESPACE;

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
