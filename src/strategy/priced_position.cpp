#include "strategy/priced_position.h"

#include <algorithm>

#include "core/fault.h"
#include "pricing/closed_form.h"

namespace tvx {

namespace {

std::int16_t optype_of(const Leg& leg) { return leg.instrument == Instrument::Call ? 0 : 1; }

// The five sensitivities and the value, each times `units`, added to `sum`.
void add_times(Sensitivities& sum, const Sensitivities& s, double units) {
    sum.value = chk(sum.value + units * s.value);
    sum.delta = chk(sum.delta + units * s.delta);
    sum.gamma = chk(sum.gamma + units * s.gamma);
    sum.theta = chk(sum.theta + units * s.theta);
    sum.vega = chk(sum.vega + units * s.vega);
    sum.rho = chk(sum.rho + units * s.rho);
}

}  // namespace

PricedPosition::PricedPosition(const Strategy& strategy, const LegValuer& valuer)
    : market_(strategy.market),
      rate_(strategy.market.rate / 100.0),
      yield_(strategy.market.dividend / 100.0),
      valuer_(valuer) {
    for (const Leg& leg : strategy.legs) {
        PricedLeg p;
        p.leg = leg;
        p.units = leg.signed_quantity();
        if (leg.option()) {
            p.unit = valuer_.sensitivities(terms(leg, market_.spot, leg.time), leg.style);
        } else {
            p.unit = Sensitivities{market_.spot, 1.0};
        }
        p.premium = leg.premium ? *leg.premium : p.unit.value;
        net_premium_ = chk(net_premium_ + p.units * p.premium);
        add_times(total_, p.unit, p.units);
        legs_.push_back(p);
    }
}

OptionTerms PricedPosition::terms(const Leg& leg, double S, double life, double vol_factor) const {
    OptionTerms o;
    o.t = life;
    o.sigma = chk(leg.volatility * vol_factor);
    o.r = rate_;
    o.strike = leg.strike;
    o.spot = S;
    o.yield = yield_;
    o.optype = optype_of(leg);
    return o;
}

double PricedPosition::unit_value(const Leg& leg, double S, double date, double vol_factor) const {
    if (!leg.option()) return S;
    if (leg.time <= date) return payoff(S, leg.strike, optype_of(leg));
    return valuer_.value(terms(leg, S, chk(leg.time - date), vol_factor), leg.style, leg.time);
}

double PricedPosition::pnl(double S, double date, double vol_factor) const {
    double sum = 0;
    for (const PricedLeg& p : legs_) sum = chk(sum + p.units * chk(unit_value(p.leg, S, date, vol_factor) - p.premium));
    return sum;
}

std::vector<double> PricedPosition::pnl_steps(double date) const {
    std::vector<double> steps;
    for (const PricedLeg& p : legs_) {
        if (!p.leg.option() || p.leg.time <= date) continue;
        const std::vector<double> at = valuer_.steps(terms(p.leg, 1.0, chk(p.leg.time - date)), p.leg.style);
        steps.insert(steps.end(), at.begin(), at.end());
    }
    std::sort(steps.begin(), steps.end());
    steps.erase(std::unique(steps.begin(), steps.end()), steps.end());
    return steps;
}

double PricedPosition::pnl_at_expiry(double S) const {
    double sum = 0;
    for (const PricedLeg& p : legs_) {
        const double v = p.leg.option() ? payoff(S, p.leg.strike, optype_of(p.leg)) : S;
        sum = chk(sum + p.units * chk(v - p.premium));
    }
    return sum;
}

}  // namespace tvx
