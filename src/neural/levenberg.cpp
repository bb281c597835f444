// A descent's record and stopping rule, and Levenberg-Marquardt.
#include <algorithm>
#include <cmath>

#include "core/fault.h"
#include "neural/descent.h"

namespace tvx {

void Record::saw(std::span<const double> weights, const Errors& e) {
    if (e.fitness < best_error_) {
        best_error_ = e.fitness;
        best_.assign(weights.begin(), weights.end());
    }
}

bool Record::stalled_after(double squared) {
    recent_.push_back(squared);
    if (recent_.size() > stall_window_ + 1) recent_.pop_front();
    if (squared <= 0.0) return true;
    return recent_.size() == stall_window_ + 1 && recent_.front() - squared <= stall_fall_ * recent_.front();
}

bool pinned(double weight, double slope) {
    return (weight >= kWeightBound && slope < 0.0) || (weight <= -kWeightBound && slope > 0.0);
}

void clamp_to_bound(std::span<double> weights) {
    for (double& w : weights) w = std::clamp(w, -kWeightBound, kWeightBound);
}

bool cholesky_factor(std::span<double> m, std::size_t n) {
    for (std::size_t j = 0; j < n; ++j) {
        double d = m[j * n + j];
        for (std::size_t k = 0; k < j; ++k) d -= m[j * n + k] * m[j * n + k];
        if (!(d > 0.0)) return false;  // also for a NaN
        d = std::sqrt(d);
        m[j * n + j] = d;
        for (std::size_t i = j + 1; i < n; ++i) {
            double s = m[i * n + j];
            for (std::size_t k = 0; k < j; ++k) s -= m[i * n + k] * m[j * n + k];
            m[i * n + j] = s / d;
        }
    }
    return true;
}

void cholesky_substitute(std::span<const double> m, std::span<double> b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {  // L y = b
        double s = b[i];
        for (std::size_t k = 0; k < i; ++k) s -= m[i * n + k] * b[k];
        b[i] = s / m[i * n + i];
    }
    for (std::size_t i = n; i-- > 0;) {  // L' x = y
        double s = b[i];
        for (std::size_t k = i + 1; k < n; ++k) s -= m[k * n + i] * b[k];
        b[i] = s / m[i * n + i];
    }
}

bool step_within_bound(std::span<const double> damped, std::span<const double> slope, std::span<const double> weights,
                       std::span<double> factor, std::span<double> step, std::span<char> held) {
    const std::size_t n = weights.size();
    for (std::size_t i = 0; i < n; ++i) {
        held[i] = pinned(weights[i], slope[i]);
        if (held[i]) step[i] = 0.0;
    }
    for (;;) {
        // The held weights' steps move to the right-hand side, and their
        // rows and columns leave the system.
        for (std::size_t i = 0; i < n; ++i) {
            if (held[i]) continue;
            double s = -slope[i];
            for (std::size_t j = 0; j < n; ++j)
                if (held[j]) s -= damped[i * n + j] * step[j];
            step[i] = s;
        }
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j)
                factor[i * n + j] = held[i] || held[j] ? (i == j ? 1.0 : 0.0) : damped[i * n + j];
        if (!cholesky_factor(factor, n)) return false;
        cholesky_substitute(factor, step, n);
        bool more = false;
        for (std::size_t i = 0; i < n; ++i)
            if (!held[i] && std::fabs(weights[i] + step[i]) > kWeightBound) {
                held[i] = 1;
                step[i] = std::copysign(kWeightBound, weights[i] + step[i]) - weights[i];
                more = true;
            }
        if (!more) return true;
    }
}

