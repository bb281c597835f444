// The analysis of a position against figures worked out by hand: parity,
// the classic strategies' breakevens and extremes from their payoffs, and
// the probability of profit from the lognormal distribution in closed form
// (the test's own normal distribution, std::erfc).
#include <gtest/gtest.h>

#include <cmath>

#include "options/style_values.h"
#include "pricing/closed_form.h"
#include "strategy/analysis.h"
#include "support/black_scholes.h"

namespace tvx::test {
namespace {

constexpr Market kMarket{100.0, 5.0, 2.0};  // spot, rate and yield in per cent

Leg option(Side side, Instrument instrument, double strike, double time = 0.5, double vol = 0.2, int quantity = 1) {
    Leg leg;
    leg.side = side;
    leg.instrument = instrument;
    leg.strike = strike;
    leg.time = time;
    leg.volatility = vol;
    leg.quantity = quantity;
    return leg;
}

Leg share(Side side, std::optional<double> price = std::nullopt) {
    Leg leg;
    leg.side = side;
    leg.instrument = Instrument::Share;
    leg.premium = price;
    return leg;
}

StrategyFigures figures(std::vector<Leg> legs, Market m = kMarket) {
    return strategy_figures(Strategy{m, std::nullopt, std::nullopt, std::move(legs)}, LegValuer{});
}

double euro(const Leg& l, double S = kMarket.spot, double t = -1) {
    return solver_euro(t < 0 ? l.time : t, l.volatility, kMarket.rate / 100, l.strike, S, kMarket.dividend / 100,
                       l.instrument == Instrument::Call ? 0 : 1);
}

// The probability that the spot at the horizon ends below x, for the
// distribution of the analysis: ln S_h ~ N(ln S + (r - q - v^2/2) h, v^2 h).
double below(double x, double v, double h, Market m = kMarket) {
    const double mean = std::log(m.spot) + (m.rate / 100 - m.dividend / 100 - 0.5 * v * v) * h;
    return exact_N((std::log(x) - mean) / (v * std::sqrt(h)));
}

TEST(StrategyParity, LongCallShortPutIsALongForward) {
    const Leg call = option(Side::Long, Instrument::Call, 95);
    const Leg put = option(Side::Short, Instrument::Put, 95);
    const StrategyFigures f = figures({call, put});
    const double T = 0.5, r = 0.05, q = 0.02, S = 100, K = 95;
    // Value: S e^(-qT) - K e^(-rT); the program's N keeps N(x) + N(-x) = 1.
    EXPECT_NEAR(f.total.value, S * std::exp(-q * T) - K * std::exp(-r * T), 1e-12);
    // Each leg starts at no profit: the premiums are the two values.
    EXPECT_NEAR(f.net_premium, f.total.value, 1e-12);
    // A line in S: Delta e^(-qT), no Gamma, no Vega (the two legs' one-sided
    // differences in the volatility cancel to rounding). Theta and Rho are
    // the window's one-sided differences (steps of a thousandth of t and
    // r) of F(t, r) = S e^(-q t) - K e^(-r t), written out here.
    const auto F = [&](double t, double rate) { return S * std::exp(-q * t) - K * std::exp(-rate * t); };
    EXPECT_NEAR(f.total.delta, std::exp(-q * T), 1e-8);
    EXPECT_NEAR(f.total.gamma, 0.0, 1e-6);
    EXPECT_NEAR(f.total.vega, 0.0, 1e-8);
    EXPECT_NEAR(f.total.theta, (F(T, r) - F(T - T / 1000, r)) / (T / 1000), 1e-7);
    EXPECT_NEAR(f.total.rho, (F(T, r) - F(T, r - r / 1000)) / (r / 1000), 1e-6);
    // At expiry: S - K less the net premium, one breakeven, no bounds.
    ASSERT_EQ(f.at_horizon.breakevens.size(), 1u);
    EXPECT_NEAR(f.at_horizon.breakevens[0], K + f.net_premium, 1e-12);
    EXPECT_FALSE(f.at_horizon.max_profit);
    EXPECT_NEAR(*f.at_horizon.max_loss, K + f.net_premium, 1e-12);  // the spot falling to 0
}

TEST(StrategyParity, TheCurvesAreStraightLines) {
    const Strategy s{kMarket,
                     0.25,
                     std::nullopt,
                     {option(Side::Long, Instrument::Call, 95), option(Side::Short, Instrument::Put, 95)}};
    const StrategyReport r = strategy_report(s, LegValuer{});
    const auto& c = r.curves;
    ASSERT_EQ(c.spots.size(), std::size_t(kStrategyCurvePoints));
    ASSERT_EQ(c.at_horizon.size(), c.spots.size());  // alive at 0.25 of 0.5 years
    for (const auto* curve : {&c.at_expiry, &c.today, &c.at_horizon}) {
        for (std::size_t i = 1; i + 1 < c.spots.size(); ++i) {
            const double bend = (*(*curve)[i + 1] - *(*curve)[i]) / (c.spots[i + 1] - c.spots[i]) -
                                (*(*curve)[i] - *(*curve)[i - 1]) / (c.spots[i] - c.spots[i - 1]);
            EXPECT_NEAR(bend, 0.0, 1e-9) << "at " << c.spots[i];
        }
    }
    // Today at today's spot the position has made nothing.
    EXPECT_NEAR(r.figures.total.value - r.figures.net_premium, 0.0, 1e-12);
}

TEST(StrategySums, SensitivitiesAddUpLegByLegAndAShareIsDeltaOne) {
    const Leg a = option(Side::Long, Instrument::Call, 90, 0.5, 0.25, 3);
    const Leg b = option(Side::Short, Instrument::Put, 105, 1.0, 0.3, 2);
    Leg c = option(Side::Long, Instrument::Put, 100, 0.75, 0.2);
    c.style = LegStyle::American;
    const StrategyFigures f = figures({a, b, c, share(Side::Short)});
    const auto terms = [](const Leg& l) {
        return OptionTerms{l.time,
                           l.volatility,
                           0.05,
                           l.strike,
                           100,
                           0.02,
                           static_cast<std::int16_t>(l.instrument == Instrument::Call ? 0 : 1)};
    };
    const Sensitivities sa = european_sensitivities(terms(a));
    const Sensitivities sb = european_sensitivities(terms(b));
    const Sensitivities sc = american_sensitivities(terms(c));
    EXPECT_DOUBLE_EQ(f.total.value, 3 * sa.value - 2 * sb.value + sc.value - 100);
    EXPECT_DOUBLE_EQ(f.total.delta, 3 * sa.delta - 2 * sb.delta + sc.delta - 1);
    EXPECT_DOUBLE_EQ(f.total.gamma, 3 * sa.gamma - 2 * sb.gamma + sc.gamma);
    EXPECT_DOUBLE_EQ(f.total.theta, 3 * sa.theta - 2 * sb.theta + sc.theta);
    EXPECT_DOUBLE_EQ(f.total.vega, 3 * sa.vega - 2 * sb.vega + sc.vega);
    EXPECT_DOUBLE_EQ(f.total.rho, 3 * sa.rho - 2 * sb.rho + sc.rho);

    const StrategyFigures shares =
        strategy_figures(Strategy{kMarket, 0.5, 0.2, {share(Side::Long, 90.0)}}, LegValuer{});
    EXPECT_EQ(shares.total.delta, 1.0);
    EXPECT_EQ(shares.total.gamma, 0.0);
    EXPECT_EQ(shares.total.theta, 0.0);
    EXPECT_EQ(shares.total.vega, 0.0);
    EXPECT_EQ(shares.total.rho, 0.0);
    EXPECT_EQ(shares.total.value, 100.0);
    EXPECT_EQ(shares.net_premium, 90.0);
}

TEST(StrategyExtremes, StraddleBreakevensAreTheStrikeLessAndPlusThePremium) {
    const Leg call = option(Side::Long, Instrument::Call, 100);
    const Leg put = option(Side::Long, Instrument::Put, 100);
    const StrategyFigures f = figures({call, put});
    const double paid = euro(call) + euro(put);
    EXPECT_NEAR(f.net_premium, paid, 1e-12);
    ASSERT_EQ(f.at_horizon.breakevens.size(), 2u);
    EXPECT_NEAR(f.at_horizon.breakevens[0], 100 - paid, 1e-12);
    EXPECT_NEAR(f.at_horizon.breakevens[1], 100 + paid, 1e-12);
    EXPECT_FALSE(f.at_horizon.max_profit);             // the call's side
    EXPECT_NEAR(*f.at_horizon.max_loss, paid, 1e-12);  // at the strike
    // A profit in either tail: the sum of the two tails' probabilities.
    const double v = 0.2, h = 0.5;
    EXPECT_NEAR(f.at_horizon.probability, below(100 - paid, v, h) + 1 - below(100 + paid, v, h), 1e-14);
}

TEST(StrategyExtremes, BullCallSpreadAndIronCondorAndCoveredCall) {
    // Bull call spread 95/105: at most the width less the debit, at worst the debit.
    const Leg low = option(Side::Long, Instrument::Call, 95);
    const Leg high = option(Side::Short, Instrument::Call, 105);
    StrategyFigures f = figures({low, high});
    const double debit = euro(low) - euro(high);
    EXPECT_NEAR(*f.at_horizon.max_profit, 10 - debit, 1e-12);
    EXPECT_NEAR(*f.at_horizon.max_loss, debit, 1e-12);
    ASSERT_EQ(f.at_horizon.breakevens.size(), 1u);
    EXPECT_NEAR(f.at_horizon.breakevens[0], 95 + debit, 1e-12);

    // Iron condor 80/90 puts, 110/115 calls: the credit at best; at worst
    // the wider wing (10) less the credit.
    const std::vector<Leg> condor{option(Side::Long, Instrument::Put, 80), option(Side::Short, Instrument::Put, 90),
                                  option(Side::Short, Instrument::Call, 110),
                                  option(Side::Long, Instrument::Call, 115)};
    f = figures(condor);
    const double credit = euro(condor[1]) + euro(condor[2]) - euro(condor[0]) - euro(condor[3]);
    EXPECT_NEAR(f.net_premium, -credit, 1e-12);
    EXPECT_NEAR(*f.at_horizon.max_profit, credit, 1e-12);
    EXPECT_NEAR(*f.at_horizon.max_loss, 10 - credit, 1e-12);
    ASSERT_EQ(f.at_horizon.breakevens.size(), 2u);
    EXPECT_NEAR(f.at_horizon.breakevens[0], 90 - credit, 1e-12);
    EXPECT_NEAR(f.at_horizon.breakevens[1], 110 + credit, 1e-12);
    EXPECT_NEAR(f.at_horizon.probability, below(110 + credit, 0.2, 0.5) - below(90 - credit, 0.2, 0.5), 1e-14);

    // Covered call: the share bought at the spot, a call sold at 110: at
    // most 110 - 100 + the call's premium; the loss is bounded by the
    // share's price less that premium.
    const Leg sold = option(Side::Short, Instrument::Call, 110);
    f = figures({share(Side::Long), sold});
    EXPECT_NEAR(*f.at_horizon.max_profit, 110 - 100 + euro(sold), 1e-12);
    EXPECT_NEAR(*f.at_horizon.max_loss, 100 - euro(sold), 1e-12);

    // A long call: unlimited profit, the premium at worst.
    const Leg call = option(Side::Long, Instrument::Call, 100);
    f = figures({call});
    EXPECT_FALSE(f.at_horizon.max_profit);
    EXPECT_NEAR(*f.at_horizon.max_loss, euro(call), 1e-12);
    // Short, the same upside down: the loss has no bound.
    Leg written = call;
    written.side = Side::Short;
    f = figures({written});
    EXPECT_FALSE(f.at_horizon.max_loss);
    EXPECT_NEAR(*f.at_horizon.max_profit, euro(call), 1e-12);
}

TEST(StrategyProbability, LongCallAtExpiryIsTheChanceOfEndingAboveStrikePlusPremium) {
    // P(S_T > K + c) = N(d2) with d2 = (ln(S / (K + c)) + (r - q - v^2 / 2) T) / (v sqrt(T)).
    const Leg call = option(Side::Long, Instrument::Call, 105, 0.75, 0.3);
    const StrategyFigures f = figures({call});
    const double c = euro(call), T = 0.75, v = 0.3;
    const double d2 = (std::log(100 / (105 + c)) + (0.05 - 0.02 - 0.5 * v * v) * T) / (v * std::sqrt(T));
    EXPECT_NEAR(f.at_horizon.probability, exact_N(d2), 1e-14);
    EXPECT_EQ(f.volatility, 0.3);  // the one leg's, as the legs' mean
    EXPECT_FALSE(f.volatility_set);
    EXPECT_EQ(f.horizon, 0.75);
    EXPECT_FALSE(f.horizon_set);
}

TEST(StrategyProbability, TheDistributionsVolatilityIsTheLegsMeanUnlessSet) {
    const std::vector<Leg> legs{option(Side::Long, Instrument::Call, 100, 0.5, 0.2),
                                option(Side::Short, Instrument::Call, 110, 0.5, 0.3)};
    Strategy s{kMarket, std::nullopt, std::nullopt, legs};
    EXPECT_DOUBLE_EQ(*volatility_of(s), 0.25);
    s.volatility = 0.4;
    const StrategyFigures f = strategy_figures(s, LegValuer{});
    EXPECT_EQ(f.volatility, 0.4);
    EXPECT_TRUE(f.volatility_set);
    const double be = f.at_horizon.breakevens.at(0);
    EXPECT_NEAR(f.at_horizon.probability, 1 - below(be, 0.4, 0.5), 1e-14);
    // A position of shares alone has no horizon and no mean.
    s.legs = {share(Side::Long)};
    s.horizon.reset();
    s.volatility.reset();
    EXPECT_FALSE(horizon_of(s));
    EXPECT_FALSE(volatility_of(s));
}

// Before expiry the curve is the legs' model values: each breakeven is a
// root of that curve, worked out here by the closed form itself.
TEST(StrategyBeforeExpiry, LongCallHalfWayItsBreakevenIsWhereItIsWorthItsPremium) {
    const Leg call = option(Side::Long, Instrument::Call, 100, 0.5, 0.25);
    Strategy s{kMarket, 0.25, std::nullopt, {call}};
    const StrategyFigures f = strategy_figures(s, LegValuer{});
    const double c = euro(call);
    ASSERT_EQ(f.at_horizon.breakevens.size(), 1u);
    const double be = f.at_horizon.breakevens[0];
    EXPECT_NEAR(euro(call, be, 0.25), c, 1e-10);
    EXPECT_NEAR(f.at_horizon.probability, 1 - below(be, 0.25, 0.25), 1e-12);
    EXPECT_FALSE(f.at_horizon.max_profit);
    EXPECT_NEAR(*f.at_horizon.max_loss, c, 1e-12);  // the spot falling to 0
}

TEST(StrategyBeforeExpiry, CalendarSpreadHasAHumpAroundItsStrike) {
    // Short the 0.25-year call, long the 0.5-year one, both at 100, no
    // yield: at the first expiry a hump that peaks near the strike; far up
    // it tends to K (1 - e^(-r 0.25)) less the debit, at 0 to minus the debit.
    const Market m{100, 5, 0};
    const Leg near = option(Side::Short, Instrument::Call, 100, 0.25);
    const Leg far = option(Side::Long, Instrument::Call, 100, 0.5);
    const StrategyFigures f = strategy_figures(Strategy{m, std::nullopt, std::nullopt, {near, far}}, LegValuer{});
    const auto pnl = [&](double S) {
        return payoff(S, 100, 0) * -1 + solver_euro(0.25, 0.2, 0.05, 100, S, 0, 0) + f.net_premium * -1;
    };
    EXPECT_EQ(f.horizon, 0.25);
    ASSERT_EQ(f.at_horizon.breakevens.size(), 2u);
    for (const double be : f.at_horizon.breakevens) EXPECT_NEAR(pnl(be), 0.0, 1e-9) << be;
    // The peak is at the strike (the short call's corner): the far call's
    // time value there less the debit.
    EXPECT_NEAR(*f.at_horizon.max_profit, pnl(100), 1e-9);
    EXPECT_NEAR(*f.at_horizon.max_loss, f.net_premium, 1e-9);
    const double v = 0.2, h = 0.25;
    EXPECT_NEAR(f.at_horizon.probability,
                below(f.at_horizon.breakevens[1], v, h, m) - below(f.at_horizon.breakevens[0], v, h, m), 1e-12);
}

TEST(StrategyBeforeExpiry, CalendarWithAYieldLosesWithoutBoundFarUp) {
    // With a yield the far call grows by e^(-q tau) a dollar of spot, the
    // expired short call by a whole dollar: the loss has no bound.
    const Leg near = option(Side::Short, Instrument::Call, 100, 0.25);
    const Leg far = option(Side::Long, Instrument::Call, 100, 0.5);
    const StrategyFigures f = figures({near, far});
    EXPECT_FALSE(f.at_horizon.max_loss);
    ASSERT_TRUE(f.at_horizon.max_profit);
}

}  // namespace
}  // namespace tvx::test
