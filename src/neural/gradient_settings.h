// The Gradient training's tuning, every figure of it in one structure whose
// defaults are the training's own. What each one does is said beside it;
// the measurements that chose the defaults are in
// docs/develop/gradient-study.md, section by section as here.
#pragma once

#include <cstddef>

namespace tvx {

// The starting weights. Small starts: every weight (2u - 1) * scale.
// Centred starts (where Levenberg-Marquardt takes part and the network has
// one output): where one of two or more inputs holds one nonzero value in
// every example (a bias), each hidden node's other input weights are
// (2u - 1) * centred_slope / sqrt(their number) and its bias weight puts
// its argument at 0 on an example drawn at random (its steepest point
// there); without a bias, every input weight is (2u - 1) * centred_slope /
// sqrt(the inputs). The output weights are drawn as (2u - 1) *
// centred_output, then fitted through the hidden layer so drawn: the least
// squares, with a ridge of output_ridge per example, of the output's sum
// against the sum each target asks for, 2 atanh(target).
struct StartSettings {
    double scale = 0.5;
    double centred_slope = 16.0;
    double centred_output = 4.0;
    double output_ridge = 1e-4;
};

// When a descent stops: its squared error has fallen by less than `fall`
// of itself over its last `window` iterations (or over a `share`-th of the
// iterations allowed, where that is longer), or has reached 0.
struct StopSettings {
    double fall = 1e-2;
    int window = 50;
    int share = 20;
};

// The method, by cost: Levenberg-Marquardt while its normal equations cost
// at most `levenberg_gradients` times what a gradient does.
struct MethodSettings {
    double levenberg_gradients = 16.0;
};

// The screening: more starts drawn than asked for, only the best going on
// after some iterations. With at most `few_starts` asked for, where
// `pool_size` descents of `pool_screen` iterations cost at most
// `pool_work` multiply-adds, `pool_draws` for each start (at most
// `pool_size`, but `screen_draws` for each), cut after a fifth of the
// iterations (between `first_screen` and `pool_screen`). Where that pool
// costs more, `screen_draws` for each, the better half going on after
// `first_screen` iterations and only the best after a tenth of the
// iterations (between `first_screen` and `last_screen`). With more asked
// for, `screen_draws` for each, cut after `first_screen` iterations. By
// L-BFGS alone, no screening: after each tenth of the iterations the
// better half of the descents still going on goes on, never fewer than
// `fewest_going_on`.
struct ScreenSettings {
    std::size_t screen_draws = 4;
    std::size_t few_starts = 20;
    std::size_t pool_draws = 8;
    std::size_t pool_size = 80;
    int first_screen = 10;
    int last_screen = 100;
    int pool_screen = 200;
    double pool_work = 1.5e9;
    std::size_t fewest_going_on = 4;
};

// The growing, where the pool is affordable and the network has more than
// `steps` hidden nodes: networks of `steps` nodes fewer from `draws`
// centred starts for each start asked for (at most `most`); then, `steps`
// times, a hidden node drawn at random of each of the `kept` lowest
// distinct networks (fits more than `distinct` of themselves apart) is
// split, once for each start asked for (at most `splits` times), and the
// networks of one node more are trained in turn. A split copies the node's
// input weights to a new node, each times 1 + spread (2u - 1), and gives
// it a share 0.5 + share (2u - 1) of the node's output weights.
struct GrowSettings {
    std::size_t draws = 6;
    std::size_t most = 60;
    std::size_t kept = 2;
    std::size_t splits = 10;
    int steps = 2;
    double distinct = 1e-6;
    double spread = 0.01;
    double share = 0.3;
};

// Levenberg-Marquardt: the damping starts at `first_lambda`, shrinks by
// `shrink` after a step that lowers the error (not below `smallest`) and
// grows by `grow` until one does; past `largest` no step lowers it and the
// phase ends. `diagonal_floor` is added to each diagonal entry before the
// damping scales it (a weight no residual depends on still gets a finite
// step). Geodesic acceleration: the residuals' second derivative along a
// step by a difference of `probe` times it, the corrected step refused
// where 2 |a| > most_acceleration |v|. The distance phase smooths each
// distance d as sqrt(d^2 + delta^2), delta `smoothing` times the mean
// distance on entry, stops by the stopping rule's fall over
// `distance_window` iterations, and is skipped below a mean distance of
// `exact_fit` (a fit exact to rounding).
struct LevenbergSettings {
    double first_lambda = 1e-3;
    double shrink = 0.2;
    double grow = 5.0;
    double smallest = 1e-12;
    double largest = 1e10;
    double diagonal_floor = 1e-9;
    double probe = 0.1;
    double most_acceleration = 0.75;
    double smoothing = 0.01;
    int distance_window = 10;
    double exact_fit = 1e-12;
};

// L-BFGS: the last `memory` steps remembered; a step halved from 1 (at most
// `halvings` times) until the error falls by `armijo` of the slope's
// promise; the first step the gradient's negative scaled to a largest
// change of `first_step`; a pair kept when s'y exceeds `curvature` |s| |y|.
struct LbfgsSettings {
    std::size_t memory = 10;
    double armijo = 1e-4;
    int halvings = 40;
    double first_step = 0.1;
    double curvature = 1e-12;
};

struct GradientSettings {
    StartSettings starts;
    StopSettings stop;
    MethodSettings method;
    ScreenSettings screen;
    GrowSettings grow;
    LevenbergSettings levenberg;
    LbfgsSettings lbfgs;
};

}  // namespace tvx