namespace {

// The damping shrinks fivefold after a step that lowers the error and
// grows fivefold until one does: gentler than the usual tenfold, which in
// the long curved valleys of near-exact fits overshoots either way (the
// gradient study's descents end lower in fewer iterations).
constexpr double kShrink = 0.2, kGrow = 5.0, kSmallest = 1e-12, kLargest = 1e10;
// Geodesic acceleration: the difference step along v, and the largest
// ratio of 2 |a| to |v| accepted.
constexpr double kProbe = 0.1, kMostAcceleration = 0.75;
// The distance phase smooths each example's distance d as
// sqrt(d^2 + delta^2), delta this share of the mean distance on entry, and
// stops when its measure has fallen by less than the problem's share over
// this many iterations.
constexpr double kSmoothing = 0.01;
constexpr int kDistanceWindow = 10;
// No distance phase below this mean distance: the fit is exact to
// rounding, and delta would be too small to keep the weights finite.
constexpr double kExactFit = 1e-12;
// Added to each diagonal entry before the damping scales it, so that a
// weight the residuals do not depend on (an unused hidden node) still
// gets a finite step.
constexpr double kDiagonalFloor = 1e-9;

// The distance phase's measure: the mean over the examples of
// sqrt(d^2 + delta^2), d an example's distance (the length of its nout
// residuals), a smooth stand-in for the mean distance; with `weight`, each
// residual's weight in the reweighted normal equations, 1 / sqrt(d^2 +
// delta^2), too.
double smoothed_mean(std::span<const double> residual, std::size_t nout, double delta, std::span<double> weight = {}) {
    double sum = 0.0;
    for (std::size_t k = 0; k < residual.size(); k += nout) {
        double d2 = 0.0;
        for (std::size_t o = 0; o < nout; ++o) d2 += residual[k + o] * residual[k + o];
        const double s = std::sqrt(d2 + delta * delta);
        sum += s;
        if (!weight.empty())
            for (std::size_t o = 0; o < nout; ++o) weight[k + o] = 1.0 / s;
    }
    return sum / static_cast<double>(residual.size() / nout);
}

}  // namespace

Levenberg::Levenberg(const std::vector<double>& start, const Problem& p)
    : w_(start),
      trial_(start.size()),
      jtj_(start.size() * start.size()),
      jtr_(start.size()),
      m_(jtj_.size()),
      step_(start.size()),
      jacobian_(p.residuals() * start.size()),
      residual_(p.residuals()),
      ahead_(p.residuals()),
      acceleration_(start.size()),
      weight_(p.residuals(), 1.0),
      damped_(jtj_.size()),
      held_(start.size()),
      record_(start, p.stall_fall, p.stall_window) {
    form(p);
}

// The normal equations at w_ (weighted in the distance phase), and w_ seen.
void Levenberg::form(const Problem& p) {
    e_ = normal_equations(w_, p, jtj_, jtr_, jacobian_, residual_);
    record_.saw(w_, e_);
    if (delta_ > 0.0)
        reweigh(p);
    else
        objective_ = e_.squared;
    fresh_ = true;
}

// Geodesic acceleration: the residuals' second derivative along the step v
// by a difference, r'' = (2 / h) ((r(w + h v) - r(w)) / h - J v), gives the
// second-order correction a of (J'WJ + damping) a = -J'W r'' (W the
// distance phase's weights, 1 before it); the step taken is v + a / 2, and
// it is refused (as an uphill step is) when 2 |a| > 0.75 |v|, where the
// quadratic picture no longer holds. A step longer than half the weights'
// range is tried as it is: it is no place for a second-order correction.
bool Levenberg::accelerate(const Problem& p) {
    const std::size_t n = w_.size(), m = residual_.size();
    double longest = 0.0;
    for (const double x : step_) longest = std::max(longest, std::fabs(x));
    if (longest > kWeightBound) return true;
    for (std::size_t i = 0; i < n; ++i) trial_[i] = w_[i] + kProbe * step_[i];
    clamp_to_bound(trial_);
    residuals_of(trial_, p, ahead_);
    std::fill(acceleration_.begin(), acceleration_.end(), 0.0);
    for (std::size_t k = 0; k < m; ++k) {
        const double* row = jacobian_.data() + k * n;
        double jv = 0.0;
        for (std::size_t i = 0; i < n; ++i) jv += row[i] * step_[i];
        const double second = 2.0 / kProbe * ((ahead_[k] - residual_[k]) / kProbe - jv) * weight_[k];
        for (std::size_t i = 0; i < n; ++i) acceleration_[i] -= row[i] * second;
    }
    for (std::size_t i = 0; i < n; ++i)
        if (held_[i]) acceleration_[i] = 0.0;
    cholesky_substitute(m_, acceleration_, n);
    double vv = 0.0, aa = 0.0;
    for (std::size_t i = 0; i < n; ++i) vv += step_[i] * step_[i], aa += acceleration_[i] * acceleration_[i];
    if (4.0 * chk(aa) > kMostAcceleration * kMostAcceleration * vv) return false;
    for (std::size_t i = 0; i < n; ++i) step_[i] += 0.5 * acceleration_[i];
    return true;
}

