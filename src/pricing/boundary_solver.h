// The exercise boundary of a unit-strike American put, solved.
#pragma once

#include <vector>

#include "pricing/exercise_boundary.h"

namespace tvx::boundary {

// H = (ln b(0) - ln b(tau))^2 at the Chebyshev extrema of the coordinate of
// (tau / T)^(1/3) (boundary_geometry.h), expiry last; log_cap = ln b(0).
std::vector<double> solve_boundary(const UnitPutTerms& terms, const BoundarySettings& settings, double log_cap);

}  // namespace tvx::boundary
