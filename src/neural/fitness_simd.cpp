// The fitness evaluation's kernel, one example per vector lane, built once
// for every instruction set (this file re-includes itself through Highway's
// foreach_target).
//
// A group of examples, one per lane, goes through the network together: its
// inputs and targets transposed into lanes, then each hidden node's sum over
// the inputs in ascending order, its activation, each output's sum over the
// hidden nodes, its activation and the distance to the targets, and the
// group's errors added to the running sum lane by lane, in example order.
// Lanes of a last, partial group carry zeros and are left out of the sum.
// Every product and sum is rounded by itself (the kernels are built without
// contraction), and the exponential is the plain one, so every lane
// computes exactly what the scalar loop computes for its example.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "neural/fitness_simd.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per instruction set

#include <hwy/highway.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/simd/vector_exp-inl.h"
#include "neural/fitness_kernel.h"

HWY_BEFORE_NAMESPACE();
namespace tvx::neural::HWY_NAMESPACE {

using namespace tvx::simd::HWY_NAMESPACE;  // hn, DF, VF, MF and the exponential

constexpr std::size_t kMaxLanes = hn::MaxLanes(DF());
// Vectors side by side in a pass: a pass takes sixteen examples (or one
// vector's worth, where a vector holds more), so that each step has
// independent chains of work for the processor to overlap.
constexpr std::size_t kG = kMaxLanes >= pass_examples ? 1 : pass_examples / kMaxLanes;
// How a layer goes. With thirty-two registers (AVX-512), its nodes kN at
// a time, kG vectors each, from their sums straight through their
// activations: the independent chains keep the processor busy through
// each activation's divisions, and every one stays in a register. With
// sixteen, their sums two nodes at a time, set down, then the
// activations, the hidden nodes' kT vectors at a time, each output's
// together, which is faster there.
constexpr bool kFused = HWY_ARCH_X86 && HWY_TARGET <= HWY_AVX3;
constexpr std::size_t kHiddenGroup = kFused ? 3 : 2, kOutputGroup = kFused ? 4 : 2;
constexpr std::size_t kT = kG >= 4 ? 4 : kG;
constexpr std::size_t kMaxIn = max_inputs, kMaxHidden = max_hidden, kMaxOut = max_outputs;

// tanh as the scalar form computes it, e = exp(x), (e - 1/e) / (e + 1/e),
// for K vectors at once (in place), noting in `in_range` (when kCheck) the
// lanes whose argument the exponential covers. Within that range e and 1/e
// are normal and finite, so nothing faults.
template <bool kCheck, std::size_t K>
HWY_INLINE void Tanh(DF d, VF (&x)[K], MF& in_range) {
    if constexpr (kCheck) {
        for (std::size_t j = 0; j < K; ++j) in_range = hn::And(in_range, hn::Le(hn::Abs(x[j]), hn::Set(d, 706.0)));
    }
    ExpPlain(d, x);
    VF inv[K];
    for (std::size_t j = 0; j < K; ++j) inv[j] = hn::Div(hn::Set(d, 1.0), x[j]);
    for (std::size_t j = 0; j < K; ++j) x[j] = hn::Div(hn::Sub(x[j], inv[j]), hn::Add(x[j], inv[j]));
}

// Targets t to t + kN - 1 of a layer of n, for a pass: target t's
// argument is 0.5 * (the sum over the sources s of w[s * n + t] * source
// s, from 0 in ascending s), and its value the argument's activation.
// Source s of vector g of the pass sits at source[(s * kG + g) * L], and
// target t's value (or, unless kActivate, its argument) goes to the same
// place in `out`.
template <bool kCheck, bool kActivate, std::size_t kN>
HWY_INLINE void Nodes(DF d, const double* w, std::size_t n, std::size_t t, const double* source, std::size_t sources,
                      double* out, MF& in_range) {
    const std::size_t L = hn::Lanes(d);
    VF x[kN * kG];
    for (std::size_t j = 0; j < kN * kG; ++j) x[j] = hn::Zero(d);
    for (std::size_t s = 0; s < sources; ++s) {
        VF value[kG];
        for (std::size_t g = 0; g < kG; ++g) value[g] = hn::Load(d, source + (s * kG + g) * L);
        for (std::size_t i = 0; i < kN; ++i) {
            const VF weight = hn::Set(d, w[s * n + t + i]);
            for (std::size_t g = 0; g < kG; ++g) x[i * kG + g] = hn::Add(x[i * kG + g], hn::Mul(weight, value[g]));
        }
    }
    for (std::size_t j = 0; j < kN * kG; ++j) x[j] = hn::Mul(hn::Set(d, 0.5), x[j]);
    if constexpr (kActivate) Tanh<kCheck>(d, x, in_range);
    for (std::size_t j = 0; j < kN * kG; ++j) hn::Store(x[j], d, out + (t * kG + j) * L);
}

// Every target of a layer of n, kN at a time, then the rest one by one;
// unless kFused, their activations after all of their arguments, kA
// vectors at a time (kA divides kG).
template <bool kCheck, std::size_t kN, std::size_t kA>
HWY_INLINE void Layer(DF d, const double* w, std::size_t n, const double* source, std::size_t sources, double* out,
                      MF& in_range) {
    std::size_t t = 0;
    for (; t + kN <= n; t += kN) Nodes<kCheck, kFused, kN>(d, w, n, t, source, sources, out, in_range);
    for (; t < n; ++t) Nodes<kCheck, kFused, 1>(d, w, n, t, source, sources, out, in_range);
    if constexpr (!kFused) {
        const std::size_t L = hn::Lanes(d);
        for (std::size_t k = 0; k < n * kG; k += kA) {
            VF x[kA];
            for (std::size_t j = 0; j < kA; ++j) x[j] = hn::Load(d, out + (k + j) * L);
            Tanh<kCheck>(d, x, in_range);
            for (std::size_t j = 0; j < kA; ++j) hn::Store(x[j], d, out + (k + j) * L);
        }
    }
}

// One pass: its errors, lane by lane, into `error` (value v of vector g of
// the pass at pass[(v * kG + g) * L]).
template <bool kCheck>
HWY_INLINE void PassErrors(DF d, const double* weights, const NetShape& shape, const double* pass, double* error,
                           MF& in_range) {
    const std::size_t L = hn::Lanes(d);
    const std::size_t nin = static_cast<std::size_t>(shape.nin), nh = static_cast<std::size_t>(shape.nhidden);
    const std::size_t nout = static_cast<std::size_t>(shape.nout);
    const double* const target = pass + nin * kG * L;
    HWY_ALIGN double hidden[kMaxHidden * kG * kMaxLanes];
    HWY_ALIGN double output[kMaxOut * kG * kMaxLanes];
    Layer<kCheck, kHiddenGroup, kT>(d, weights, nh, pass, nin, hidden, in_range);
    Layer<kCheck, kOutputGroup, kG>(d, weights + shape.output_block(), nout, hidden, nh, output, in_range);
    VF squares[kG];
    for (std::size_t g = 0; g < kG; ++g) squares[g] = hn::Zero(d);
    for (std::size_t o = 0; o < nout; ++o)
        for (std::size_t g = 0; g < kG; ++g) {
            const std::size_t at = (o * kG + g) * L;
            const VF diff = hn::Sub(hn::Load(d, output + at), hn::Load(d, target + at));
            squares[g] = hn::Add(squares[g], hn::Mul(diff, diff));
        }
    for (std::size_t g = 0; g < kG; ++g) hn::Store(hn::Sqrt(squares[g]), d, error + g * L);
}

// A whole pass of rows (pass_examples of them, `width` values each, and
// at least a vector's worth of values after the last) laid out as lay_out
// lays it out: for each vector of the pass, L rows read a vector at a time
// and transposed in registers by log2(L) rounds of pairing the even and
// the odd lanes, which leave column c in vector c.
HWY_INLINE void LayOutPass(DF d, const double* rows, std::size_t width, double* out) {
    const std::size_t L = hn::Lanes(d);
    for (std::size_t g = 0; g < kG; ++g)
        for (std::size_t b = 0; b < width; b += L) {
            VF v[kMaxLanes];
            for (std::size_t i = 0; i < L; ++i) v[i] = hn::LoadU(d, rows + (g * L + i) * width + b);
#if HWY_TARGET != HWY_SCALAR
            for (std::size_t round = 1; round < L; round *= 2) {
                VF paired[kMaxLanes];
                for (std::size_t k = 0; k < L / 2; ++k) {
                    paired[k] = hn::ConcatEven(d, v[2 * k + 1], v[2 * k]);
                    paired[L / 2 + k] = hn::ConcatOdd(d, v[2 * k + 1], v[2 * k]);
                }
                std::copy_n(paired, L, v);
            }
#endif
            for (std::size_t c = 0; c < L && b + c < width; ++c) hn::Store(v[c], d, out + ((b + c) * kG + g) * L);
        }
}

// The pass of examples `first` on of the `count` rows of `exemplar`, laid
// out in `rows`: transposed in registers where the rows go on for a vector
// past the pass (LayOutPass reads that far), by lay_out otherwise.
HWY_INLINE void PassRows(DF d, const double* exemplar, std::size_t width, std::size_t first, std::size_t count,
                         double* rows) {
    const std::size_t P = kG * hn::Lanes(d);
    if ((count - first) * width >= P * width + hn::Lanes(d))
        LayOutPass(d, exemplar + first * width, width, rows);
    else
        lay_out(exemplar + first * width, width, std::min(P, count - first), rows);
}

template <bool kCheck>
HWY_INLINE bool ErrorSumOf(const double* weights, const double* exemplar, const double* layout, const NetShape& shape,
                           std::size_t count, double* out) {
    const DF d;
    const std::size_t P = kG * hn::Lanes(d), width = shape.example_width();
    if (P != pass_examples) return false;  // a vector longer than a pass
    HWY_ALIGN double rows[(kMaxIn + kMaxOut) * pass_examples];
    HWY_ALIGN double error[pass_examples];
    MF in_range = hn::FirstN(d, hn::Lanes(d));
    double sum = 0.0;
    for (std::size_t first = 0; first < count; first += P) {
        const std::size_t m = std::min(P, count - first);
        const double* pass = layout + first * width;
        if (layout == nullptr) PassRows(d, exemplar, width, first, count, rows), pass = rows;
        PassErrors<kCheck>(d, weights, shape, pass, error, in_range);
        for (std::size_t e = 0; e < m; ++e) sum += error[e];
    }
    if (kCheck && !hn::AllTrue(d, in_range)) return false;
    *out = sum;
    return true;
}

// Every node of the first `count` examples (rows of `exemplar`), example
// by example into `hidden` and `output`, as vector_nodes describes.
bool NodesChecked(const double* weights, const double* exemplar, const NetShape& shape, std::size_t count,
                  double* hidden, double* output) {
    const DF d;
    const std::size_t L = hn::Lanes(d), P = kG * L, width = shape.example_width();
    if (P != pass_examples) return false;
    const std::size_t nh = static_cast<std::size_t>(shape.nhidden), nout = static_cast<std::size_t>(shape.nout);
    HWY_ALIGN double rows[(kMaxIn + kMaxOut) * pass_examples];
    HWY_ALIGN double hidden_lanes[kMaxHidden * kG * kMaxLanes];
    HWY_ALIGN double output_lanes[kMaxOut * kG * kMaxLanes];
    MF in_range = hn::FirstN(d, L);
    for (std::size_t first = 0; first < count; first += P) {
        const std::size_t m = std::min(P, count - first);
        PassRows(d, exemplar, width, first, count, rows);
        Layer<true, kHiddenGroup, kT>(d, weights, nh, rows, static_cast<std::size_t>(shape.nin), hidden_lanes,
                                      in_range);
        Layer<true, kOutputGroup, kG>(d, weights + shape.output_block(), nout, hidden_lanes, nh, output_lanes,
                                      in_range);
        for (std::size_t e = 0; e < m; ++e) {
            for (std::size_t h = 0; h < nh; ++h) hidden[(first + e) * nh + h] = hidden_lanes[h * P + e];
            for (std::size_t o = 0; o < nout; ++o) output[(first + e) * nout + o] = output_lanes[o * P + e];
        }
    }
    return hn::AllTrue(d, in_range);
}

bool ErrorSumChecked(const double* weights, const double* exemplar, const double* layout, const NetShape& shape,
                     std::size_t count, double* out) {
    return ErrorSumOf<true>(weights, exemplar, layout, shape, count, out);
}

bool ErrorSumBounded(const double* weights, const double* exemplar, const double* layout, const NetShape& shape,
                     std::size_t count, double* out) {
    return ErrorSumOf<false>(weights, exemplar, layout, shape, count, out);
}

}  // namespace tvx::neural::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tvx::neural {

