// The American solver's tests' terms and the closed forms they are
// compared with: Black-Scholes-Merton with a continuous yield (std::erfc),
// and its Gamma, the same for calls and puts.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <ostream>

#include "pricing/american.h"

namespace tvx::american_test {

inline constexpr std::int16_t call = 0;
inline constexpr std::int16_t put = 1;

struct Terms {
    double t, Sigma, r, x, S, delta;
};

inline std::ostream& operator<<(std::ostream& os, const Terms& a) {
    return os << "t=" << a.t << " Sigma=" << a.Sigma << " r=" << a.r << " x=" << a.x << " S=" << a.S
              << " delta=" << a.delta;
}

inline double usa(const Terms& a, std::int16_t type) { return solver_usa(a.t, a.Sigma, a.r, a.x, a.S, a.delta, type); }

inline AmericanCentre centre(const Terms& a, std::int16_t type) {
    return solver_usa_centre(a.t, a.Sigma, a.r, a.x, a.S, a.delta, type);
}

inline double cdf(double z) { return 0.5 * std::erfc(-z / std::numbers::sqrt2); }
inline double pdf(double z) { return std::exp(-0.5 * z * z) / std::sqrt(2.0 * std::numbers::pi); }
inline double d1_of(const Terms& a) {
    return (std::log(a.S / a.x) + (a.r - a.delta + 0.5 * a.Sigma * a.Sigma) * a.t) / (a.Sigma * std::sqrt(a.t));
}

inline double european(const Terms& a, std::int16_t type) {
    const double d1 = d1_of(a);
    const double d2 = d1 - a.Sigma * std::sqrt(a.t);
    const double carry = a.S * std::exp(-a.delta * a.t);
    const double pv_strike = a.x * std::exp(-a.r * a.t);
    return type == call ? carry * cdf(d1) - pv_strike * cdf(d2) : pv_strike * cdf(-d2) - carry * cdf(-d1);
}

// The same for calls and puts.
inline double european_gamma(const Terms& a) {
    return std::exp(-a.delta * a.t) * pdf(d1_of(a)) / (a.S * a.Sigma * std::sqrt(a.t));
}

inline constexpr Terms atm_year{1.0, 0.2, 0.05, 100.0, 100.0, 0.0};
inline constexpr Terms window_defaults{0.5, 0.2, 0.045, 64.0, 60.0, 0.021};

}  // namespace tvx::american_test
