// The referee of the American route: the grid's values stand where they are
// right, the exercise-boundary method values the terms the grid cannot,
// with the added line, and the search follows. References: the issue's
// independent high-precision values of the four rows the bound check used
// to refuse; the grid itself (forced) for the rows that must not change;
// the method at its full setting as the accurate valuation (within 1e-6 of
// an independent Crank-Nicolson valuation, tests/pricing/test_exercise_boundary.cpp).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <string>

#include "core/fault.h"
#include "core/numbers.h"
#include "options/american_rule.h"
#include "options/routes.h"
#include "pricing/american.h"
#include "pricing/exercise_boundary.h"
#include "support/american_window.h"

namespace tvx::test {
namespace {

using Typed = TypedAmerican;
class AmericanReferee : public AmericanWindowFixture {};

// The four rows the bound check refused, with their right values (issue 28:
// an independent high-precision valuation).
struct Row {
    Typed terms;
    const char* value;
};
const Row broken[] = {
    {{"19.1", "0.097", "0.28", "5.877", "4.366", "19.4", false}, "5.4648"},
    {{"21.4533", "0.0459574", "0.2087", "1676.31", "4538.98", "10.5258", false}, "1128.3813"},
    {{"25.6133", "0.85533", "0.70352", "0.25974", "0.21932", "-4.26936", true}, "0.6434"},
    {{"8.01467", "2.36093", "0.159531", "0.769949", "55.3174", "-0.134064", true}, "55.9104"},
};

TEST_F(AmericanReferee, TheRowsTheGridCannotValueShowTheirRightValuesWithTheAddedLine) {
    for (const Row& row : broken) {
        SCOPED_TRACE(std::string("strike ") + row.terms.strike);
        enter(row.terms);
        compute_with(AmericanMethod::Rule);
        EXPECT_TRUE(ui.boxes().empty());
        EXPECT_EQ(out.Label1, std::string("The option value is ") + row.value + " dollars");
        EXPECT_EQ(out.Method, kBoundaryValuedLine);
        EXPECT_EQ(results.american_valuer, AmericanValuer::Boundary);
        // The grid forced is still refused by the bound check, the last guard.
        compute_with(AmericanMethod::Grid);
        expect_generic_error();
    }
}

TEST_F(AmericanReferee, SoundTermsShowTheGridsLinesBitForBitWithoutTheLine) {
    // The window's defaults as a call and a put, the put at S = K = 100 over
    // a year (about 6.09) and at 50/50 (about 3.46), a call with a small
    // yield: exactly what the grid alone shows.
    const Typed sound[] = {
        {"0.5", "0.2", "4.5", "64.0", "60.0", "2.1", true}, {"0.5", "0.2", "4.5", "64.0", "60.0", "2.1", false},
        {"1", "0.2", "5", "100", "100", "0", false},        {"0.25", "0.4", "10", "50", "50", "0", false},
        {"1", "0.2", "5", "100", "100", "0.5", true},
    };
    for (const Typed& a : sound) {
        SCOPED_TRACE(std::string("spot ") + a.spot + (a.call ? " call" : " put"));
        enter(a);
        compute_with(AmericanMethod::Grid);
        const auto grid = lines();
        compute_with(AmericanMethod::Rule);
        EXPECT_EQ(lines(), grid);
        EXPECT_EQ(out.Method, "");
        EXPECT_EQ(results.american_valuer, AmericanValuer::Grid);
    }
}

TEST(AmericanRule, KeepsTheGridWhereverItIsRight) {
    // Random ordinary terms (lives 0.02 to 5 years, volatilities 0.05 to
    // 1.2, rates and yields 0 to 15 %, strikes within 0.7 in log of the
    // spot): where every one of a Compute's six grid values lies within the
    // referee's tolerance of the accurate value, their Delta within
    // kDeltaTolerance of its and neither Theta nor Vega shows a fall, the
    // rule shows the grid's results exactly; where not, the method's.
    std::mt19937_64 rng(2028);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    int kept = 0, replaced = 0;
    for (int i = 0; i < 400; ++i) {
        OptionTerms o{0.02 + 4.98 * u(rng),
                      0.05 + 1.15 * u(rng),
                      0.0001 + 0.15 * u(rng),
                      0,
                      0,
                      0.15 * u(rng),
                      std::int16_t(u(rng) < 0.5 ? 0 : 1)};
        o.spot = 100 * std::exp(6 * u(rng) - 3);
        o.strike = o.spot * std::exp(1.4 * u(rng) - 0.7);
        const std::array<OptionTerms, 6> b = bumped_terms(o);
        std::array<double, 6> grid{}, accurate{};
        bool right = true;
        for (int k = 0; k < 6; ++k) {
            const OptionTerms& x = b[k];
            grid[k] = solver_usa(x.t, x.sigma, x.r, x.strike, x.spot, x.yield, x.optype);
            accurate[k] = solver_boundary(x.t, x.sigma, x.r, x.strike, x.spot, x.yield, x.optype);
            right = right && std::fabs(grid[k] - accurate[k]) <= referee_tolerance(accurate[k]);
        }
        const double dS = 2 * o.spot * 0.001;
        right = right && std::fabs((grid[2] - grid[1]) / dS - (accurate[2] - accurate[1]) / dS) <= kDeltaTolerance;
        // Nor may its Theta or Vega show the value falling (a grid value
        // out of the bounds is not right either).
        AmericanSensitivities forced;
        try {
            if (right) forced = AmericanRule(AmericanMethod::Grid).sensitivities(o);
        } catch (const RuntimeError&) {
            right = false;
        }
        right = right && forced.s.theta >= -0.00005 && forced.s.vega >= -0.00005;
        const AmericanSensitivities ruled = AmericanRule().sensitivities(o);
        if (right) {
            ++kept;
            EXPECT_EQ(ruled.valuer, AmericanValuer::Grid) << i;
            EXPECT_EQ(ruled.s.value, forced.s.value) << i;
            EXPECT_EQ(ruled.s.gamma, forced.s.gamma) << i;
            EXPECT_EQ(ruled.s.rho, forced.s.rho) << i;
        } else {
            ++replaced;
            EXPECT_EQ(ruled.valuer, AmericanValuer::Boundary) << i;
            EXPECT_NEAR(ruled.s.value, accurate[0], 1e-12) << i;
        }
    }
    // The grid is right to what the window shows on most of them.
    EXPECT_GT(kept, 320);
    EXPECT_GT(replaced, 10);
}

TEST_F(AmericanReferee, TheSearchForADividendFreeCallsLowVolatilityEndsWithoutTheGenericError) {
    // Defaults, American, yield 0, price 0.0001: the grid breaks a bound at a
    // volatility the search passes through. On the method (a dividend-free
    // call is worth its European value) the search finds the European answer,
    // about 0.0181.
    main.optEuro = false;
    main.optPrice = false;
    main.dividend = "0";
    main.qqq2 = "0.0001";
    compute_with(AmericanMethod::Rule);
    const UiEvent box = only_box();
    if (box.icon == Icon::None) {
        EXPECT_EQ(box.title, "Computation Output");
        EXPECT_NEAR(parse_number(box.text.substr(std::string("The implied volatility is ").size())), 0.0181, 0.0005);
    } else {
        EXPECT_EQ(box.text, kSearchFailure);
    }
}

TEST_F(AmericanReferee, ASearchTheGridCannotCarryRunsOnTheMethod) {
    // The third row's call is worth 0.6434 at its volatility 0.85533; the grid
    // is refused at the search's start. On the method the search comes back
    // to the volatility.
    enter(broken[2].terms);
    main.optPrice = false;
    main.qqq2 = "0.6434";
    compute_with(AmericanMethod::Rule);
    const UiEvent box = only_box();
    ASSERT_EQ(box.icon, Icon::None) << box.text;
    EXPECT_NEAR(parse_number(box.text.substr(std::string("The implied volatility is ").size())), 0.8553, 0.002);
    EXPECT_EQ(results.american_valuer, AmericanValuer::Boundary);
    // At the defaults the grid carries the search, as before.
    main = MainWindow{};
    main.optEuro = false;
    main.optPrice = false;
    compute_with(AmericanMethod::Grid);
    const std::string grid = only_box().text;
    compute_with(AmericanMethod::Rule);
    EXPECT_EQ(only_box().text, grid);
    EXPECT_EQ(results.american_valuer, AmericanValuer::Grid);
}

TEST_F(AmericanReferee, TermsTheSchemeCannotStepAreValuedByTheMethod) {
    // Volatility 0.01 over 30 years with a drift of 0.35 makes the explicit
    // scheme unstable (a negative weight). A call on a negative yield is
    // never exercised early: the exact European value,
    // 60 e^(1.5) N(d+) - 64 e^(-9) N(d-) with d+- far above 0: 268.9013 - 0.0079.
    main.optEuro = false;
    main.current = "60";
    main.strike = "64";
    main.dividend = "-5";
    main.time = "30";
    main.irate = "30";
    main.qqq = "0.01";
    compute_with(AmericanMethod::Rule);
    EXPECT_EQ(out.Label1, "The option value is 268.8934 dollars");
    EXPECT_EQ(out.Method, kBoundaryValuedLine);
    compute_with(AmericanMethod::Grid);
    expect_generic_error();
}

TEST_F(AmericanReferee, TheMethodCanBeForced) {
    // The defaults as a put: the method's value lies within half a cent of
    // the grid's, and the added line says which valued.
    main.optEuro = false;
    main.optCall = false;
    compute_with(AmericanMethod::Boundary);
    EXPECT_EQ(out.Method, kBoundaryChosenLine);
    ASSERT_TRUE(results.value);
    EXPECT_NEAR(results.value->value, solver_usa(0.5, 0.2, 0.045, 64, 60, 0.021, 1), shown_tolerance(5.27));
    EXPECT_NEAR(results.value->value, solver_boundary(0.5, 0.2, 0.045, 64, 60, 0.021, 1), 1e-12);
}

}  // namespace
}  // namespace tvx::test