double Levenberg::smoothed(std::span<const double> weights, const Problem& p) {
    residuals_of(weights, p, ahead_);
    return smoothed_mean(ahead_, static_cast<std::size_t>(p.shape.nout), delta_);
}

// Normal equations weighted by 1 / sqrt(distance^2 + delta^2) per example
// (iteratively reweighted least squares for the smoothed distance).
void Levenberg::reweigh(const Problem& p) {
    const std::size_t n = w_.size(), m = residual_.size();
    objective_ = smoothed_mean(residual_, static_cast<std::size_t>(p.shape.nout), delta_, weight_);
    std::fill(jtj_.begin(), jtj_.end(), 0.0);
    std::fill(jtr_.begin(), jtr_.end(), 0.0);
    for (std::size_t k = 0; k < m; ++k) {
        const double* row = jacobian_.data() + k * n;
        const double wk = weight_[k];
        for (std::size_t i = 0; i < n; ++i) {
            if (row[i] == 0.0) continue;
            const double a = wk * row[i];
            jtr_[i] += a * residual_[k];
            for (std::size_t j = 0; j <= i; ++j) jtj_[i * n + j] += a * row[j];
        }
    }
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < i; ++j) jtj_[j * n + i] = chk(jtj_[i * n + j]);
    for (const double x : jtr_) chk(x);
}

void Levenberg::iterate(const Problem& p) {
    const std::size_t n = w_.size();
    if (!fresh_) form(p);
    while (lambda_ <= kLargest) {
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j)
                damped_[i * n + j] = jtj_[i * n + j] + (i == j ? lambda_ * (jtj_[i * n + i] + kDiagonalFloor) : 0.0);
        if (step_within_bound(damped_, jtr_, w_, m_, step_, held_)) {
            if (!accelerate(p)) {
                lambda_ *= kGrow;
                continue;
            }
            for (std::size_t i = 0; i < n; ++i) trial_[i] = w_[i] + step_[i];
            clamp_to_bound(trial_);
            const Errors e = errors_of(trial_, p);
            record_.saw(trial_, e);
            const double objective = delta_ > 0.0 ? smoothed(trial_, p) : e.squared;
            if (objective < objective_) {
                w_.swap(trial_);
                e_ = e;
                objective_ = objective;
                fresh_ = false;
                lambda_ = std::max(lambda_ * kShrink, kSmallest);
                stopped_ = record_.stalled_after(objective);
                if (stopped_) enter_distance();
                return;
            }
        }
        lambda_ *= kGrow;
    }
    stopped_ = true;
    enter_distance();
}

// Once the squared error has stopped falling, the descent goes on with
// the mean distance itself (smoothed), which the training reports: the
// least squares spread the error over every example, the least distances
// fit most examples closer and leave it on a few.
void Levenberg::enter_distance() {
    if (delta_ > 0.0 || e_.fitness <= kExactFit) return;
    delta_ = kSmoothing * e_.fitness;
    stopped_ = false;
    fresh_ = false;
    lambda_ = kFirstLambda;
    record_.restart_stall(kDistanceWindow);
}

}  // namespace tvx
