// The random terms the American studies draw: ordinary ones (lives 0.02 to
// 5 years, volatilities 0.05 to 1.2, rates and yields 0 to 15 %, strikes
// within 0.7 in log of the spot) and extreme ones (lives to 30 years,
// volatilities 0.03 to 2.5, rates to 20 %, yields -5 to 25 %, strikes within
// 1.5 in log), spots from about 5 to 2,000, calls and puts alike.
#pragma once

#include <cmath>
#include <random>

#include "options/valuation.h"

namespace tvx::study {

struct Ranges {
    const char* name;
    double t_lo, t_hi, sigma_lo, sigma_hi, r_lo, r_hi, q_lo, q_hi, moneyness;
};

inline constexpr Ranges ordinary{"ordinary", 0.02, 5.0, 0.05, 1.2, 0.0001, 0.15, 0.0, 0.15, 0.7};
inline constexpr Ranges extreme{"extreme", 0.02, 30.0, 0.03, 2.5, 0.0001, 0.20, -0.05, 0.25, 1.5};

inline OptionTerms draw(const Ranges& g, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const auto in = [&](double lo, double hi) { return lo + (hi - lo) * u(rng); };
    OptionTerms o;
    o.t = in(g.t_lo, g.t_hi);
    o.sigma = in(g.sigma_lo, g.sigma_hi);
    o.r = in(g.r_lo, g.r_hi);
    o.yield = in(g.q_lo, g.q_hi);
    o.spot = 100.0 * std::exp(in(-3.0, 3.0));
    o.strike = o.spot * std::exp(in(-g.moneyness, g.moneyness));
    o.optype = u(rng) < 0.5 ? 0 : 1;
    return o;
}

}  // namespace tvx::study
