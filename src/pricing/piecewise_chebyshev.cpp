#include "pricing/piecewise_chebyshev.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <stdexcept>

#include "core/fault.h"
#include "pricing/chebyshev.h"

namespace tvx {

PiecewiseChebyshev::Panel PiecewiseChebyshev::fit(const std::function<double(double)>& f, double a, double b,
                                                  int degree) {
    std::vector<double> values(static_cast<std::size_t>(degree + 1));
    const double mid = 0.5 * (a + b), half = 0.5 * (b - a);
    for (int j = 0; j <= degree; ++j) {
        // The extrema from a to b, their ends exact.
        const double x = j == 0 ? a : j == degree ? b : mid - half * chebyshev_node(j, degree);
        values[static_cast<std::size_t>(j)] = chk(f(x));
    }
    evaluations_ += degree + 1;
    // chebyshev_coefficients takes the values at cos(j pi / n), from the
    // right end to the left.
    std::reverse(values.begin(), values.end());
    Panel p{a, b, std::vector<double>(values.size())};
    chebyshev_coefficients(values, p.c);
    return p;
}

PiecewiseChebyshev::PiecewiseChebyshev(const std::function<double(double)>& f, double a, double b,
                                       std::vector<double> breaks, const ChebyshevPlan& plan) {
    if (!(a < b) || plan.degree < 2) throw std::invalid_argument("an empty interval or too low a degree");
    std::vector<double> cuts{a};
    std::sort(breaks.begin(), breaks.end());
    for (double x : breaks)
        if (x > cuts.back() && x < b) cuts.push_back(x);
    cuts.push_back(b);

    std::vector<Panel> done;
    std::deque<Panel> todo;
    for (std::size_t k = 0; k + 1 < cuts.size(); ++k) todo.push_back(fit(f, cuts[k], cuts[k + 1], plan.degree));
    while (!todo.empty()) {
        Panel p = std::move(todo.front());
        todo.pop_front();
        const std::size_t n = p.c.size();
        double largest = 0.0;
        for (double c : p.c) largest = std::max(largest, std::fabs(c));
        const double tail = std::fabs(p.c[n - 1]) + std::fabs(p.c[n - 2]);
        const bool resolved = tail <= std::max(plan.relative * largest, plan.absolute);
        const std::size_t panels = done.size() + todo.size() + 1;
        const double mid = 0.5 * (p.a + p.b);
        if (resolved || panels >= static_cast<std::size_t>(plan.max_panels) || !(p.a < mid && mid < p.b)) {
            done.push_back(std::move(p));
            continue;
        }
        todo.push_back(fit(f, p.a, mid, plan.degree));
        todo.push_back(fit(f, mid, p.b, plan.degree));
    }
    std::sort(done.begin(), done.end(), [](const Panel& x, const Panel& y) { return x.a < y.a; });
    stride_ = plan.degree + 1;
    for (const Panel& p : done) {
        edges_.push_back(p.a);
        coefficients_.insert(coefficients_.end(), p.c.begin(), p.c.end());
    }
    edges_.push_back(b);
}

std::size_t PiecewiseChebyshev::panel(double x) const {
    // The panel whose right edge is the first above x (the last for b).
    const auto right = std::upper_bound(edges_.begin() + 1, edges_.end() - 1, x);
    return static_cast<std::size_t>(right - edges_.begin()) - 1;
}

double PiecewiseChebyshev::operator()(double x) const {
    x = std::clamp(x, edges_.front(), edges_.back());
    const std::size_t k = panel(x);
    const double lo = edges_[k], hi = edges_[k + 1];
    const double u = (2.0 * x - lo - hi) / (hi - lo);
    return chebyshev_value(
        std::span<const double>(coefficients_).subspan(k * static_cast<std::size_t>(stride_), stride_), u);
}

double PiecewiseChebyshev::weighted_sum(std::size_t k, std::span<const double> xs,
                                        std::span<const double> weights) const {
    const std::size_t n = xs.size();
    if (n > kMaxBatch) throw std::invalid_argument("too many points for one batch");
    const double lo = edges_[k], hi = edges_[k + 1];
    const double* c = coefficients_.data() + k * static_cast<std::size_t>(stride_);
    // Clenshaw's recurrence for every point at once.
    double u2[kMaxBatch], b1[kMaxBatch] = {}, b2[kMaxBatch] = {};
    for (std::size_t j = 0; j < n; ++j) u2[j] = 2.0 * (2.0 * std::clamp(xs[j], lo, hi) - lo - hi) / (hi - lo);
    for (int m = stride_ - 1; m >= 1; --m) {
        for (std::size_t j = 0; j < n; ++j) {
            const double b0 = c[m] + u2[j] * b1[j] - b2[j];
            b2[j] = b1[j];
            b1[j] = b0;
        }
    }
    double sum = 0.0;
    for (std::size_t j = 0; j < n; ++j) sum += weights[j] * (c[0] + 0.5 * u2[j] * b1[j] - b2[j]);
    return sum;
}

}  // namespace tvx
