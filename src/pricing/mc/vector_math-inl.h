// The program's vector exponential and logarithm, each within about an ulp
// of the true value over the range the kernels give it: the simulation's,
// and the neural network's activation (its exponential, in a form that
// rounds the same on every instruction set).
// Included once per instruction set (by a file that goes through Highway's
// foreach_target); the guard below flips with each target.

#include <cstddef>
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

// A product plus a sum, fused where the instruction set has it (kFused) or
// always rounded twice, as plain code without contraction rounds it.
template <bool kFused, class V>
HWY_INLINE V MulAddOf(V a, V b, V c) {
    if constexpr (kFused) {
        return hn::MulAdd(a, b, c);
    } else {
        return hn::Add(hn::Mul(a, b), c);
    }
}

// c - a b, the same way.
template <bool kFused, class V>
HWY_INLINE V NegMulAddOf(V a, V b, V c) {
    if constexpr (kFused) {
        return hn::NegMulAdd(a, b, c);
    } else {
        return hn::Sub(c, hn::Mul(a, b));
    }
}

// e^x for |x| <= 706, within about 1 ulp. The argument is reduced by the
// nearest multiple k of ln 2 (ln 2 in two parts, the first short enough
// that k times it is exact), e^r comes from its Taylor series to r^13
// (|r| <= 0.35, so the first term left out is below 4e-18 of the result),
// and 2^k is put straight into the exponent bits: k is read from the low
// bits of x / ln 2 + 1.5 2^52, where the addition leaves it, so no
// conversion between integers and doubles is needed, and for |x| <= 706
// the scale 2^k (|k| <= 1019) is a normal number and one product is exact.
// Either k of a fused and an unfused x / ln 2 + 1.5 2^52 leaves |r| within
// the series' range, and k ln 2 in its first part is exact, so only the
// rounding of the series differs between the two forms below.
//
// ExpSeries takes K vectors at once, step by step side by side, so that a
// caller with many independent arguments gives the processor K chains of
// work to overlap; each lane still goes through the same operations.
template <bool kFused, std::size_t K, class D>
HWY_INLINE void ExpSeries(D d, hn::Vec<D> (&x)[K]) {
    using V = hn::Vec<D>;
    const hn::RebindToUnsigned<D> du;
    const auto c = [&](double v) { return hn::Set(d, v); };
    const V shift = c(0x1.8p52);
    V kd[K], r[K], r2[K], r4[K], bracket[K];
    for (std::size_t j = 0; j < K; ++j) {
        kd[j] = MulAddOf<kFused>(x[j], c(1.4426950408889634), shift);
        const V k = hn::Sub(kd[j], shift);
        r[j] = NegMulAddOf<kFused>(k, c(0x1.62e42fee00000p-1), x[j]);
        r[j] = NegMulAddOf<kFused>(k, c(0x1.a39ef35793c76p-33), r[j]);
    }
    // 1 + r + r^2 (1/2! + r/3! + ... + r^11/13!), the bracket by Estrin's scheme.
    for (std::size_t j = 0; j < K; ++j) r2[j] = hn::Mul(r[j], r[j]), r4[j] = hn::Mul(r2[j], r2[j]);
    for (std::size_t j = 0; j < K; ++j) {
        const V p01 = MulAddOf<kFused>(c(1.0 / 6), r[j], c(1.0 / 2));
        const V p23 = MulAddOf<kFused>(c(1.0 / 120), r[j], c(1.0 / 24));
        const V p45 = MulAddOf<kFused>(c(1.0 / 5040), r[j], c(1.0 / 720));
        const V p67 = MulAddOf<kFused>(c(1.0 / 362880), r[j], c(1.0 / 40320));
        const V p89 = MulAddOf<kFused>(c(1.0 / 39916800), r[j], c(1.0 / 3628800));
        const V p1011 = MulAddOf<kFused>(c(1.0 / 6227020800), r[j], c(1.0 / 479001600));
        const V q0 = MulAddOf<kFused>(p23, r2[j], p01);
        const V q1 = MulAddOf<kFused>(p67, r2[j], p45);
        const V q2 = MulAddOf<kFused>(p1011, r2[j], p89);
        bracket[j] = MulAddOf<kFused>(MulAddOf<kFused>(q2, r4[j], q1), r4[j], q0);
    }
    for (std::size_t j = 0; j < K; ++j) {
        const V y = hn::Add(MulAddOf<kFused>(bracket[j], r2[j], r[j]), c(1.0));
        const auto scale =
            hn::BitCast(d, hn::Add(hn::ShiftLeft<52>(hn::BitCast(du, kd[j])), hn::Set(du, std::uint64_t{1023} << 52)));
        x[j] = hn::Mul(y, scale);
    }
}

template <bool kFused, class D>
HWY_INLINE hn::Vec<D> ExpSeries(D d, hn::Vec<D> x) {
    hn::Vec<D> one[1] = {x};
    ExpSeries<kFused>(d, one);
    return one[0];
}

// The simulation's exponential: its multiply-adds fuse where the
// instruction set has them. The result is within the bound either way, the
// simulation's estimate is only ever compared with the scalar model within
// the rounding of the exponential, and fusing saves a third of the
// operations.
HWY_INLINE VF ExpNear(DF d, VF x) { return ExpSeries<true>(d, x); }

// The same exponential with every product and sum rounded by itself: the
// same bits on every instruction set, for any number of lanes (one lane is
// its scalar form), for callers that compare results bit for bit.
template <class D>
HWY_INLINE hn::Vec<D> ExpPlain(D d, hn::Vec<D> x) {
    return ExpSeries<false>(d, x);
}

// The same for K vectors at once, in place.
template <std::size_t K, class D>
HWY_INLINE void ExpPlain(D d, hn::Vec<D> (&x)[K]) {
    ExpSeries<false>(d, x);
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
