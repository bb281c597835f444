// The American route of the Compute command, headless.
#include <gtest/gtest.h>

#include "core/numbers.h"
#include "options/routes.h"
#include "pricing/american.h"
#include "pricing/closed_form.h"
#include "support/compute_fixture.h"

namespace tvx::test {
namespace {

class AmericanRoute : public ComputeFixture {
protected:
    std::vector<std::string> european_lines() {
        main.optEuro = true;
        compute();
        main.optEuro = false;
        return lines();
    }
    double shown_number(const std::string& line, const std::string& prefix) {
        EXPECT_EQ(line.rfind(prefix, 0), 0u) << line;
        std::string rest = line.substr(prefix.size());
        if (const auto sp = rest.find(' '); sp != std::string::npos) rest.resize(sp);
        return parse_number(rest);
    }
};

TEST_F(AmericanRoute, CallWithoutDividendTakesTheClosedForm) {
    main.dividend = "0";
    const auto european = european_lines();
    compute();
    EXPECT_EQ(lines(), european);
    EXPECT_EQ(ui.count(UiEvent::Kind::Show, Window::Output), 2);
}

TEST_F(AmericanRoute, CallWithATinyDividendTakesTheSolver) {
    main.dividend = "0.0001";  // per cent
    main.optEuro = false;
    compute();
    const double yield = 0.0001 / 100;
    const double solver = solver_usa(0.5, 0.2, 0.045, 64, 60, yield, 0);
    const double closed = solver_euro(0.5, 0.2, 0.045, 64, 60, yield, 0);
    ASSERT_NE(result_text(solver), result_text(closed));  // the two routines tell apart here
    EXPECT_EQ(out.Label1, "The option value is " + result_text(solver) + " dollars");
}

TEST_F(AmericanRoute, PutIsWorthAtLeastItsEuropeanValue) {
    main.optCall = false;
    const double european = shown_number(european_lines()[0], "The option value is ");
    compute();
    const double american = shown_number(out.Label1, "The option value is ");
    EXPECT_GE(american, european);
    // Early exercise of a put 4 dollars in the money with half a year to go
    // is worth a few cents here, not dollars.
    EXPECT_LT(american - european, 0.5);
}

TEST_F(AmericanRoute, GammaIsReadOffTheSolverGrid) {
    // The defaults as a put: about 0.049 (the European put has 0.0446); the
    // dividend-paying call: about 0.045. Bumping the spot alone would give
    // almost 0 for the call.
    main.optEuro = false;
    compute();
    EXPECT_NEAR(shown_number(out.Label3, "Gamma is "), 0.045, 0.003) << out.Label3;
    main.optCall = false;
    compute();
    EXPECT_NEAR(shown_number(out.Label3, "Gamma is "), 0.049, 0.003) << out.Label3;
    EXPECT_LT(shown_number(out.Label2, "Delta is "), 0.0);
    EXPECT_LT(shown_number(out.Label6, "Rho is "), 0.0);
}

TEST_F(AmericanRoute, FarOutOfTheMoneyShowsNearlyNothingWithADeltaOfTheRightSign) {
    // Put: spot 100, strike 50, a year at 20 % volatility and 5 %: worth
    // 0.00034 by an accurate binomial tree (american_reference.h). Call:
    // spot 50, strike 100, yield 1 %: 0.00198. A put's Delta is never
    // positive, a call's never negative.
    main.optEuro = false;
    main.optCall = false;
    main.current = "100";
    main.strike = "50";
    main.time = "1";
    main.irate = "5";
    main.dividend = "0";
    compute();
    EXPECT_LE(shown_number(out.Label1, "The option value is "), 0.0004) << out.Label1;
    EXPECT_LE(shown_number(out.Label2, "Delta is "), 0.0) << out.Label2;
    main.optCall = true;
    main.current = "50";
    main.strike = "100";
    main.dividend = "1";
    compute();
    EXPECT_LE(shown_number(out.Label1, "The option value is "), 0.002) << out.Label1;
    EXPECT_GE(shown_number(out.Label2, "Delta is "), 0.0) << out.Label2;
}

TEST_F(AmericanRoute, AdvancedPreferencesHaveNoEffect) {
    main.optEuro = false;
    main.optCall = false;
    compute();
    const auto plain = lines();
    main.svol = true;
    main.srate = true;
    main.cor = "0.5";
    compute();
    EXPECT_EQ(lines(), plain);
    EXPECT_FALSE(ui.shown(Window::Pacifier));
}

TEST_F(AmericanRoute, SearchReportsUnderTheOutputTitle) {
    main.optEuro = false;
    main.optPrice = false;
    main.dividend = "0";  // the search uses the solver even here
    compute();
    const UiEvent box = only_box();
    EXPECT_EQ(box.title, "Computation Output");
    EXPECT_EQ(box.icon, Icon::None);
    // A dividend-free American call is worth its European value, so the
    // volatility lies near the closed-form one for 3.45 (about 0.27 here).
    const double sigma = shown_number(box.text, "The implied volatility is ");
    EXPECT_GT(sigma, 0.2);
    EXPECT_LT(sigma, 0.35);
}

TEST_F(AmericanRoute, SearchRejectsASlopeOfExactlyAThousandth) {
    // (2.5e-7 - 0) / 0.00025 is exactly the double 0.001.
    const auto thousandth = [](const OptionTerms& o) { return o.sigma == 0.25 ? 2.5e-7 : 0.0; };
    const SearchVariant v = american_search(thousandth);
    EXPECT_EQ(implied_vol(v, 2.5e-7, {0.5, 0, 0.045, 64, 60, 0.021, 1}).outcome, SearchOutcome::Failure);
    EXPECT_EQ(v.success_title, "Computation Output");
}

TEST_F(AmericanRoute, ZeroVolatilityIsTheGenericError) {
    main.optEuro = false;
    main.optCall = false;
    main.qqq = "0";
    compute();
    expect_generic_error();
}

}  // namespace
}  // namespace tvx::test
