// How a strategy's option legs are valued: each as the main window values
// the same option, by the closed form for a European leg and by the
// American route's rule for an American one. Every valuation of a leg
// (today's value and sensitivities, the curves, the scenario grid, the
// analysis at the horizon) goes through one valuer, made once for each
// computation, so that a computation values all its legs one way.
#pragma once

#include "options/sensitivities.h"
#include "options/valuation.h"
#include "strategy/position.h"

namespace tvx {

class LegValuer {
public:
    // One unit of the option on these terms (t its remaining life).
    double value(const OptionTerms& terms, LegStyle style) const;
    // Its value and five sensitivities, as the main window's Compute gives
    // them.
    Sensitivities sensitivities(const OptionTerms& terms, LegStyle style) const;
};

}  // namespace tvx
