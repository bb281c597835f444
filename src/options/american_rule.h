// The American route's rule, for one set of terms (the volatility read):
// the finite-difference solver (the grid) held against the exercise-boundary
// method by the referee, and the method's values instead wherever the grid
// cannot value the terms. The windows' and the command line's Compute, the
// implied-volatility search, the charts and the batch all value American
// options through it.
#pragma once

#include <string>

#include "options/american_referee.h"
#include "options/sensitivities.h"
#include "options/valuation.h"

namespace tvx {

// Which method values: the window's rule, or one forced (the command line's
// --method).
enum class AmericanMethod { Rule, Grid, Boundary };

// Which one did.
enum class AmericanValuer { ClosedForm, Grid, Boundary };

// "closed form", "grid", "boundary": the names the command line gives.
const char* valuer_name(AmericanValuer valuer);

// The added line under the six of the output window when the method valued
// the terms: because the grid cannot, or because it was chosen.
inline constexpr const char* kBoundaryValuedLine =
    "Valued by the exercise-boundary method: the solver's grid cannot value these terms";
inline constexpr const char* kBoundaryChosenLine = "Valued by the exercise-boundary method, as chosen";

struct AmericanValue {
    double value = 0;
    AmericanValuer valuer = AmericanValuer::Grid;
};

struct AmericanSensitivities {
    Sensitivities s;
    AmericanValuer valuer = AmericanValuer::Grid;
};

// The rule with its cache of solved boundaries: one per computation (a
// Compute, a chart, a batch row), so that the terms it meets again (a
// chart's spots, a Compute's bumped spot) share their boundaries.
class AmericanRule {
public:
    explicit AmericanRule(AmericanMethod method = AmericanMethod::Rule) : method_(method) {}

    // A call without a dividend yield takes the closed form (it is worth its
    // European value), unless the method is forced.
    AmericanValue value(const OptionTerms& terms);
    // One method for all six valuations, so that the sensitivities are
    // differences of one function: the grid's (its Gamma read off its value
    // grid) when every one of its six values stands, the method's otherwise.
    AmericanSensitivities sensitivities(const OptionTerms& terms);

    // The grid's value held against the method (the implied-volatility
    // search's valuations, and the American counterpart on a European chart).
    // Never the closed form.
    AmericanValue solver_value(const OptionTerms& terms);

    // The method's value at its full setting.
    double boundary_value(const OptionTerms& terms) { return cache_.value(terms, kBoundaryFull); }

    AmericanMethod method() const { return method_; }

private:
    AmericanMethod method_;
    BoundaryCache cache_;
};

}  // namespace tvx
