#include "pricing/gauss_legendre.h"

#include <array>
#include <cmath>
#include <memory>
#include <mutex>
#include <numbers>
#include <stdexcept>

namespace tvx {

namespace {

// The nodes are the roots of the Legendre polynomial P_n, found by Newton's
// method from the asymptotic guesses cos(pi (i - 1/4) / (n + 1/2)); the
// weights are 2 / ((1 - x^2) P_n'(x)^2).
GaussLegendre make_rule(int n) {
    GaussLegendre g;
    g.x.resize(static_cast<std::size_t>(n));
    g.w.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < (n + 1) / 2; ++i) {
        double x = std::cos(std::numbers::pi * (i + 0.75) / (n + 0.5));
        double derivative = 1.0;
        for (int iteration = 0; iteration < 100; ++iteration) {
            double p0 = 1.0, p1 = x;  // P_0, P_1, then up to P_n by the three-term recurrence
            for (int k = 2; k <= n; ++k) {
                const double p2 = ((2.0 * k - 1.0) * x * p1 - (k - 1.0) * p0) / k;
                p0 = p1;
                p1 = p2;
            }
            derivative = n * (x * p1 - p0) / (x * x - 1.0);
            const double step = p1 / derivative;
            x -= step;
            if (std::fabs(step) < 1e-16) break;
        }
        const double weight = 2.0 / ((1.0 - x * x) * derivative * derivative);
        g.x[static_cast<std::size_t>(n - 1 - i)] = x;
        g.x[static_cast<std::size_t>(i)] = -x;
        g.w[static_cast<std::size_t>(i)] = weight;
        g.w[static_cast<std::size_t>(n - 1 - i)] = weight;
    }
    if (n % 2 == 1) g.x[static_cast<std::size_t>(n / 2)] = 0.0;
    return g;
}

}  // namespace

const GaussLegendre& gauss_legendre(int n) {
    if (n < 1 || n > kMaxGaussNodes) throw std::invalid_argument("Gauss-Legendre node count out of range");
    static std::array<std::once_flag, kMaxGaussNodes + 1> made;
    static std::array<std::unique_ptr<GaussLegendre>, kMaxGaussNodes + 1> rules;
    const auto i = static_cast<std::size_t>(n);
    std::call_once(made[i], [&] { rules[i] = std::make_unique<GaussLegendre>(make_rule(n)); });
    return *rules[i];
}

}  // namespace tvx
