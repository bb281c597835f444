// American legs: today's figures are the main window's rule, the curves
// and the analysis at the horizon come from the solved exercise boundary.
// Expected values from an independent Crank-Nicolson valuation (the test
// support's, levels 1 and 2 with Richardson extrapolation, within about 1e-6 here) and
// from the limits of an American option.
#include <gtest/gtest.h>

#include <cmath>

#include "options/american_referee.h"
#include "options/style_values.h"
#include "pricing/closed_form.h"
#include "strategy/analysis.h"
#include "support/american_fd_reference.h"

namespace tvx::test {
namespace {

constexpr Market kMarket{100.0, 6.0, 1.0};  // spot, rate and yield in per cent

Leg american(Side side, Instrument instrument, double strike, double time = 1.0, double vol = 0.3) {
    Leg leg;
    leg.side = side;
    leg.instrument = instrument;
    leg.style = LegStyle::American;
    leg.strike = strike;
    leg.time = time;
    leg.volatility = vol;
    return leg;
}

double reference(const Leg& l, double S, double life) {
    return american_fd_reference(life, l.volatility, 0.06, l.strike, S, 0.01, l.instrument == Instrument::Call, 1);
}

TEST(StrategyAmerican, CurvesFollowTheAmericanValueAtEverySpotAndLife) {
    const Leg put = american(Side::Long, Instrument::Put, 105);
    const Leg call = american(Side::Long, Instrument::Call, 95, 0.75, 0.25);
    for (const Leg& leg : {put, call}) {
        const StrategyReport r = strategy_report(Strategy{kMarket, 0.5, std::nullopt, {leg}}, LegValuer{});
        const double premium = r.figures.legs.at(0).premium;
        // Today's value (the premium, none given) is the rule's: within half
        // a cent or a thousandth of the right value.
        const OptionTerms o{leg.time,
                            leg.volatility,
                            0.06,
                            leg.strike,
                            100,
                            0.01,
                            std::int16_t(leg.instrument == Instrument::Call ? 0 : 1)};
        EXPECT_NEAR(premium, reference(leg, 100, leg.time), shown_tolerance(premium));
        EXPECT_EQ(r.figures.total.value, premium);
        ASSERT_EQ(r.curves.left_out, 0);
        for (const std::size_t k : {std::size_t{0}, std::size_t{70}, std::size_t{150}}) {
            const double S = r.curves.spots[k];
            // Today: the whole life; at the horizon, half a year left (the
            // same boundary valued with a shorter life).
            EXPECT_NEAR(*r.curves.today[k] + premium, reference(leg, S, leg.time), 1e-5) << S;
            EXPECT_NEAR(*r.curves.at_horizon[k] + premium, reference(leg, S, leg.time - 0.5), 1e-5) << S;
            // An American option is worth at least its exercise value.
            EXPECT_GE(*r.curves.today[k] + premium, payoff(S, leg.strike, o.optype) - 1e-12) << S;
        }
        // The curve today passes through no profit and no loss at the spot,
        // within the shown tolerance of the rule's premium.
        const LegValuer valuer;
        const PricedPosition position(r.strategy, valuer);
        EXPECT_NEAR(position.pnl(100, 0.0), 0.0, shown_tolerance(premium));
    }
}

TEST(StrategyAmerican, HorizonBreakevenIsWhereThePutIsWorthItsPremiumAgain) {
    // A long American put held a quarter of its year: the breakeven is the
    // spot at which the put with three quarters left is worth its premium.
    const Leg put = american(Side::Long, Instrument::Put, 100);
    const StrategyFigures f = strategy_figures(Strategy{kMarket, 0.25, std::nullopt, {put}}, LegValuer{});
    ASSERT_EQ(f.at_horizon.breakevens.size(), 1u);
    const double be = f.at_horizon.breakevens[0];
    const double premium = f.legs.at(0).premium;
    EXPECT_NEAR(reference(put, be, 0.75), premium, 2e-5);
    // Profit below the breakeven, the spot falling to 0 pays the strike:
    // the American put is exercised there.
    EXPECT_NEAR(*f.at_horizon.max_profit, 100 - premium, 1e-9);
    EXPECT_NEAR(*f.at_horizon.max_loss, premium, 1e-9);
}

TEST(StrategyAmerican, SensitivitiesAreTheMainWindowsCompute) {
    // A short American put: minus the rule's six, as Compute gives them for
    // the same terms.
    Leg put = american(Side::Short, Instrument::Put, 100, 0.5, 0.2);
    put.quantity = 3;
    const StrategyFigures f = strategy_figures(Strategy{kMarket, std::nullopt, std::nullopt, {put}}, LegValuer{});
    const OptionTerms o{0.5, 0.2, 0.06, 100, 100, 0.01, 1};
    const Sensitivities s = american_sensitivities(o);
    EXPECT_EQ(f.total.value, -3 * s.value);
    EXPECT_EQ(f.total.delta, -3 * s.delta);
    EXPECT_EQ(f.total.gamma, -3 * s.gamma);
    EXPECT_EQ(f.total.theta, -3 * s.theta);
    EXPECT_EQ(f.total.vega, -3 * s.vega);
    EXPECT_EQ(f.total.rho, -3 * s.rho);
}

}  // namespace
}  // namespace tvx::test
