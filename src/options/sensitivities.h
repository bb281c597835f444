// The value of an option and its five sensitivities by finite differences:
// six valuations, each with one input moved by a thousandth of itself.
#pragma once

#include <functional>
#include <optional>

#include "options/valuation.h"

namespace tvx {

struct Sensitivities {
    double value = 0;
    double delta = 0;  // per dollar of spot
    double gamma = 0;  // per dollar of spot, squared
    double theta = 0;  // per year of remaining life (positive when longer life is worth more)
    double vega = 0;   // per unit of volatility
    double rho = 0;    // per unit of rate
};

// Called after valuation k (1 to 6, in the order V0, S down, S up, t down,
// Sigma down, r down); returning false stops the procedure (cancelled).
using AfterValuation = std::function<bool(int k)>;

// No value means the caller's hook cancelled the procedure.
std::optional<Sensitivities> sensitivities(const Valuation& routine, const OptionTerms& in,
                                           const AfterValuation& after = {});

}  // namespace tvx
