// The terms of one option as the Compute command passes them to a valuation
// routine, and the routine contract every pricing path follows.
#pragma once

#include <cstdint>
#include <functional>

namespace tvx {

struct OptionTerms {
    double t = 0;      // time to expiry, years
    double sigma = 0;  // volatility
    double r = 0;      // risk-free rate
    double strike = 0;
    double spot = 0;
    double yield = 0;         // continuous dividend yield
    std::int16_t optype = 0;  // 0 call, other put
};

// A valuation routine: the option value for the given terms.
using Valuation = std::function<double(const OptionTerms&)>;

// Adapts a routine of the form f(t, Sigma, r, strike, S, delta, optype).
using RoutineFn = double (*)(double, double, double, double, double, double, std::int16_t);

inline Valuation valuation_of(RoutineFn f) {
    return [f](const OptionTerms& o) { return f(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype); };
}

}  // namespace tvx
