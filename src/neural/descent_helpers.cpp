// What the descents share: the record of the best weights and the
// stopping rule, the bound on the weights and the damped step within it,
// and Cholesky's factorisation.
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

}  // namespace tvx
