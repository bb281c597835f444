// How a strategy's option legs are valued: each as the main window values
// the same option, by the closed form for a European leg and by the
// American route's rule for an American one. Every valuation of a leg
// (today's value and sensitivities, the curves, the scenario grid, the
// analysis at the horizon) goes through one valuer, made once for each
// computation, so that a computation values all its legs one way.
//
// An American leg's value and sensitivities today are the rule's (the
// solver's grid held against the exercise-boundary method). Along a curve
// (many spots, a shorter life, the volatility scaled) it is valued from the
// exercise boundary solved once for the leg's whole life, its volatility
// and the market's rate and yield: one solve serves every spot, every
// strike and every shorter life, and the curve is smooth where the grid's
// values are not (its roots and turning points are solved for). The two
// agree within the referee's tolerance, about half a cent on ordinary terms.
//
// With cash dividends on the share, a leg with dividends ahead of it is
// valued as Compute values a schedule (pricing/dividend_sensitivities.h):
// at a date before its expiry with the dividends still to come, their
// times from that date; a European leg with none ahead by the exact closed
// form, so that every European value of the position is exact.
//
// A valuer keeps the boundaries it has solved; it is not shared between
// threads.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "options/american_rule.h"
#include "options/sensitivities.h"
#include "options/valuation.h"
#include "pricing/cash_dividends.h"
#include "pricing/precision.h"
#include "strategy/position.h"

namespace tvx {

class LegValuer {
public:
    // `precision`: Advanced > Exact Values, as the main window reads it.
    explicit LegValuer(Precision precision = Precision::Standard, std::vector<CashDividend> dividends = {},
                       DividendModel model = DividendModel::Spot);
    ~LegValuer();
    Precision precision() const { return precision_; }
    LegValuer(const LegValuer&) = delete;
    LegValuer& operator=(const LegValuer&) = delete;

    // One unit of the option on these terms, t its remaining life, `life`
    // its whole life (t <= life): for an American leg, from the boundary
    // solved for `life`.
    double value(const OptionTerms& terms, LegStyle style, double life) const;
    // The spots at which value() steps (solver_euro's, for the program's
    // own figures; none where it is smooth).
    std::vector<double> steps(const OptionTerms& terms, LegStyle style) const;
    // Its value and five sensitivities today, as the main window's Compute
    // gives them.
    Sensitivities sensitivities(const OptionTerms& terms, LegStyle style) const;

private:
    struct Solved;
    const ExerciseBoundary& boundary(const OptionTerms& terms, double life) const;

    // The dividends a leg sees `elapsed` years from today with `life` left:
    // those after then and within the life, their times from then.
    std::vector<CashDividend> ahead(double elapsed, double life) const;

    Precision precision_;
    std::vector<CashDividend> dividends_;
    DividendModel model_;
    mutable AmericanRule rule_;
    mutable std::vector<std::unique_ptr<Solved>> solved_;
};

}  // namespace tvx
