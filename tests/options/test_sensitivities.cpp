// Sensitivities by six valuations, checked against the exact analytic
// Black-Scholes-Merton sensitivities.
//
// Tolerance: the closed form uses a polynomial N whose own error is below
// 1e-5, but that error wiggles, so its slope and curvature (what a finite
// difference sees) reach about 1e-4 and 1e-3; worked through the chain rule
// this moves Delta, Theta, Vega and Rho by up to about 0.1 % of their size
// and Gamma by a few 1e-4. The difference steps themselves (a thousandth of
// each input) add far less. Hence 2e-3 relative (at least 2e-3 absolute) and
// 5e-4 absolute for Gamma.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/fault.h"
#include "options/sensitivities.h"
#include "pricing/closed_form.h"
#include "support/black_scholes.h"

namespace tvx {
namespace {

using test::exact_bs;

struct Case {
    double t, sigma, r, K, S, q;
    bool call;
};

void expect_close(const char* what, const Case& c, double computed, double expected, double tol) {
    EXPECT_NEAR(computed, expected, tol) << what << " for t=" << c.t << " sigma=" << c.sigma << " r=" << c.r
                                         << " K=" << c.K << " S=" << c.S << " q=" << c.q << (c.call ? " call" : " put")
                                         << ": expected " << expected << ", computed " << computed << ", tolerance "
                                         << tol;
}

TEST(Sensitivities, ClosedFormMatchesTheAnalyticSensitivities) {
    const std::vector<Case> cases = {
        {0.5, 0.2, 0.045, 64, 60, 0.021, true},  {0.5, 0.2, 0.045, 64, 60, 0.021, false},
        {1.0, 0.2, 0.05, 100, 100, 0.0, true},   {1.0, 0.2, 0.05, 100, 100, 0.0, false},
        {2.0, 0.35, 0.03, 80, 100, 0.01, false}, {0.1, 0.5, 0.08, 50, 45, 0.0, true},
    };
    for (const Case& c : cases) {
        const OptionTerms in{c.t, c.sigma, c.r, c.K, c.S, c.q, static_cast<std::int16_t>(c.call ? 0 : 1)};
        const auto s = sensitivities(valuation_of(solver_euro), in);
        ASSERT_TRUE(s.has_value());
        const auto e = exact_bs(c.t, c.sigma, c.r, c.K, c.S, c.q, c.call);
        const auto rel = [](double x) { return 2e-3 * std::max(1.0, std::fabs(x)); };
        expect_close("value", c, s->value, e.value, rel(e.value));
        expect_close("Delta", c, s->delta, e.delta, rel(e.delta));
        expect_close("Gamma", c, s->gamma, e.gamma, 5e-4);
        expect_close("Theta", c, s->theta, e.theta, rel(e.theta));
        expect_close("Vega", c, s->vega, e.vega, rel(e.vega));
        expect_close("Rho", c, s->rho, e.rho, rel(e.rho));
    }
}

TEST(Sensitivities, ThetaIsPerYearOfRemainingLife) {
    // Documented example: Delta near N(d1) = 0.64, Theta about +6.4.
    const auto s = sensitivities(valuation_of(solver_euro), {1.0, 0.2, 0.05, 100, 100, 0.0, 0});
    ASSERT_TRUE(s.has_value());
    EXPECT_NEAR(s->delta, 0.64, 0.005);
    EXPECT_NEAR(s->theta, 6.4, 0.05);
}

TEST(Sensitivities, SixValuationsInTheirOrderEachWithOneInputMoved) {
    std::vector<OptionTerms> seen;
    const auto record = [&](const OptionTerms& o) { return seen.push_back(o), 1.0; };
    const OptionTerms in{0.5, 0.2, 0.045, 64, 60, 0.021, 1};
    std::vector<int> hooks;
    sensitivities(record, in, [&](int k) { return hooks.push_back(k), true; });
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(hooks, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    const auto same_but = [&](const OptionTerms& o, double t, double sigma, double r, double S) {
        return o.t == t && o.sigma == sigma && o.r == r && o.spot == S && o.strike == in.strike &&
               o.yield == in.yield && o.optype == in.optype;
    };
    EXPECT_TRUE(same_but(seen[0], 0.5, 0.2, 0.045, 60));
    EXPECT_TRUE(same_but(seen[1], 0.5, 0.2, 0.045, 60 - 0.06));
    EXPECT_TRUE(same_but(seen[2], 0.5, 0.2, 0.045, 0.06 + 60));
    EXPECT_TRUE(same_but(seen[3], 0.5 - 0.0005, 0.2, 0.045, 60));
    EXPECT_TRUE(same_but(seen[4], 0.5, 0.2 - 0.0002, 0.045, 60));
    EXPECT_TRUE(same_but(seen[5], 0.5, 0.2, 0.045 - 0.045 * 0.001, 60));
}

TEST(Sensitivities, HookCanStopAfterAValuation) {
    int calls = 0;
    const auto counted = [&](const OptionTerms&) { return ++calls, 1.0; };
    const auto s = sensitivities(counted, {0.5, 0.2, 0.045, 64, 60, 0.021, 0}, [](int k) { return k < 3; });
    EXPECT_FALSE(s.has_value());
    EXPECT_EQ(calls, 3);
}

TEST(Sensitivities, ZeroVolatilityFaults) {
    const auto flat = [](const OptionTerms&) { return 1.0; };
    EXPECT_THROW(sensitivities(flat, {0.5, 0.0, 0.045, 64, 60, 0.021, 0}), ArithmeticError);
}

}  // namespace
}  // namespace tvx
