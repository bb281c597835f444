// The value and sensitivities of the closed-form and American routes of the
// Compute command, for terms with the volatility read: what the routes
// report, without the windows, for whoever values the same terms again.
#pragma once

#include "options/sensitivities.h"
#include "options/valuation.h"

namespace tvx {

// The closed form solver_euro.
double european_value(const OptionTerms& terms);
Sensitivities european_sensitivities(const OptionTerms& terms);

// The American route: the closed form for a call without dividend yield
// (worth its European value), the solver otherwise, its Gamma read off the
// solver's value grid.
double american_value(const OptionTerms& terms);
Sensitivities american_sensitivities(const OptionTerms& terms);

}  // namespace tvx
