// Chebyshev interpolation on the n + 1 extrema x_j = cos(j pi / n), j = 0
// to n, of [-1, 1]: the coefficients of the polynomial through given
// values, and its value anywhere by Clenshaw's recurrence, or from the
// values themselves by the barycentric formula, whose rounding error
// vanishes at the points (where the values are tiny, so is the error).
#pragma once

#include <cmath>
#include <numbers>
#include <span>

namespace tvx {

inline double chebyshev_node(int j, int n) { return std::cos(std::numbers::pi * j / n); }

// c[k], k = 0 to n, with p(x) = sum of c[k] T_k(x) through (x_j, values[j]);
// values and c both hold n + 1 numbers.
inline void chebyshev_coefficients(std::span<const double> values, std::span<double> c) {
    const int n = static_cast<int>(values.size()) - 1;
    for (int k = 0; k <= n; ++k) c[static_cast<std::size_t>(k)] = 0.0;
    for (int j = 0; j <= n; ++j) {
        // T_k(x_j) by the three-term recurrence, k = 0 to n.
        const double x = chebyshev_node(j, n);
        const double v = (j == 0 || j == n ? 0.5 : 1.0) * values[static_cast<std::size_t>(j)];
        double t0 = 1.0, t1 = x;
        c[0] += v;
        if (n > 0) c[1] += v * x;
        for (int k = 2; k <= n; ++k) {
            const double t2 = 2.0 * x * t1 - t0;
            c[static_cast<std::size_t>(k)] += v * t2;
            t0 = t1;
            t1 = t2;
        }
    }
    for (int k = 0; k <= n; ++k) c[static_cast<std::size_t>(k)] *= (k == 0 || k == n ? 1.0 : 2.0) / n;
}

inline double chebyshev_value(std::span<const double> c, double x) {
    double b1 = 0.0, b2 = 0.0;
    for (std::size_t k = c.size(); k-- > 1;) {
        const double b0 = c[k] + 2.0 * x * b1 - b2;
        b2 = b1;
        b1 = b0;
    }
    return c[0] + x * b1 - b2;
}

// The polynomial through (nodes[j], values[j]) at x, nodes[j] = x_j.
inline double barycentric_value(std::span<const double> nodes, std::span<const double> values, double x) {
    const int n = static_cast<int>(values.size()) - 1;
    double num = 0.0, den = 0.0;
    for (int k = 0; k <= n; ++k) {
        const double dx = x - nodes[static_cast<std::size_t>(k)];
        if (dx == 0.0) return values[static_cast<std::size_t>(k)];
        const double w = (k % 2 == 0 ? 1.0 : -1.0) * (k == 0 || k == n ? 0.5 : 1.0) / dx;
        num += w * values[static_cast<std::size_t>(k)];
        den += w;
    }
    return num / den;
}

}  // namespace tvx
