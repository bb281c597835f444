// Levenberg-Marquardt with geodesic acceleration and a distance phase.
#include <algorithm>
#include <cmath>

#include "core/fault.h"
#include "neural/descent.h"

namespace tvx {

namespace {

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
      lambda_(p.settings.levenberg.first_lambda),
      record_(start, p.settings.stop.fall, p.settings.stop.window) {
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
// second-order correction a of (J'WJ + damping) a = -J'W r'' (W the distance
// phase's weights, 1 before it); the step taken is v + a / 2, and it is
// refused (as an uphill step is) when 2 |a| > 0.75 |v| (by default), where
// the quadratic picture no longer holds. A step longer than half the
// weights' range is tried as it is: it is no place for a second-order
// correction.
bool Levenberg::accelerate(const Problem& p) {
    const double probe = p.settings.levenberg.probe, most = p.settings.levenberg.most_acceleration;
    const std::size_t n = w_.size(), m = residual_.size();
    double longest = 0.0;
    for (const double x : step_) longest = std::max(longest, std::fabs(x));
    if (longest > kWeightBound) return true;
    for (std::size_t i = 0; i < n; ++i) trial_[i] = w_[i] + probe * step_[i];
    clamp_to_bound(trial_);
    residuals_of(trial_, p, ahead_);
    std::fill(acceleration_.begin(), acceleration_.end(), 0.0);
    for (std::size_t k = 0; k < m; ++k) {
        const double* row = jacobian_.data() + k * n;
        double jv = 0.0;
        for (std::size_t i = 0; i < n; ++i) jv += row[i] * step_[i];
        const double second = 2.0 / probe * ((ahead_[k] - residual_[k]) / probe - jv) * weight_[k];
        for (std::size_t i = 0; i < n; ++i) acceleration_[i] -= row[i] * second;
    }
    for (std::size_t i = 0; i < n; ++i)
        if (held_[i]) acceleration_[i] = 0.0;
    cholesky_substitute(m_, acceleration_, n);
    double vv = 0.0, aa = 0.0;
    for (std::size_t i = 0; i < n; ++i) vv += step_[i] * step_[i], aa += acceleration_[i] * acceleration_[i];
    if (4.0 * chk(aa) > most * most * vv) return false;
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
    const LevenbergSettings& set = p.settings.levenberg;
    const std::size_t n = w_.size();
    if (!fresh_) form(p);
    while (lambda_ <= set.largest) {
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j)
                damped_[i * n + j] =
                    jtj_[i * n + j] + (i == j ? lambda_ * (jtj_[i * n + i] + set.diagonal_floor) : 0.0);
        if (step_within_bound(damped_, jtr_, w_, m_, step_, held_)) {
            if (!accelerate(p)) {
                lambda_ *= set.grow;
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
                lambda_ = std::max(lambda_ * set.shrink, set.smallest);
                stopped_ = record_.stalled_after(objective);
                if (stopped_) enter_distance(p);
                return;
            }
        }
        lambda_ *= set.grow;
    }
    stopped_ = true;
    enter_distance(p);
}

// Once the squared error has stopped falling, the descent goes on with
// the mean distance itself (smoothed), which the training reports: the
// least squares spread the error over every example, the least distances
// fit most examples closer and leave it on a few. Not below a fit exact
// to rounding, where delta would be too small to keep the weights finite.
void Levenberg::enter_distance(const Problem& p) {
    const LevenbergSettings& set = p.settings.levenberg;
    if (delta_ > 0.0 || e_.fitness <= set.exact_fit) return;
    delta_ = set.smoothing * e_.fitness;
    stopped_ = false;
    fresh_ = false;
    lambda_ = set.first_lambda;
    record_.restart_stall(set.distance_window);
}

}  // namespace tvx
