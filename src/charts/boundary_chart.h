// The exercise boundary of the main window's option: the critical asset
// price against the time to expiry, by the exercise-boundary method (a put
// is exercised at or below it, a call at or above it), with the strike.
#pragma once

#include <optional>

#include "charts/chart_window.h"
#include "charts/ranges.h"
#include "options/valuation.h"

namespace tvx {

// The curve over times to expiry in r (one solve of the boundary, for the
// longer of the option's life and the range's end); the current terms are
// marked at the option's life. No plot for a call without a dividend yield,
// which is never exercised early.
std::optional<Plot> boundary_plot(const OptionTerms& terms, const Range& r);

// The range shown until the user types one: the option's life, from a
// two-hundredth of it.
Range default_boundary_range(double t);

}  // namespace tvx
