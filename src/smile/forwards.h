// The forward and discount factor of one expiry from put-call parity:
// C - P = D (F - K) at every strike, so a straight line through the
// differences of the pairs nearest the money gives -D as its slope and
// D F as its value at K = 0.
#pragma once

#include <optional>
#include <vector>

#include "smile/implied.h"

namespace tvx {

// A strike quoted both ways, at the mids.
struct ParityPair {
    double strike = 0;
    double call = 0;
    double put = 0;
};

// At least this many pairs make a regression; at most this many, nearest
// the money (the smallest |C - P|), enter it.
inline constexpr int kParityLeast = 5;
inline constexpr int kParityMost = 10;

// The forward and discount, or none: too few pairs, or a line that gives
// no discount in (0, 2] or no positive forward.
std::optional<ExpiryMarket> parity_market(std::vector<ParityPair> pairs, double time);

// The expiry's market from the typed rate and yield: S e^((r - q) t) and
// e^(-r t).
ExpiryMarket rate_market(double spot, double rate, double yield, double time);

}  // namespace tvx
