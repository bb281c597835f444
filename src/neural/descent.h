// One descent of the gradient training from one start: Levenberg-Marquardt
// or limited-memory BFGS on the mean squared error, the weights kept within
// the bound, and when to stop (the record, the bound and Cholesky in
// descent_helpers.cpp; the methods in levenberg.cpp and lbfgs.cpp).
#pragma once

#include <cstddef>
#include <deque>
#include <span>
#include <variant>
#include <vector>

#include "neural/gradient.h"

namespace tvx {

// What every descent keeps: the lowest-fitness weights it has evaluated
// and its squared error after each iteration.
class Record {
public:
    Record(const std::vector<double>& start, double stall_fall, int stall_window)
        : best_(start), stall_fall_(stall_fall), stall_window_(static_cast<std::size_t>(stall_window)) {}
    // Notes an evaluated weight vector: the best when its fitness is the
    // lowest so far.
    void saw(std::span<const double> weights, const Errors& e);
    // Notes the squared error after an iteration; true when the descent
    // should stop: the error is 0, or has fallen by less than `stall_fall`
    // of itself over the last `stall_window` iterations.
    bool stalled_after(double squared);
    // Starts the rule afresh over `window` iterations (a new measure).
    void restart_stall(int window) {
        recent_.clear();
        stall_window_ = static_cast<std::size_t>(window);
    }
    const std::vector<double>& best() const { return best_; }
    double best_error() const { return best_error_; }

private:
    std::vector<double> best_;
    double best_error_ = 10000.0;  // above every error at first
    double stall_fall_;
    std::size_t stall_window_;
    std::deque<double> recent_;  // the last stall_window + 1 errors
};

// The weights clamped to the bound.
void clamp_to_bound(std::span<double> weights);

// Whether a weight at the bound stays there: the error's slope by it
// (`slope`) points outward, so a step downhill would leave the bound.
bool pinned(double weight, double slope);

// The damped step within the bound, for W weights: the solution `step` of
// damped step = -slope (damped: W x W, row-major, positive definite) over
// the weights free of the bound. A weight at the bound that the slope
// pushes outward (pinned) keeps a step of 0; a weight the step would carry
// past the bound is stopped at the bound and held there (`held` marks
// both), and the free weights are solved for again with its step fixed,
// until no free weight is carried past the bound (each round holds one
// weight more: at most W rounds). `factor` (W x W) is left holding the
// Cholesky factor of the last system, the held weights' rows and columns
// those of the identity. False when a system is not positive definite.
// Clamping the unconstrained step instead bends it away from the model's
// minimum on the bound, and the descents of near-exact fits, which end
// with many weights at the bound, crawl.
bool step_within_bound(std::span<const double> damped, std::span<const double> slope, std::span<const double> weights,
                       std::span<double> factor, std::span<double> step, std::span<char> held);

// Levenberg-Marquardt with geodesic acceleration (LevenbergSettings, whose
// defaults the figures here are): each iteration forms the normal equations
// at the current weights, solves (J'J + lambda (diag J'J + 1e-9)) v = -J'r
// within the bound (step_within_bound), corrects v by the residuals'
// curvature along it and takes the step when it lowers the squared error
// (then lambda shrinks fivefold); otherwise lambda grows fivefold and it
// solves again. When the squared error stops falling by the problem's
// StopSettings, or when lambda passes 1e10 (no step that short lowers it),
// the descent goes on in a distance phase: the same steps on the mean
// distance, smoothed (each example weighted by the inverse of its distance),
// until that stops falling by the same share over 10 iterations.
class Levenberg {
public:
    Levenberg(const std::vector<double>& start, const Problem& p);
    void iterate(const Problem& p);
    bool stopped() const { return stopped_; }
    const Record& record() const { return record_; }

private:
    void form(const Problem& p);
    bool accelerate(const Problem& p);
    void reweigh(const Problem& p);
    void enter_distance(const Problem& p);
    double smoothed(std::span<const double> weights, const Problem& p);
    std::vector<double> w_, trial_, jtj_, jtr_, m_, step_, jacobian_, residual_, ahead_, acceleration_;
    std::vector<double> weight_;  // each residual's weight: 1, then 1 / sqrt(d^2 + delta^2)
    std::vector<double> damped_;  // J'WJ + lambda (diag J'WJ + 1e-9)
    std::vector<char> held_;      // the weights the step holds at the bound
    double objective_ = 0.0;      // the squared error, then the smoothed distance
    double delta_ = 0.0;          // 0 until the distance phase
    Errors e_;
    bool fresh_ = false;  // the normal equations are those of w_ (set by form)
    double lambda_;
    Record record_;
    bool stopped_ = false;
};

// Limited-memory BFGS (LbfgsSettings, whose defaults the figures here are:
// the last 10 steps) with a backtracking line search: each iteration takes the quasi-Newton
// direction (the gradient's negative after a turn uphill) and halves the
// step from 1 until the error falls by at least 1e-4 of what the slope
// promises. It stops by the problem's rule, or when no step down to 2^-40
// lowers the error.
class Lbfgs {
public:
    Lbfgs(const std::vector<double>& start, const Problem& p);
    void iterate(const Problem& p);
    bool stopped() const { return stopped_; }
    const Record& record() const { return record_; }

private:
    void direction(const LbfgsSettings& set);
    std::vector<double> w_, g_, d_, trial_, trial_g_;
    std::deque<std::vector<double>> s_, y_;  // the last steps and the changes of the gradient
    std::deque<double> rho_;
    Errors e_;
    Record record_;
    bool stopped_ = false;
};

// Cholesky for m symmetric positive definite (n x n, row-major): m
// overwritten by its factor L (false when m is not positive definite to
// working precision), then b overwritten by the solution of L L' x = b.
bool cholesky_factor(std::span<double> m, std::size_t n);
void cholesky_substitute(std::span<const double> m, std::span<double> b, std::size_t n);

// One start's descent by either method.
class Descent {
public:
    Descent(const std::vector<double>& start, const Problem& p, bool levenberg, bool finish)
        : d_(levenberg ? Either(std::in_place_type<Levenberg>, start, p) : Either(std::in_place_type<Lbfgs>, start, p)),
          finish_(finish && !levenberg) {}
    void iterate(const Problem& p) {
        std::visit([&](auto& d) { d.iterate(p); }, d_);
        // An L-BFGS descent that has stopped goes on by Levenberg-Marquardt
        // from the best weights it found, where that method is affordable.
        if (finish_ && stopped() && std::holds_alternative<Lbfgs>(d_)) {
            const std::vector<double> from = record().best();
            d_.emplace<Levenberg>(from, p);
            finish_ = false;
        }
    }
    bool stopped() const {
        return std::visit([](const auto& d) { return d.stopped(); }, d_);
    }
    const Record& record() const {
        return std::visit([](const auto& d) -> const Record& { return d.record(); }, d_);
    }

private:
    using Either = std::variant<Levenberg, Lbfgs>;
    Either d_;
    bool finish_;
};

}  // namespace tvx
