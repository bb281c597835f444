// The bounds that every American option obeys, checked after each valuation
// of the finite-difference solver. The solver's grid is laid around the spot
// and spans about three standard deviations of the log price either side;
// when the drift over the life moves the distribution off that grid, the
// edges' continuation decides the value, and the value can land anywhere.
// Such a value breaks one of these bounds more often than not, and is then
// refused as a run-time error instead of being shown.
#pragma once

#include "options/valuation.h"

namespace tvx {

// The allowance of the comparisons, in dollars: the solver's discretisation
// error on sound terms, the closed form's error (its cumulative normal is
// an approximation) and the roundings of the price grid.
double american_allowance(const OptionTerms& o);

// v when it can be the American value on terms o, within the allowance:
//   put:  max(K - S, 0) <= v <= K max(1, e^(-r t)),
//   call: max(S - K, 0) <= v <= S max(1, e^(-q t)),
// and v not below the closed-form European value of the same terms.
// Otherwise throws RuntimeError.
double checked_american_value(double v, const OptionTerms& o);

}  // namespace tvx
