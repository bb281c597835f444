// The value and sensitivities of the closed-form and American routes of the
// Compute command, for terms with the volatility read: what the routes
// report, without the windows, for whoever values the same terms again.
#pragma once

#include "options/sensitivities.h"
#include "options/valuation.h"
#include "pricing/precision.h"

namespace tvx {

// The closed form: solver_euro and the differences of six of its values;
// exact, the closed form on the exact normal with its analytic
// sensitivities.
double european_value(const OptionTerms& terms, Precision precision = Precision::Standard);
Sensitivities european_sensitivities(const OptionTerms& terms, Precision precision = Precision::Standard);

// The American route: the closed form for a call without dividend yield
// (worth its European value), the solver otherwise, its Gamma read off the
// solver's value grid. Exact: the exercise-boundary method at its full
// setting, its sensitivities central differences of its values (the
// exact closed form for a call without dividend yield).
double american_value(const OptionTerms& terms, Precision precision = Precision::Standard);
Sensitivities american_sensitivities(const OptionTerms& terms, Precision precision = Precision::Standard);

}  // namespace tvx
