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

#include "neural/fitness_kernel.h"
#include "pricing/mc/vector_math-inl.h"

HWY_BEFORE_NAMESPACE();
namespace tvx::neural::HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;
using DF = hn::ScalableTag<double>;
using VF = hn::Vec<DF>;
using MF = hn::Mask<DF>;

constexpr std::size_t kMaxLanes = hn::MaxLanes(DF());
// Vectors side by side in a pass: a pass takes sixteen examples (or one
// vector's worth, where a vector holds more), so that each step has
// independent chains of work for the processor to overlap.
constexpr std::size_t kG = kMaxLanes >= 16 ? 1 : 16 / kMaxLanes;
// Activations taken side by side (kG divides by it).
constexpr std::size_t kT = kG >= 4 ? 4 : kG;
constexpr std::size_t kMaxIn = max_inputs, kMaxHidden = max_hidden, kMaxOut = max_outputs;

// tanh as the scalar form computes it, e = exp(x), (e - 1/e) / (e + 1/e),
// for K vectors at once (in place), noting in `in_range` the lanes whose
// argument the exponential covers. Within that range e and 1/e are normal
// and finite, so nothing faults.
template <std::size_t K>
HWY_INLINE void Tanh(DF d, VF (&x)[K], MF& in_range) {
    for (std::size_t j = 0; j < K; ++j) in_range = hn::And(in_range, hn::Le(hn::Abs(x[j]), hn::Set(d, 706.0)));
    mc::HWY_NAMESPACE::ExpPlain(d, x);
    VF inv[K];
    for (std::size_t j = 0; j < K; ++j) inv[j] = hn::Div(hn::Set(d, 1.0), x[j]);
    for (std::size_t j = 0; j < K; ++j) x[j] = hn::Div(hn::Sub(x[j], inv[j]), hn::Add(x[j], inv[j]));
}

// The arguments of kN targets of one layer, t to t + kN - 1 of n, for a
// pass: target t gets 0.5 * (the sum over the sources s of w[s * n + t] *
// source s, from 0 in ascending s). Source s of vector g of the pass sits
// at source[(s * kG + g) * L], and so does target t's argument in `out`.
template <std::size_t kN>
HWY_INLINE void Arguments(DF d, const double* w, std::size_t n, std::size_t t, const double* source,
                          std::size_t sources, double* out) {
    const std::size_t L = hn::Lanes(d);
    VF sum[kN][kG];
    for (std::size_t i = 0; i < kN; ++i)
        for (std::size_t g = 0; g < kG; ++g) sum[i][g] = hn::Zero(d);
    for (std::size_t s = 0; s < sources; ++s) {
        VF value[kG];
        for (std::size_t g = 0; g < kG; ++g) value[g] = hn::Load(d, source + (s * kG + g) * L);
        for (std::size_t i = 0; i < kN; ++i) {
            const VF weight = hn::Set(d, w[s * n + t + i]);
            for (std::size_t g = 0; g < kG; ++g) sum[i][g] = hn::Add(sum[i][g], hn::Mul(weight, value[g]));
        }
    }
    for (std::size_t i = 0; i < kN; ++i)
        for (std::size_t g = 0; g < kG; ++g)
            hn::Store(hn::Mul(hn::Set(d, 0.5), sum[i][g]), d, out + ((t + i) * kG + g) * L);
}

// Every target of a layer, two at a time (twice the independent sums).
HWY_INLINE void Layer(DF d, const double* w, std::size_t n, const double* source, std::size_t sources, double* out) {
    std::size_t t = 0;
    for (; t + 2 <= n; t += 2) Arguments<2>(d, w, n, t, source, sources, out);
    if (t < n) Arguments<1>(d, w, n, t, source, sources, out);
}

// The examples' values of a pass of P, transposed: value v of example
// e = g * L + l (lane l of vector g) to at[(v * kG + g) * L + l], which is
// at[v * P + e]; inputs to `in` and targets to `target`.
HWY_INLINE void Transpose(const double* example, std::size_t examples, std::size_t nin, std::size_t nout, std::size_t P,
                          double* in, double* target) {
    const std::size_t width = nin + nout;
    for (std::size_t e = 0; e < examples; ++e, example += width) {
        for (std::size_t s = 0; s < nin; ++s) in[s * P + e] = example[s];
        for (std::size_t o = 0; o < nout; ++o) target[o * P + e] = example[nin + o];
    }
}

bool ErrorSum(const double* weights, const double* exemplar, const NetShape& shape, std::size_t count, double* out) {
    const DF d;
    const std::size_t L = hn::Lanes(d), P = kG * L;
    const std::size_t nin = static_cast<std::size_t>(shape.nin), nh = static_cast<std::size_t>(shape.nhidden);
    const std::size_t nout = static_cast<std::size_t>(shape.nout), width = shape.example_width();
    const double* const wout = weights + shape.output_block();
    HWY_ALIGN double in[kMaxIn * kG * kMaxLanes] = {};
    HWY_ALIGN double target[kMaxOut * kG * kMaxLanes] = {};
    HWY_ALIGN double arg[kMaxHidden * kG * kMaxLanes];
    HWY_ALIGN double hidden[kMaxHidden * kG * kMaxLanes];
    HWY_ALIGN double error[kG * kMaxLanes];
    MF in_range = hn::FirstN(d, L);
    double sum = 0.0;
    for (std::size_t first = 0; first < count; first += P) {
        const std::size_t m = std::min(P, count - first);
        // A last, partial pass: its other lanes take zeros, and no part in the sum.
        if (m < P) std::fill(in, in + nin * P, 0.0), std::fill(target, target + nout * P, 0.0);
        Transpose(exemplar + first * width, m, nin, nout, P, in, target);
        Layer(d, weights, nh, in, nin, arg);
        for (std::size_t k = 0; k < nh * kG; k += kT) {
            VF x[kT];
            for (std::size_t j = 0; j < kT; ++j) x[j] = hn::Load(d, arg + (k + j) * L);
            Tanh(d, x, in_range);
            for (std::size_t j = 0; j < kT; ++j) hn::Store(x[j], d, hidden + (k + j) * L);
        }
        Layer(d, wout, nout, hidden, nh, arg);
        VF squares[kG];
        for (std::size_t g = 0; g < kG; ++g) squares[g] = hn::Zero(d);
        for (std::size_t o = 0; o < nout; ++o) {
            VF x[kG];
            for (std::size_t g = 0; g < kG; ++g) x[g] = hn::Load(d, arg + (o * kG + g) * L);
            Tanh(d, x, in_range);
            for (std::size_t g = 0; g < kG; ++g) {
                const VF diff = hn::Sub(x[g], hn::Load(d, target + (o * kG + g) * L));
                squares[g] = hn::Add(squares[g], hn::Mul(diff, diff));
            }
        }
        for (std::size_t g = 0; g < kG; ++g) hn::Store(hn::Sqrt(squares[g]), d, error + g * L);
        for (std::size_t e = 0; e < m; ++e) sum += error[e];
    }
    if (!hn::AllTrue(d, in_range)) return false;
    *out = sum;
    return true;
}

}  // namespace tvx::neural::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tvx::neural {

HWY_EXPORT(ErrorSum);

bool vector_error_sum(const double* weights, const double* exemplar, const NetShape& shape, std::size_t count,
                      double* sum) {
    if (shape.nin < 1 || shape.nin > max_inputs || shape.nhidden < 1 || shape.nhidden > max_hidden || shape.nout < 1 ||
        shape.nout > max_outputs)
        return false;
    return HWY_DYNAMIC_DISPATCH(ErrorSum)(weights, exemplar, shape, count, sum);
}

}  // namespace tvx::neural
#endif  // HWY_ONCE
