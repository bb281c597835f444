// A smooth function on an interval as Chebyshev polynomials on panels: each
// panel's polynomial interpolates the function at its Chebyshev extrema,
// and a panel whose last coefficients do not fall below the tolerance is
// split in two until they do. A function with a sharp bend somewhere gets
// narrow panels there and wide ones elsewhere.
#pragma once

#include <functional>
#include <span>
#include <vector>

namespace tvx {

struct ChebyshevPlan {
    int degree = 20;           // of each panel's polynomial
    double relative = 1e-13;   // its last two coefficients against the panel's largest value
    double absolute = 1e-300;  // or against this, whichever is larger
    int max_panels = 160;      // no panel is split once there are this many
};

class PiecewiseChebyshev {
public:
    PiecewiseChebyshev() = default;
    // f on [a, b] (a < b), the panels split first at the given points
    // (those outside (a, b) are passed over) and then as the plan says.
    PiecewiseChebyshev(const std::function<double(double)>& f, double a, double b, std::vector<double> breaks,
                       const ChebyshevPlan& plan);

    // The interpolant at x, held within [a, b].
    double operator()(double x) const;
    // The panel that holds x (held within [a, b]).
    std::size_t panel(double x) const;
    // The sum of weights[j] times the interpolant at xs[j], every point on
    // panel k (at most kMaxBatch of them), the points evaluated side by
    // side.
    static constexpr std::size_t kMaxBatch = 16;
    double weighted_sum(std::size_t k, std::span<const double> xs, std::span<const double> weights) const;
    // The panels' edges, ascending, a first and b last.
    std::span<const double> edges() const { return edges_; }
    int evaluations() const { return evaluations_; }

private:
    struct Panel {
        double a, b;
        std::vector<double> c;
    };
    Panel fit(const std::function<double(double)>& f, double a, double b, int degree);

    std::vector<double> edges_;
    std::vector<double> coefficients_;  // degree + 1 for each panel, in the panels' order
    int stride_ = 0;
    int evaluations_ = 0;
};

}  // namespace tvx
