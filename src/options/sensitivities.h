// The value of an option and its five sensitivities by finite differences:
// six valuations, each with one input moved by a thousandth of itself.
#pragma once

#include <array>
#include <functional>
#include <optional>

#include "options/valuation.h"
#include "pricing/option_figures.h"

namespace tvx {

// Called after valuation k (1 to 6, in the order V0, S down, S up, t down,
// Sigma down, r down); returning false stops the procedure (cancelled).
using AfterValuation = std::function<bool(int k)>;

// The terms of the six valuations, in that order: each moves one input by
// a thousandth of itself.
std::array<OptionTerms, 6> bumped_terms(const OptionTerms& in);

// No value means the caller's hook cancelled the procedure.
std::optional<Sensitivities> sensitivities(const Valuation& routine, const OptionTerms& in,
                                           const AfterValuation& after = {});

// The same five by central differences, each input moved a thousandth of
// itself either way (nine valuations): second-order accurate in the step,
// for exact figures of a routine without a closed form.
Sensitivities central_sensitivities(const Valuation& routine, const OptionTerms& in);

}  // namespace tvx
