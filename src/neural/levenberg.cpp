// A descent's record and stopping rule, and Levenberg-Marquardt.
#include <algorithm>
#include <cmath>

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

bool cholesky_solve(std::span<double> m, std::span<double> b, std::size_t n) {
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
    return true;
}

namespace {

constexpr double kShrink = 0.1, kGrow = 10.0, kSmallest = 1e-12, kLargest = 1e10;
// Added to each diagonal entry before the damping scales it, so that a
// weight the residuals do not depend on (an unused hidden node) still
// gets a finite step.
constexpr double kDiagonalFloor = 1e-9;

}  // namespace

Levenberg::Levenberg(const std::vector<double>& start, const Problem& p)
    : w_(start),
      trial_(start.size()),
      jtj_(start.size() * start.size()),
      jtr_(start.size()),
      m_(jtj_.size()),
      step_(start.size()),
      record_(start, p.stall_fall, p.stall_window) {
    (void)p;
}

void Levenberg::iterate(const Problem& p) {
    const std::size_t n = w_.size();
    if (!fresh_) {
        e_ = normal_equations(w_, p, jtj_, jtr_);
        record_.saw(w_, e_);
        fresh_ = true;
    }
    while (lambda_ <= kLargest) {
        m_ = jtj_;
        for (std::size_t i = 0; i < n; ++i) m_[i * n + i] += lambda_ * (jtj_[i * n + i] + kDiagonalFloor);
        for (std::size_t i = 0; i < n; ++i) step_[i] = -jtr_[i];
        // A weight at the bound that the slope pushes outward stays there:
        // its row and column leave the system.
        for (std::size_t i = 0; i < n; ++i)
            if (pinned(w_[i], jtr_[i])) {
                for (std::size_t j = 0; j < n; ++j) m_[i * n + j] = m_[j * n + i] = 0.0;
                m_[i * n + i] = 1.0;
                step_[i] = 0.0;
            }
        if (cholesky_solve(m_, step_, n)) {
            for (std::size_t i = 0; i < n; ++i) trial_[i] = w_[i] + step_[i];
            clamp_to_bound(trial_);
            const Errors e = errors_of(trial_, p);
            record_.saw(trial_, e);
            if (e.squared < e_.squared) {
                w_.swap(trial_);
                e_ = e;
                fresh_ = false;
                lambda_ = std::max(lambda_ * kShrink, kSmallest);
                stopped_ = record_.stalled_after(e.squared);
                return;
            }
        }
        lambda_ *= kGrow;
    }
    stopped_ = true;
}

}  // namespace tvx
