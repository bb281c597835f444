// Advanced > Exact Values, headless: the choice read by Compute (value,
// sensitivities and implied volatility, European and American), by the
// charts and the scenario table. Expected figures come from the formula
// written out once more (tests/support/black_scholes.h), from 30-digit
// values (mpmath) and from the binomial Black-Scholes tree with Richardson
// extrapolation (tests/support/american_reference.h), never from the
// program's own output.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "charts/chart_commands.h"
#include "charts/chart_fixture.h"
#include "charts/chart_text.h"
#include "instruments/convertible.h"
#include "options/robust_implied.h"
#include "pricing/closed_form.h"
#include "support/american_reference.h"
#include "support/black_scholes.h"
#include "support/compute_fixture.h"

namespace tvx::test {
namespace {

class ExactValues : public ComputeFixture {
protected:
    ComputeResults results;
    void compute_with_results() {
        ComputeOptions options;
        options.results = &results;
        cmdCompute_Click(main, out, pac, ui, options);
    }
};

TEST_F(ExactValues, OffAtStartTheDefaultsGiveTheProgramsOwnSixLines) {
    EXPECT_EQ(main.precision, Precision::Standard);
    compute();
    EXPECT_EQ(lines(),
              (std::vector<std::string>{"The option value is 2.0694 dollars", "Delta is 0.3775", "Gamma is 0.0446",
                                        "Theta is 3.6512", "Vega is 15.9996", "Rho is 10.289"}));
    EXPECT_EQ(out.Exact, "");
}

TEST_F(ExactValues, OnTheDefaultsGiveTheExactFiguresAndSaySo) {
    // mpmath at 30 digits: 2.069920, 0.377798, 0.044467, 3.652502,
    // 16.008091, 10.298994.
    main.precision = Precision::Exact;
    compute_with_results();
    EXPECT_EQ(lines(),
              (std::vector<std::string>{"The option value is 2.0699 dollars", "Delta is 0.3778", "Gamma is 0.0445",
                                        "Theta is 3.6525", "Vega is 16.0081", "Rho is 10.299"}));
    EXPECT_EQ(out.Exact, kExactLine);
    const ExactBs b = exact_bs(0.5, 0.2, 0.045, 64, 60, 0.021, true);
    ASSERT_TRUE(results.value);
    EXPECT_NEAR(results.value->value, b.value, 1e-12);
    EXPECT_NEAR(results.value->vega, b.vega, 1e-10);
    // Back off: the program's figures again, and no added line.
    main.precision = Precision::Standard;
    compute();
    EXPECT_EQ(out.Label1, "The option value is 2.0694 dollars");
    EXPECT_EQ(out.Exact, "");
}

TEST_F(ExactValues, TheImpliedVolatilityInvertsTheExactValue) {
    // 3.45 is the exact closed form's value at 0.284559871338 (mpmath); the
    // program's own search gives the same four decimals from its own N.
    main.optPrice = false;
    main.precision = Precision::Exact;
    compute_with_results();
    ASSERT_TRUE(results.implied_volatility);
    EXPECT_NEAR(*results.implied_volatility, 0.284559871338134, 1e-10);
}

TEST(ExactImpliedVolatility, RecoversTheGeneratingVolatilityOverRandomTerms) {
    std::mt19937_64 gen(2929);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int i = 0; i < 300; ++i) {
        const OptionTerms o{0.05 + 2.0 * u(gen),
                            0.0,
                            0.005 + 0.08 * u(gen),
                            100.0 * std::exp(-0.3 + 0.6 * u(gen)),
                            100.0,
                            0.04 * u(gen),
                            static_cast<std::int16_t>(i % 2)};
        const double sigma = 0.08 + 0.7 * u(gen);
        const double price = exact_bs(o.t, sigma, o.r, o.strike, o.spot, o.yield, o.optype == 0).value;
        // Below a cent the price no longer pins the volatility to 1e-10.
        if (price < 0.01) continue;
        const SearchResult found = robust_implied_euro(price, o, Precision::Exact);
        ASSERT_EQ(found.outcome, SearchOutcome::Success) << i;
        EXPECT_NEAR(found.sigma, sigma, 1e-10) << i;
    }
}

TEST_F(ExactValues, AmericanFiguresComeFromTheBoundaryMethodAtFullAccuracy) {
    // The default put, American: the tree gives 5.425596 (4000 and 2000
    // steps); Delta -0.6392 by its central difference.
    main.optCall = false;
    main.optEuro = false;
    main.precision = Precision::Exact;
    compute_with_results();
    ASSERT_TRUE(results.value);
    const double tree = 2 * binomial_black_scholes(0.5, 0.2, 0.045, 64, 60, 0.021, false, 4000) -
                        binomial_black_scholes(0.5, 0.2, 0.045, 64, 60, 0.021, false, 2000);
    EXPECT_NEAR(results.value->value, tree, 2e-5);
    EXPECT_NEAR(results.value->delta, -0.6392, 5e-4);
    // Theta, Vega and Rho: central differences of the tree (a thousandth of
    // each input either way) give 2.3548, 15.4593 and -14.0620; the tree's
    // own error over such steps is about 1e-3.
    const auto tree_at = [](double t, double sigma, double r) {
        return 2 * binomial_black_scholes(t, sigma, r, 64, 60, 0.021, false, 4000) -
               binomial_black_scholes(t, sigma, r, 64, 60, 0.021, false, 2000);
    };
    EXPECT_NEAR(results.value->theta, (tree_at(0.5005, 0.2, 0.045) - tree_at(0.4995, 0.2, 0.045)) / 0.001, 2e-3);
    EXPECT_NEAR(results.value->vega, (tree_at(0.5, 0.2002, 0.045) - tree_at(0.5, 0.1998, 0.045)) / 0.0004, 2e-3);
    EXPECT_NEAR(results.value->rho, (tree_at(0.5, 0.2, 0.045045) - tree_at(0.5, 0.2, 0.044955)) / 0.00009, 5e-3);
    EXPECT_EQ(results.american_valuer, AmericanValuer::Boundary);
    EXPECT_EQ(out.Exact, kExactAmericanLine);
    EXPECT_EQ(out.Method, "");  // the one added line
    // A call without dividend yield is worth its European value: exact.
    main.optCall = true;
    main.dividend = "0";
    compute_with_results();
    EXPECT_NEAR(results.value->value, exact_bs(0.5, 0.2, 0.045, 64, 60, 0, true).value, 1e-12);
    EXPECT_EQ(out.Exact, kExactLine);
}

class ExactCharts : public ChartFixture {};

TEST_F(ExactCharts, TogglingRedrawsAnOpenChartOnExactFiguresAndSaysSo) {
    chart.y = OptionY::Gamma;
    open(ChartSource::Option);
    ASSERT_FALSE(chart.plot.empty());
    const int drawn = chart.version;
    // The program's Gamma strays from the exact one near the money (0.0413
    // against 0.0443 at spot 63): the note names the menu item.
    EXPECT_NE(chart.note.find(chart_text::approximation_kinks), std::string::npos) << chart.note;
    EXPECT_EQ(chart.plot.title.find("exact"), std::string::npos);

    mnuExact_Click(cx);
    EXPECT_EQ(main.precision, Precision::Exact);
    EXPECT_GT(chart.version, drawn);
    EXPECT_NE(chart.plot.title.find("(exact values)"), std::string::npos);
    EXPECT_EQ(chart.note.find(chart_text::approximation_kinks), std::string::npos);
    const Series& gamma = series(SeriesRole::Main);
    for (std::size_t i = 0; i < chart.plot.x.size(); ++i) {
        ASSERT_TRUE(gamma.y[i]);
        EXPECT_NEAR(*gamma.y[i], exact_bs(0.5, 0.2, 0.045, 64, chart.plot.x[i], 0.021, true).gamma, 1e-12);
    }

    mnuExact_Click(cx);
    EXPECT_EQ(main.precision, Precision::Standard);
    EXPECT_EQ(chart.plot.title.find("exact"), std::string::npos);
}

TEST_F(ExactCharts, AValueChartShowsNoKinksAndTheScenarioTableFollowsTheChoice) {
    // The value's approximation error (below 1e-4 of a dollar range of
    // tens) is invisible: no note.
    open(ChartSource::Option);
    EXPECT_EQ(chart.note.find(chart_text::approximation_kinks), std::string::npos);
    chart_close(cx);
    main.precision = Precision::Exact;
    open(ChartSource::Scenario);
    ASSERT_FALSE(chart.grid.empty());
    EXPECT_NE(chart.grid.title.find("(exact values)"), std::string::npos);
    ASSERT_TRUE(chart.grid.current_value);
    EXPECT_NEAR(*chart.grid.current_value, exact_bs(0.5, 0.2, 0.045, 64, 60, 0.021, true).value, 1e-12);
}

TEST_F(ExactCharts, TheConvertiblesCallsFollowTheChoiceInItsComputeAndItsChart) {
    // Q = B / P * 100 + R V / P * 100: the calls' part alone moves, by R /
    // P * 100 = 10 times the difference of the two closed forms at S = 9.5.
    BondValue standard{}, exact{};
    Command1_Click(convertible, ui, &standard);
    Command1_Click(convertible, ui, &exact, Precision::Exact);
    const double v_exact = exact_bs(3.5, 0.3, 0.045, 10, 9.5, 0.021, true).value;  // 2.064534680 (mpmath)
    EXPECT_NEAR(v_exact, 2.06453468045504, 1e-12);
    const double v_standard = solver_euro(3.5, 0.3, 0.045, 10, 9.5, 0.021, 0);
    EXPECT_NEAR(exact.percent - standard.percent, 10.0 * (v_exact - v_standard), 1e-10);

    main.precision = Precision::Exact;
    open(ChartSource::Convertible);
    ASSERT_FALSE(chart.plot.empty());
    EXPECT_NE(chart.plot.title.find("(exact values)"), std::string::npos);
}

}  // namespace
}  // namespace tvx::test
