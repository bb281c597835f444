// Limited-memory BFGS with a backtracking line search.
#include <cmath>
#include <numeric>

#include "neural/descent.h"

namespace tvx {

namespace {

double dot(std::span<const double> a, std::span<const double> b) {
    return std::inner_product(a.begin(), a.end(), b.begin(), 0.0);
}

}  // namespace

Lbfgs::Lbfgs(const std::vector<double>& start, const Problem& p)
    : w_(start),
      g_(start.size()),
      d_(start.size()),
      trial_(start.size()),
      trial_g_(start.size()),
      record_(start, p.settings.stop.fall, p.settings.stop.window) {
    e_ = error_gradient(w_, p.exemplar, p.shape, p.nexem, g_);
    record_.saw(w_, e_);
}

// d = -H g by the two-loop recursion over the stored pairs, H0 scaled by
// s'y / y'y of the last pair (the first step: the gradient's negative,
// scaled to a largest change of first_step).
void Lbfgs::direction(const LbfgsSettings& set) {
    const std::size_t n = w_.size(), m = s_.size();
    // A weight pinned at the bound takes no part.
    for (std::size_t i = 0; i < n; ++i) d_[i] = pinned(w_[i], g_[i]) ? 0.0 : -g_[i];
    std::vector<double> alpha(m);
    for (std::size_t k = m; k-- > 0;) {
        alpha[k] = rho_[k] * dot(s_[k], d_);
        for (std::size_t i = 0; i < n; ++i) d_[i] -= alpha[k] * y_[k][i];
    }
    double scale = 0.0;
    if (m > 0) {
        scale = dot(s_.back(), y_.back()) / dot(y_.back(), y_.back());
    } else {
        double largest = 0.0;
        for (const double x : g_) largest = std::max(largest, std::fabs(x));
        scale = largest > 0.0 ? set.first_step / largest : 0.0;
    }
    for (double& x : d_) x *= scale;
    for (std::size_t k = 0; k < m; ++k) {
        const double beta = rho_[k] * dot(y_[k], d_);
        for (std::size_t i = 0; i < n; ++i) d_[i] += (alpha[k] - beta) * s_[k][i];
    }
    for (std::size_t i = 0; i < n; ++i)
        if (pinned(w_[i], g_[i])) d_[i] = 0.0;
}

void Lbfgs::iterate(const Problem& p) {
    const LbfgsSettings& set = p.settings.lbfgs;
    const std::size_t n = w_.size();
    direction(set);
    if (!(dot(g_, d_) < 0.0)) {  // not downhill: forget the pairs
        s_.clear(), y_.clear(), rho_.clear();
        direction(set);
    }
    double t = 1.0;
    for (int h = 0; h <= set.halvings; ++h, t *= 0.5) {
        for (std::size_t i = 0; i < n; ++i) trial_[i] = w_[i] + t * d_[i];
        clamp_to_bound(trial_);
        std::vector<double> s(n);
        for (std::size_t i = 0; i < n; ++i) s[i] = trial_[i] - w_[i];
        const double slope = dot(g_, s);
        if (!(slope < 0.0)) continue;  // the bound took the step away
        const Errors e = error_gradient(trial_, p.exemplar, p.shape, p.nexem, trial_g_);
        record_.saw(trial_, e);
        if (!(e.squared <= e_.squared + set.armijo * slope)) continue;
        std::vector<double> y(n);
        for (std::size_t i = 0; i < n; ++i) y[i] = trial_g_[i] - g_[i];
        const double sy = dot(s, y);
        if (sy > set.curvature * std::sqrt(dot(s, s) * dot(y, y))) {  // curvature enough to keep the pair
            if (s_.size() == set.memory) s_.pop_front(), y_.pop_front(), rho_.pop_front();
            s_.push_back(std::move(s)), y_.push_back(std::move(y)), rho_.push_back(1.0 / sy);
        }
        w_.swap(trial_);
        g_.swap(trial_g_);
        e_ = e;
        stopped_ = record_.stalled_after(e.squared);
        return;
    }
    stopped_ = true;
}

}  // namespace tvx
