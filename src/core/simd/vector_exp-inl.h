// The program's vector exponential, within about an ulp of the true value
// over the range its callers give it, in two forms: the simulation's, whose
// multiply-adds fuse where the instruction set has them, and the plain one,
// which rounds the same on every instruction set (the neural network's
// activation). With it, the names the vector kernels share: hn for
// Highway's target namespace, DF, VF and MF for a full vector of doubles,
// its values and its masks. A kernel's namespace takes them all with
// `using namespace tvx::simd::HWY_NAMESPACE;`.
// Included once per instruction set (by a file that goes through Highway's
// foreach_target); the guard below flips with each target.

#include <cstddef>
#include <cstdint>

#if defined(TVX_CORE_SIMD_VECTOR_EXP_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef TVX_CORE_SIMD_VECTOR_EXP_INL_H_
#undef TVX_CORE_SIMD_VECTOR_EXP_INL_H_
#else
#define TVX_CORE_SIMD_VECTOR_EXP_INL_H_
#endif

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace tvx::simd::HWY_NAMESPACE {

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

}  // namespace tvx::simd::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif
