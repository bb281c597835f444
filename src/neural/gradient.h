// Training by gradient: the network of network.h, the same forward pass
// and error measure, with signed weights fitted by a second-order method
// on the exact derivatives of the squared error, from several random
// starts: Levenberg-Marquardt on the normal equations of the residuals
// where they are cheap to form (small networks or few examples), limited-
// memory BFGS on the gradient alone where they are not (descent.h).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/progress.h"
#include "neural/gradient_settings.h"
#include "neural/network.h"

namespace tvx {

// Every weight stays within [-bound, bound]. A node's sum has at most 15
// terms, each a weight times a value of magnitude at most 1 (a scaled input
// or a hidden node), so the argument of tanh stays within 0.5 * 15 * 64 =
// 480, well inside the range where the exponential neither overflows nor
// vanishes (about 709), for every valid training file and every input the
// prediction window accepts.
inline constexpr double kWeightBound = 64.0;

// The defaults of the starts' scales, by name.
inline constexpr double kStartScale = StartSettings{}.scale;
inline constexpr double kCentredSlope = StartSettings{}.centred_slope;
inline constexpr double kCentredOutput = StartSettings{}.centred_output;

// The training's draws: (2u - 1) * scale for a draw u, and one of 0 to
// n - 1 drawn uniformly (n > 0).
inline double signed_draw(const Draw& draw, double scale) { return (2.0 * draw() - 1.0) * scale; }
inline std::size_t drawn_index(const Draw& draw, std::size_t n) {
    return std::min(n - 1, static_cast<std::size_t>(draw() * static_cast<double>(n)));
}

// Two measures of one weight vector over the examples: `fitness`, the mean
// example error (computed as fitness() computes it), by which the result
// is chosen, and `squared`, the mean of the squared example errors, which
// the descents minimise: it is smooth everywhere, where a distance has a
// kink at every example fitted exactly, a kink a descent would stick in.
struct Errors {
    double fitness = 0.0;
    double squared = 0.0;
};

// The examples a training fits, and its tuning.
struct Problem {
    NetShape shape;
    std::int16_t nexem = 0;
    std::span<const double> exemplar;
    GradientSettings settings = {};
    std::size_t weights() const { return shape.weights(); }
    // Residuals: one per example and output.
    std::size_t residuals() const { return static_cast<std::size_t>(nexem) * static_cast<std::size_t>(shape.nout); }
};

// Both measures of `weights`, by the forward pass alone.
Errors errors_of(std::span<const double> weights, const Problem& p);

// Both measures of `weights` and the gradient of `squared` with respect to
// every weight, written into `gradient` (W entries), by back-propagation.
Errors error_gradient(std::span<const double> weights, std::span<const double> exemplar, const NetShape& shape,
                      std::int16_t nexem, std::span<double> gradient);

// Both measures of `weights` and the normal equations of the residuals
// r (each output less its target): J'J into `jtj` (W x W, row-major,
// symmetric) and J'r into `jtr` (W), J being the derivative of every
// residual with respect to every weight.
// When `jacobian` is not empty, J itself goes there too (one row of W a
// residual, the residuals in example order, each example's outputs in
// turn), and the residuals into `residual`.
Errors normal_equations(std::span<const double> weights, const Problem& p, std::span<double> jtj, std::span<double> jtr,
                        std::span<double> jacobian = {}, std::span<double> residual = {});

// The residuals of `weights` alone (as normal_equations orders them).
void residuals_of(std::span<const double> weights, const Problem& p, std::span<double> residual);

// The inputs that hold the same value in every example (of two or more),
// in order.
std::vector<std::size_t> constant_inputs(const Problem& p);

// The starts drawn in order, restart by restart: small weights drawn
// weight by weight, or, when `centred`, centred starts (StartSettings;
// where the network has one output; hidden node by hidden node, each
// node's input weights in input order skipping the bias, then its example
// where there is a bias, then the output weights in order).
std::vector<std::vector<double>> gradient_starts(std::size_t restarts, const Problem& p, bool centred,
                                                 const Draw& draw);

// `weights` (of `shape`) with hidden node `node` split in two, for the
// network of one hidden node more (the last): the new node takes the
// node's input weights, each times 1 + spread (2u - 1) for a draw u
// (within the bound), and a share 0.5 + share (2u - 1) of each of its
// output weights, which the node keeps the rest of (GrowSettings: 0.01 and
// 0.3). Draws input by input, then the share.
std::vector<double> split_node(std::span<const double> weights, const NetShape& shape, std::size_t node,
                               const Draw& draw, const GrowSettings& grow = {});

// The methods, and the one the training takes for a problem: while the
// normal equations of Levenberg-Marquardt cost at most 16 gradients
// (MethodSettings), Levenberg-Marquardt alone when an input holds one value
// in every example (a constant column standing in for a bias: the network
// can then fit the examples all but exactly, with weights at the bound,
// which L-BFGS does not reach), and otherwise both, Levenberg-Marquardt
// from the even-numbered starts and limited-memory BFGS from the odd ones
// (it more often finds the better basin of a network without a constant
// input), each L-BFGS descent going on by Levenberg-Marquardt once it has
// stopped; beyond, L-BFGS alone.
enum class GradientMethod { Levenberg, Lbfgs, Both };
GradientMethod gradient_method(const Problem& p);

// `restarts` descents from starts drawn by gradient_starts (where
// Levenberg-Marquardt takes part, more drawn and the best `restarts` of
// them kept after some iterations: ScreenSettings), advanced together, one
// iteration each at a time, for at most `iterations` iterations, with
// `pmeter` showing the share done; the pool's threads share the descents.
// A descent stops early once its squared error stops falling (descent.h);
// the training ends when every descent has stopped. With L-BFGS (large
// problems), after each tenth of the iterations only the better half of
// the descents still going on goes on (at least four), so that most of the
// work goes to the promising starts. Where the screening's pool is cheap
// and the network has three hidden nodes or more, it then grows networks
// too: smaller ones trained from their own starts, the best split node by
// node up to the full size (split_node; GrowSettings), each stage run
// as the starts are and shown as a further stretch of `pmeter`. Then the
// best weights of the best descent (the first of equals; the starts' before
// the grown ones') go into `result`. On Cancel it returns at the end of
// that iteration without touching `result`; returns false when cancelled.
bool train_gradient(const NetShape& shape, std::int16_t nexem, std::span<const double> exemplar,
                    std::vector<double>& result, std::int16_t iterations, std::int16_t restarts, Pmeter& pmeter,
                    UserInterface& ui, const Draw& draw);
// The same with the method given and the problem's own settings (for the
// tests and the studies).
bool train_gradient_by(const Problem& p, GradientMethod method, std::vector<double>& result, std::int16_t iterations,
                       std::int16_t restarts, Pmeter& pmeter, UserInterface& ui, const Draw& draw);

}  // namespace tvx
