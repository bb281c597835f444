// An accurate American value under the escrowed model of cash dividends,
// independent of the program's solver: the spot less the present value of
// the dividends still to come follows the lognormal law, so a recombining
// binomial tree carries it, and exercise at a node pays the node's price
// plus the present value of the dividends after the node's time. The tree
// is the binomial Black-Scholes tree with Richardson extrapolation of
// Broadie and Detemple (the exact European value over the last step,
// 2 V(N) - V(N/2)); an ex-date between two levels of the tree is exercised
// against at the level before it, so N must be large (20,000 steps bring
// the values within a few millionths).
#pragma once

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "support/black_scholes.h"

namespace tvx::test {

inline double escrowed_tree_level(double t, double sigma, double r, double K, double S, double q, bool call,
                                  const std::vector<std::pair<double, double>>& dividends, int N) {
    const auto pv_after = [&](double time) {
        double pv = 0.0;
        for (const auto& [when, amount] : dividends)
            if (when > time) pv += amount * std::exp(-r * (when - time));
        return pv;
    };
    const double reduced = S - pv_after(0.0);
    const double dt = t / N, u = std::exp(sigma * std::sqrt(dt)), u2 = u * u;
    const double p = (std::exp((r - q) * dt) - 1.0 / u) / (u - 1.0 / u), disc = std::exp(-r * dt);
    const double w = call ? 1.0 : -1.0;
    std::vector<double> v(static_cast<std::size_t>(N));
    const double last = t - dt, pv_last = pv_after(last);
    double s = reduced * std::pow(u, -(N - 1));
    for (int j = 0; j < N; ++j, s *= u2)
        v[j] = std::max(w * (s + pv_last - K), exact_bs(dt, sigma, r, K, s, q, call).value);
    for (int level = N - 2; level >= 0; --level) {
        const double pv = pv_after(level * dt);
        s = reduced * std::pow(u, -level);
        for (int j = 0; j <= level; ++j, s *= u2)
            v[j] = std::max(w * (s + pv - K), disc * (p * v[j + 1] + (1.0 - p) * v[j]));
    }
    return v[0];
}

inline double escrowed_tree_reference(double t, double sigma, double r, double K, double S, double q, bool call,
                                      const std::vector<std::pair<double, double>>& dividends, int N = 20000) {
    return 2.0 * escrowed_tree_level(t, sigma, r, K, S, q, call, dividends, N) -
           escrowed_tree_level(t, sigma, r, K, S, q, call, dividends, N / 2);
}

}  // namespace tvx::test
