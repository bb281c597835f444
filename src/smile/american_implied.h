// The implied volatilities of American quotes, by inverting the
// exercise-boundary method at its full setting (the American rule's exact
// route) with the typed rate and yield.
//
// One expiry's calls (or puts) are inverted together. A solved boundary
// values every strike of its volatility and life, so the method is solved
// at a dozen volatilities spanning the quotes (Chebyshev points), each
// strike valued on every one of them. Between those volatilities the map
// from a price's European implied volatility to its American one is smooth
// and nearly the identity: interpolated through the nodes, it gives each
// price's volatility; where the interpolation cannot vouch for 1e-7 (deep
// in the money, or outside the nodes) the method itself is solved at the
// trial volatilities, inside the bracket the nodes give, until the price
// is matched.
#pragma once

#include <vector>

#include "smile/implied.h"

namespace tvx {

struct AmericanMarket {
    double time = 0;
    double spot = 0;
    double rate = 0;   // decimal fraction, continuous
    double yield = 0;  // decimal fraction, continuous
};

struct AmericanPrice {
    double strike = 0;
    double price = 0;
};

// The volatility of each price, in order, for calls or for puts. A call
// without a yield above 0, or a put without a rate above 0, is never
// exercised early: its volatility is the European one.
std::vector<PriceVol> american_vols(const AmericanMarket& market, bool call, const std::vector<AmericanPrice>& prices);

// The American value at one volatility by the same method.
double american_value(const AmericanMarket& market, bool call, double strike, double vol);

}  // namespace tvx