HWY_EXPORT(ErrorSumChecked);
HWY_EXPORT(ErrorSumBounded);
HWY_EXPORT(NodesChecked);

void lay_out(const double* exemplar, std::size_t width, std::size_t count, double* out) {
    for (std::size_t p = 0; p < passes(count); ++p, out += width * pass_examples)
        for (std::size_t j = 0; j < pass_examples; ++j) {
            const std::size_t e = p * pass_examples + j;
            for (std::size_t v = 0; v < width; ++v)
                out[v * pass_examples + j] = e < count ? exemplar[e * width + v] : 0.0;
        }
}

namespace {

// Whether the kernel takes the shape: the creation window's limits.
bool within_limits(const NetShape& shape) {
    return shape.nin >= 1 && shape.nin <= max_inputs && shape.nhidden >= 1 && shape.nhidden <= max_hidden &&
           shape.nout >= 1 && shape.nout <= max_outputs;
}

}  // namespace

bool vector_error_sum(const double* weights, const double* exemplar, const double* layout, bool bounded,
                      const NetShape& shape, std::size_t count, double* sum) {
    if (!within_limits(shape)) return false;
    if (bounded) return HWY_DYNAMIC_DISPATCH(ErrorSumBounded)(weights, exemplar, layout, shape, count, sum);
    return HWY_DYNAMIC_DISPATCH(ErrorSumChecked)(weights, exemplar, layout, shape, count, sum);
}

bool vector_nodes(const double* weights, const double* exemplar, const NetShape& shape, std::size_t count,
                  double* hidden, double* output) {
    if (!within_limits(shape)) return false;
    return HWY_DYNAMIC_DISPATCH(NodesChecked)(weights, exemplar, shape, count, hidden, output);
}

}  // namespace tvx::neural
#endif  // HWY_ONCE
