// Training by gradient: the network of network.h, the same forward pass
// and error measure, with signed weights found by iRprop+ (resilient
// back-propagation with weight backtracking, Igel and Huesken 2000) on the
// exact gradient of the mean example error, from several random starts.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/progress.h"
#include "neural/network.h"

namespace tvx {

// Every weight stays within [-bound, bound]. A node's sum has at most 15
// terms, each a weight times a value of magnitude at most 1 (a scaled input
// or a hidden node), so the argument of tanh stays within 0.5 * 15 * 64 =
// 480, well inside the range where the exponential neither overflows nor
// vanishes (about 709), for every valid training file and every input the
// prediction window accepts.
inline constexpr double kWeightBound = 64.0;

// Starting weights are (2u - 1) * this: small, of either sign.
inline constexpr double kStartScale = 0.5;

// Two measures of one weight vector over the examples: `fitness`, the mean
// example error (computed as fitness() computes it), by which the result
// is chosen, and `squared`, the mean of the squared example errors, which
// the descent follows: it is smooth everywhere, where a distance has a kink
// at every example fitted exactly, a kink the descent would stick in.
struct Errors {
    double fitness = 0.0;
    double squared = 0.0;
};

// Both measures of `weights` and the gradient of `squared` with respect to
// every weight, written into `gradient` (W entries), by back-propagation.
Errors error_gradient(std::span<const double> weights, std::span<const double> exemplar, const NetShape& shape,
                      std::int16_t nexem, std::span<double> gradient);

// One descent from one start.
struct Descent {
    std::vector<double> weights;
    std::vector<double> step;           // each weight's step size
    std::vector<double> last_gradient;  // 0 after a change of sign
    std::vector<double> last_change;    // the change made in the last update
    double last_error = -1.0;           // `squared` of the last update; negative before the first
    std::vector<double> best;           // the lowest-error weights evaluated
    double best_error = 10000.0;        // its fitness; above every error at first

    explicit Descent(std::vector<double> start);
};

// One iRprop+ update from the current weights' errors and gradient of
// `squared`: a step grows by 1.2 while its gradient keeps its sign and halves when the sign
// changes, in which case the last change is undone if the error rose. A
// weight that would pass the bound stops at it. The weights evaluated are
// kept as the best when their fitness is the lowest so far.
void rprop_update(Descent& d, std::span<const double> gradient, const Errors& errors);

// `restarts` descents from starts drawn in order (restart by restart,
// weight by weight), advanced together for `iterations` updates with
// `pmeter` showing the share done; the pool's threads share the descents. After
// each tenth of the iterations only the better half of the descents still
// going on goes on (at least four), so that most of the work goes to the
// promising starts. Then the best weights of the best descent (the first
// of equals) go into `result`. On Cancel it returns at the end of that
// iteration without touching `result`; returns false when cancelled.
bool train_gradient(const NetShape& shape, std::int16_t nexem, std::span<const double> exemplar,
                    std::vector<double>& result, std::int16_t iterations, std::int16_t restarts, Pmeter& pmeter,
                    UserInterface& ui, const Draw& draw);

}  // namespace tvx
