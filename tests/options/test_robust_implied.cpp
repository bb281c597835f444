// The safeguarded implied-volatility search: the closed form's curve
// against the routine itself, recovery of the volatility a price was made
// with, prices no volatility reaches, and the general search on routines
// whose inverses are known in closed form.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/fault.h"
#include "options/implied_vol.h"
#include "options/robust_implied.h"
#include "pricing/american.h"
#include "pricing/closed_form.h"
#include "pricing/exact_closed_form.h"

namespace tvx {
namespace {

OptionTerms random_terms(std::mt19937_64& g) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    OptionTerms o;
    o.spot = 100.0;
    o.strike = 100.0 * std::exp(-0.7 + 1.4 * u(g));
    o.t = 0.02 + 4.98 * u(g);
    o.sigma = 0.05 + 1.15 * u(g);
    o.r = 0.1 * u(g);
    o.yield = 0.05 * u(g);
    o.optype = u(g) < 0.5 ? 0 : 1;
    return o;
}

double euro(const OptionTerms& o, double sigma) {
    return solver_euro(o.t, sigma, o.r, o.strike, o.spot, o.yield, o.optype);
}

TEST(RobustImplied, CurveIsTheRoutineToTheBitAndItsVegaTheRoutinesSlope) {
    std::mt19937_64 g(7);
    for (int i = 0; i < 2000; ++i) {
        const OptionTerms o = random_terms(g);
        const EuroCurve c(o);
        const EuroCurve::Point p = c.at(o.sigma);
        ASSERT_EQ(p.value, euro(o, o.sigma));
        // The out-of-the-money value is the other type's where this one is
        // in the money (parity: call - put = e^(-qt) S - e^(-rt) K).
        OptionTerms other = o;
        other.optype = static_cast<std::int16_t>(1 - o.optype);
        const bool call_otm = c.forward_intrinsic() <= 0.0;
        EXPECT_EQ(p.otm, call_otm == (o.optype == 0) ? p.value : euro(other, o.sigma));
        // A central difference of the routine, where the value is not
        // lost in rounding.
        const double h = 1e-5 * o.sigma;
        const double slope = (euro(o, o.sigma + h) - euro(o, o.sigma - h)) / (2 * h);
        if (p.vega > 1e-3) {
            EXPECT_NEAR(p.vega, slope, 1e-5 * p.vega + 1e-7) << i;
        }
    }
}

TEST(RobustImplied, EveryPriceTheRoutineReachesIsFoundAndCarriesItsVolatility) {
    std::mt19937_64 g(11);
    for (int i = 0; i < 20000; ++i) {
        const OptionTerms o = random_terms(g);
        const double price = euro(o, o.sigma);
        const SearchResult r = robust_implied_euro(price, o);
        ASSERT_EQ(r.outcome, SearchOutcome::Success) << i;
        ASSERT_GE(r.sigma, kRobustMinVol);
        ASSERT_LE(r.sigma, kRobustMaxVol);
        EXPECT_LE(std::fabs(euro(o, r.sigma) - price), robust_tolerance(price)) << i;
        // Where a change of a millionth in the volatility moves the price by
        // far more than the tolerance, the price pins the volatility down.
        const double vega = EuroCurve(o).at(o.sigma).vega;
        if (vega * o.sigma * 1e-6 > 100 * robust_tolerance(price)) {
            EXPECT_NEAR(r.sigma, o.sigma, 1e-6 * o.sigma) << i;
        }
    }
}

TEST(RobustImplied, FindsWhatTheWindowsSearchMisses) {
    // Far out of the money and short: Newton from 0.25 runs off.
    const OptionTerms o{0.1, 0.0, 0.05, 150.0, 100.0, 0.0, 0};
    const double price = euro(o, 0.9);
    SearchVariant window;
    window.routine = valuation_of(solver_euro);
    bool window_found = false;
    try {
        window_found = implied_vol(window, price, o).outcome == SearchOutcome::Success;
    } catch (const std::exception&) {}
    EXPECT_FALSE(window_found);
    const SearchResult r = robust_implied_euro(price, o);
    ASSERT_EQ(r.outcome, SearchOutcome::Success);
    EXPECT_NEAR(r.sigma, 0.9, 1e-9);
}

TEST(RobustImplied, PricesBeyondTheRoutinesRangeAreDeclined) {
    const OptionTerms call{0.5, 0.0, 0.045, 50.0, 100.0, 0.0, 0};
    const double lower = 100.0 - 50.0 * std::exp(-0.045 * 0.5);  // the value as the volatility goes to 0
    for (const double price : {0.0, -1.0, lower - 1.0, 100.0, 150.0}) {
        EXPECT_EQ(robust_implied_euro(price, call).outcome, SearchOutcome::Failure) << price;
    }
    // A price on the bound itself is the smallest volatility's.
    const double at_min = euro(call, kRobustMinVol);
    const SearchResult r = robust_implied_euro(at_min, call);
    ASSERT_EQ(r.outcome, SearchOutcome::Success);
    EXPECT_LE(std::fabs(euro(call, r.sigma) - at_min), robust_tolerance(at_min));
}

TEST(RobustImplied, GeneralSearchInvertsRoutinesWithKnownInverses) {
    const OptionTerms o{};
    // sigma^2: the root of p is sqrt(p); e^sigma - 1: log1p(p).
    const Valuation square = [](const OptionTerms& t) { return t.sigma * t.sigma; };
    const Valuation expm1 = [](const OptionTerms& t) { return std::expm1(t.sigma); };
    for (const double p : {1e-10, 0.04, 0.5, 2.0, 81.0}) {
        const SearchResult a = robust_implied(square, p, o);
        ASSERT_EQ(a.outcome, SearchOutcome::Success) << p;
        // The price to its tolerance (the volatility follows where the
        // slope is not tiny).
        EXPECT_NEAR(a.sigma * a.sigma, p, robust_tolerance(p)) << p;
        if (p > 0.01) {
            EXPECT_NEAR(a.sigma, std::sqrt(p), 1e-9 * std::sqrt(p)) << p;
        }
        if (p < std::expm1(kRobustMinVol)) {
            // Its root lies below the range.
            EXPECT_EQ(robust_implied(expm1, p, o).outcome, SearchOutcome::Failure);
            continue;
        }
        const SearchResult b = robust_implied(expm1, p, o);
        ASSERT_EQ(b.outcome, SearchOutcome::Success) << p;
        EXPECT_NEAR(b.sigma, std::log1p(p), 1e-9 * std::log1p(p)) << p;
    }
    EXPECT_EQ(robust_implied(square, 101.0, o).outcome, SearchOutcome::Failure);
    EXPECT_EQ(robust_implied(square, -1.0, o).outcome, SearchOutcome::Failure);
}

TEST(RobustImplied, GeneralSearchCopesWithRefusalsAndHumps) {
    const OptionTerms o{};
    // Refused below 0.01 (as the American scheme refuses small
    // volatilities): the search starts where the routine values.
    const Valuation refusing = [](const OptionTerms& t) {
        if (t.sigma < 0.01) throw RuntimeError("unstable");
        return t.sigma;
    };
    const SearchResult a = robust_implied(refusing, 0.3, o);
    ASSERT_EQ(a.outcome, SearchOutcome::Success);
    EXPECT_NEAR(a.sigma, 0.3, 1e-10);
    // A hump: both ends below the price, the middle above it.
    const Valuation hump = [](const OptionTerms& t) { return std::exp(-std::pow(std::log(t.sigma), 2)); };
    const SearchResult b = robust_implied(hump, 0.5, o);
    ASSERT_EQ(b.outcome, SearchOutcome::Success);
    EXPECT_NEAR(hump({0, b.sigma}), 0.5, 1e-10);
}

TEST(RobustImplied, AmericanPutGivesBackItsVolatility) {
    const OptionTerms o{1.0, 0.0, 0.05, 100.0, 90.0, 0.02, 1};
    for (const double sigma : {0.15, 0.3, 0.8}) {
        const double price = solver_usa(o.t, sigma, o.r, o.strike, o.spot, o.yield, o.optype);
        const SearchResult r = robust_implied(valuation_of(solver_usa), price, o);
        ASSERT_EQ(r.outcome, SearchOutcome::Success) << sigma;
        EXPECT_NEAR(r.sigma, sigma, 1e-7) << sigma;
    }
}

TEST(ExactImplied, RepricesToATenTrillionthWhereverAVolatilityCan) {
    // Exact figures: the exact closed form at the volatility found gives the
    // price within 1e-13 of it (or 1e-15 of S + K, a few roundings of the
    // value's terms, where that is more).
    std::mt19937_64 g(13);
    const auto exact = [](const OptionTerms& o, double sigma) {
        return solver_euro_exact(o.t, sigma, o.r, o.strike, o.spot, o.yield, o.optype);
    };
    for (int i = 0; i < 500; ++i) {
        const OptionTerms o = random_terms(g);
        const double price = exact(o, o.sigma);
        const SearchResult r = robust_implied_euro(price, o, Precision::Exact);
        if (r.outcome == SearchOutcome::NotDetermined) {
            // Only at the floor: the smallest volatilities give the price too.
            EXPECT_NEAR(exact(o, 1e-6), price, exact_tolerance(price, o)) << i;
            continue;
        }
        ASSERT_EQ(r.outcome, SearchOutcome::Success) << i;
        EXPECT_LE(std::fabs(exact(o, r.sigma) - price), std::max(1e-13 * price, 1e-15 * (o.spot + o.strike))) << i;
    }
}

TEST(ExactImplied, APriceAtItsNoArbitrageFloorLeavesTheVolatilityNotDetermined) {
    // A put 7.74 in the money for 0.1711 years: 7.661737801896114 is
    // K e^(-r t) - S e^(-q t) to double precision, the European put's value
    // at every volatility up to about 0.15 (its time value there is below
    // 1e-13 of it). No volatility is chosen; the largest that reproduces
    // the price is given, and a little above it the price is not reproduced.
    const OptionTerms o{0.1711, 0.0, 0.02847, 20.78, 13.04, 0.01019, 1};
    const double price = 7.661737801896114;
    const double floor = o.strike * std::exp(-o.r * o.t) - o.spot * std::exp(-o.yield * o.t);
    EXPECT_NEAR(price, floor, 1e-14 * price);
    const SearchResult r = robust_implied_euro(price, o, Precision::Exact);
    ASSERT_EQ(r.outcome, SearchOutcome::NotDetermined);
    EXPECT_GT(r.sigma, 0.14);
    EXPECT_LT(r.sigma, 0.2);
    const double tol = exact_tolerance(price, o);
    EXPECT_LE(std::fabs(solver_euro_exact(o.t, r.sigma, o.r, o.strike, o.spot, o.yield, 1) - price), tol);
    EXPECT_GT(std::fabs(solver_euro_exact(o.t, 1.05 * r.sigma, o.r, o.strike, o.spot, o.yield, 1) - price), tol);
    // The program's own figures keep choosing, as before.
    EXPECT_EQ(robust_implied_euro(price, o).outcome, SearchOutcome::Success);
}

}  // namespace
}  // namespace tvx
