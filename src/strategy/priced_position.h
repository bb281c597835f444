// A position with every leg valued today: the premiums settled (a leg
// without one takes its model value today), today's value and
// sensitivities of each leg, and the profit and loss of the whole
// position at any spot and date.
//
// Profit and loss is what the legs are worth less what they cost: for each
// leg, its signed quantity times (its value - its premium), long legs
// positive. Premiums are neither financed nor discounted, and a share
// leg's dividends are not counted: the profit of a long call at expiry is
// max(S - K, 0) - premium.
#pragma once

#include <vector>

#include "options/sensitivities.h"
#include "options/valuation.h"
#include "strategy/leg_valuer.h"
#include "strategy/position.h"

namespace tvx {

struct PricedLeg {
    Leg leg;
    double units = 0;    // the signed quantity
    double premium = 0;  // one unit's, as given or as valued
    // One unit today: its value and sensitivities (a share: the spot, and
    // Delta 1).
    Sensitivities unit;
};

class PricedPosition {
public:
    // Values every leg today; a fault of the valuation is raised.
    PricedPosition(const Strategy& strategy, const LegValuer& valuer);

    const std::vector<PricedLeg>& legs() const { return legs_; }
    const Market& market() const { return market_; }
    const LegValuer& valuer() const { return valuer_; }

    // What the premiums came to: positive for a debit (paid), negative for
    // a credit (received).
    double net_premium() const { return net_premium_; }
    // Today's value of the position and its sensitivities, the legs'
    // summed by their signed quantities.
    const Sensitivities& total() const { return total_; }

    // The valuation terms of an option leg at spot S with `life` years
    // left and its volatility times `vol_factor`.
    OptionTerms terms(const Leg& leg, double S, double life, double vol_factor = 1.0) const;
    // One unit of the leg at spot S on `date` (years from today), every
    // volatility times `vol_factor`; an option whose expiry is not after
    // the date pays its exercise value.
    double unit_value(const Leg& leg, double S, double date, double vol_factor = 1.0) const;
    // Profit and loss on `date` at spot S.
    double pnl(double S, double date, double vol_factor = 1.0) const;
    // The spots at which pnl(S, date) steps as S moves (from each step up
    // the higher side), ascending: where a leg's valuation does.
    std::vector<double> pnl_steps(double date) const;
    // Profit and loss with every option at its own expiry, paying its
    // exercise value at spot S.
    double pnl_at_expiry(double S) const;

private:
    Market market_;
    double rate_, yield_;  // as fractions, as the main window reads them
    const LegValuer& valuer_;
    std::vector<PricedLeg> legs_;
    double net_premium_ = 0;
    Sensitivities total_;
};

}  // namespace tvx
