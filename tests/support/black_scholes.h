// Exact Black-Scholes-Merton values and sensitivities with the error
// function of the standard library: an independent reference for the
// program's closed form, which uses a polynomial approximation of N.
#pragma once

#include <cmath>
#include <numbers>

namespace tvx::test {

inline double exact_N(double x) { return 0.5 * std::erfc(-x / std::numbers::sqrt2); }
inline double exact_n(double x) { return std::exp(-0.5 * x * x) / std::sqrt(2.0 * std::numbers::pi); }

struct ExactBs {
    double value, delta, gamma, theta, vega, rho;  // theta: d value / d (time to expiry)
};

inline ExactBs exact_bs(double t, double sigma, double r, double K, double S, double q, bool call) {
    const double st = sigma * std::sqrt(t);
    const double d1 = (std::log(S / K) + (r - q + 0.5 * sigma * sigma) * t) / st;
    const double d2 = d1 - st;
    const double eq = std::exp(-q * t), er = std::exp(-r * t);
    const double w = call ? 1.0 : -1.0;  // sign of the payoff
    ExactBs b{};
    b.value = w * (S * eq * exact_N(w * d1) - K * er * exact_N(w * d2));
    b.delta = w * eq * exact_N(w * d1);
    b.gamma = eq * exact_n(d1) / (S * st);
    b.vega = S * eq * exact_n(d1) * std::sqrt(t);
    b.rho = w * K * t * er * exact_N(w * d2);
    b.theta = S * eq * exact_n(d1) * sigma / (2.0 * std::sqrt(t)) + w * r * K * er * exact_N(w * d2) -
              w * q * S * eq * exact_N(w * d1);
    return b;
}

}  // namespace tvx::test
