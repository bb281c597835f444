// The option's curves against independent values: the exact
// Black-Scholes-Merton sensitivities at every point, put-call parity across
// the whole curve, the American curve never below the European one nor
// below the payoff, and the scenario table.
#include <cmath>
#include <filesystem>

#include "charts/axes.h"
#include "charts/chart_fixture.h"
#include "charts/chart_text.h"
#include "charts/scenario.h"
#include "options/american_rule.h"
#include "support/black_scholes.h"

namespace tvx {
namespace {

using test::ChartFixture;
using test::exact_bs;

class OptionChart : public ChartFixture {};

double exact(OptionY y, const test::ExactBs& e) {
    switch (y) {
        case OptionY::Value: return e.value;
        case OptionY::Delta: return e.delta;
        case OptionY::Gamma: return e.gamma;
        case OptionY::Theta: return e.theta;
        case OptionY::Vega: return e.vega;
        case OptionY::Rho: return e.rho;
    }
    return 0;
}

TEST_F(OptionChart, EveryPointOfTheClosedFormMatchesTheExactSensitivities) {
    // Defaults: call, European, S 60, K 64, q 2.1 %, t 0.5, r 4.5 %, sigma 0.2.
    for (const OptionX x : {OptionX::Spot, OptionX::Volatility, OptionX::Time, OptionX::Rate, OptionX::Strike}) {
        for (const OptionY y :
             {OptionY::Value, OptionY::Delta, OptionY::Gamma, OptionY::Theta, OptionY::Vega, OptionY::Rho}) {
            chart.x = x;
            chart.y = y;
            chart_choice_changed(cx);
            ASSERT_EQ(chart.plot.x.size(), 200u);
            EXPECT_EQ(chart.plot.left_out, 0);
            const Series& main_curve = series(SeriesRole::Main);
            for (std::size_t i = 0; i < chart.plot.x.size(); ++i) {
                OptionTerms o{0.5, 0.2, 0.045, 64.0, 60.0, 0.021, 0};
                const double xi = chart.plot.x[i];
                if (x == OptionX::Spot) o.spot = xi;
                if (x == OptionX::Strike) o.strike = xi;
                if (x == OptionX::Volatility) o.sigma = xi;
                if (x == OptionX::Time) o.t = xi;
                if (x == OptionX::Rate) o.r = xi / 100.0;
                const double want = exact(y, exact_bs(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, true));
                // Gamma is a second difference over a thousandth of the spot
                // of a polynomial approximation of N: good to 1e-5 in value,
                // but its curvature is off by up to some ten per cent near the
                // money (the approximation is mirrored at 0); one-sided
                // differences of it over a thousandth are good to 2 per cent.
                const double tol = y == OptionY::Gamma ? std::max(1e-3, 0.15 * std::fabs(want))
                                                       : 0.02 * std::max(1.0, std::fabs(want));
                ASSERT_TRUE(main_curve.y[i].has_value());
                ASSERT_NEAR(*main_curve.y[i], want, tol) << y_name(y) << " at x " << xi;
            }
        }
    }
}

TEST_F(OptionChart, CallAndPutKeepParityAcrossTheCurve) {
    chart_open(cx, ChartSource::Option);
    const Plot calls = chart.plot;
    main.optCall = false;
    chart_draw(cx);
    const Plot puts = chart.plot;
    ASSERT_EQ(calls.x, puts.x);
    const double t = 0.5, r = 0.045, q = 0.021, K = 64.0;
    for (std::size_t i = 0; i < calls.x.size(); ++i) {
        const double S = calls.x[i];
        // The European curve is the main one.
        const double c = *calls.series[0].y[i], p = *puts.series[0].y[i];
        EXPECT_NEAR(c - p, S * std::exp(-q * t) - K * std::exp(-r * t), 1e-9) << "at spot " << S;
    }
}

TEST_F(OptionChart, TheAmericanPutStaysAboveTheEuropeanOneAndItsPayoff) {
    main.optCall = false;
    main.optEuro = false;
    open(ChartSource::Option);
    const Series& american = series(SeriesRole::Main);
    const Series& european = series(SeriesRole::Counterpart);
    const Series& payoff = series(SeriesRole::Payoff);
    EXPECT_EQ(american.name, "American");
    EXPECT_EQ(european.name, "European");
    for (std::size_t i = 0; i < chart.plot.x.size(); ++i) {
        EXPECT_GE(*american.y[i], *european.y[i] - 1e-3) << "at spot " << chart.plot.x[i];
        EXPECT_GE(*american.y[i], *payoff.y[i] - 2e-3) << "at spot " << chart.plot.x[i];
        EXPECT_DOUBLE_EQ(*payoff.y[i], std::max(64.0 - chart.plot.x[i], 0.0));
    }
    // Deep in the money the put is exercised at once: worth its payoff.
    EXPECT_NEAR(*american.y.front(), 64.0 - chart.plot.x.front(), 0.01);
    // The current terms are marked on the chosen curve.
    ASSERT_TRUE(chart.plot.current_x.has_value());
    EXPECT_EQ(*chart.plot.current_x, 60.0);
}

TEST_F(OptionChart, TheTitleStatesTheTermsWithTheChartedOneAsItsRange) {
    open(ChartSource::Option);
    EXPECT_EQ(chart.from, "30");
    EXPECT_EQ(chart.to, "90");
    EXPECT_EQ(chart.plot.title, "Value of the call against the spot");
    EXPECT_EQ(chart.plot.caption,
              "Call, European: spot 30 to 90, strike 64, dividend 2.1 %, time 0.5 years, rate 4.5 %, volatility 0.2");
    // After a Compute with another spot, the range follows it.
    main.current = "100";
    chart_follow(cx, ChartSource::Option);
    EXPECT_EQ(chart.from, "50");
    EXPECT_NE(chart.plot.caption.find("spot 50 to 150"), std::string::npos);
    // A range the user typed stays.
    chart.from = "55";
    chart.range_typed = true;
    main.current = "60";
    chart_follow(cx, ChartSource::Option);
    EXPECT_NE(chart.plot.caption.find("spot 55 to 150"), std::string::npos);
}

TEST_F(OptionChart, TheValueAxisNeverRunsPastZeroIntoValuesNoCurveHas) {
    // An option's value, its payoff and the counterpart are never below 0:
    // the axis starts at 0, not at a margin below it.
    open(ChartSource::Option);
    EXPECT_EQ(value_axis(chart.plot).low, 0.0);
    EXPECT_GT(value_axis(chart.plot).high, *series(SeriesRole::Payoff).y.back());
    // A put's Delta lies in [-1, 0]: the axis ends at 0.
    main.optCall = false;
    chart.y = OptionY::Delta;
    chart_draw(cx);
    EXPECT_EQ(value_axis(chart.plot).high, 0.0);
    EXPECT_LT(value_axis(chart.plot).low, -0.9);
    // Values on both sides keep a margin of 6 % of their span each side;
    // a flat curve a band around it.
    Plot both;
    both.series.push_back({"", SeriesRole::Main, {-1.0, std::nullopt, 3.0}, {}});
    EXPECT_DOUBLE_EQ(value_axis(both).low, -1.24);
    EXPECT_DOUBLE_EQ(value_axis(both).high, 3.24);
    Plot flat;
    flat.series.push_back({"", SeriesRole::Main, {0.0, 0.0}, {}});
    EXPECT_EQ(value_axis(flat).low, 0.0);
    EXPECT_EQ(value_axis(flat).high, 1.0);
}

TEST_F(OptionChart, SaveOffersANameThatSaysWhatIsSavedInTheLastFolderUsed) {
    open(ChartSource::Option);
    EXPECT_EQ(chart_file_name(chart), "value-of-the-call-against-the-spot.png");
    EXPECT_EQ(chart_save_suggestion(chart, "/home/u/Documents"),
              std::filesystem::path("/home/u/Documents/value-of-the-call-against-the-spot.png"));
    chart_saved_into(chart, "/tmp/charts/mine.svg");
    chart.y = OptionY::Gamma;
    chart_draw(cx);
    EXPECT_EQ(chart_save_suggestion(chart, "/home/u/Documents"),
              std::filesystem::path("/tmp/charts/gamma-of-the-call-against-the-spot.png"));
    // The table is saved as its figures.
    open(ChartSource::Scenario);
    EXPECT_EQ(chart_file_name(chart), "scenario-table-value.csv");
    chart.pnl = true;
    EXPECT_EQ(chart_file_name(chart), "scenario-table-pnl.csv");
}

TEST_F(OptionChart, TheScenarioTableValuesEveryCellAndItsProfitAndLoss) {
    open(ChartSource::Scenario);
    const ScenarioGrid& g = chart.grid;
    ASSERT_EQ(g.spots.size(), 9u);
    ASSERT_EQ(g.vols.size(), 7u);
    EXPECT_DOUBLE_EQ(g.spots.front(), 48.0);
    EXPECT_DOUBLE_EQ(g.spots.back(), 72.0);
    EXPECT_DOUBLE_EQ(g.vols.front(), 0.1);
    EXPECT_DOUBLE_EQ(g.vols.back(), 0.3);
    for (std::size_t i = 0; i < 9; ++i) {
        for (std::size_t j = 0; j < 7; ++j) {
            const double want = exact_bs(0.5, g.vols[j], 0.045, 64.0, g.spots[i], 0.021, true).value;
            EXPECT_NEAR(*g.value[i][j], want, 2e-3);
        }
    }
    // The middle cell holds the terms as typed: no profit, no loss; the
    // default value is about 2.0694. Every cell has four decimals, so a
    // column's points line up: by the closed form, the value at spot 48 and
    // volatility 0.1 is 0.0000429 (25 % out of the money), at spot 72 and
    // volatility 0.3 about 11.0084.
    EXPECT_EQ(scenario_cell(g, 4, 3, true), "0.0000");
    EXPECT_EQ(scenario_cell(g, 4, 3, false), "2.0694");
    EXPECT_EQ(scenario_cell(g, 0, 0, false), "0.0000");
    EXPECT_EQ(scenario_cell(g, 8, 6, false).substr(0, 5), "11.00");
    for (std::size_t i = 0; i < 9; ++i) {
        for (std::size_t j = 0; j < 7; ++j) {
            for (const bool pnl : {false, true}) {
                const std::string cell = scenario_cell(g, i, j, pnl);
                EXPECT_EQ(cell.size() - cell.find('.'), 5u) << cell;
            }
        }
    }
    EXPECT_EQ(scenario_title(false), "Scenario table: value over spot and volatility");
    EXPECT_EQ(scenario_title(true).rfind("Scenario table: P&L over spot and volatility", 0), 0u);
    // For a spreadsheet: a header line and nine rows of eight cells.
    const std::string tsv = chart_copy_text(chart);
    EXPECT_EQ(std::count(tsv.begin(), tsv.end(), '\n'), 10);
    EXPECT_EQ(std::count(tsv.begin(), tsv.end(), '\t'), 10 * 7);
    EXPECT_EQ(tsv.substr(0, tsv.find("\t0.1333")), "Value: spot \\ volatility\t0.1");
    EXPECT_EQ(tsv.substr(tsv.find('\n') + 1, 3), "48\t");
}

}  // namespace
}  // namespace tvx

namespace tvx::test {
namespace {

class AmericanCurve : public ChartFixture {};

TEST_F(AmericanCurve, WhereTheRuleWouldSwitchTheWholeCurveIsTheMethodsAndSaysSo) {
    // The defaults as an American put against its life from a few days to
    // 30 years, without a dividend: the grid values the short lives and not
    // the long ones. Every point is then the exercise-boundary method's
    // (a curve without a jump where the grid would give way), with a note.
    main.optEuro = false;
    main.optCall = false;
    main.dividend = "0";
    chart.x = OptionX::Time;
    chart.from = "0.025";
    chart.to = "30";
    chart.range_typed = true;
    open(ChartSource::Option);
    EXPECT_NE(chart.note.find(chart_text::american_by_method), std::string::npos) << chart.note;
    const Series& american = series(SeriesRole::Main);
    AmericanRule method(AmericanMethod::Boundary);
    for (const std::size_t k : {std::size_t{0}, std::size_t{100}, american.y.size() - 1}) {
        const OptionTerms o{chart.plot.x[k], 0.2, 0.045, 64, 60, 0.0, 1};
        ASSERT_TRUE(american.y[k]);
        EXPECT_EQ(*american.y[k], method.sensitivities(o).s.value) << chart.plot.x[k];
    }
    // Beside a European chart the American counterpart is drawn the same way.
    main.optEuro = true;
    open(ChartSource::Option);
    EXPECT_NE(chart.note.find(chart_text::american_by_method), std::string::npos) << chart.note;
    const Series& counterpart = series(SeriesRole::Counterpart);
    const OptionTerms last{chart.plot.x.back(), 0.2, 0.045, 64, 60, 0.0, 1};
    ASSERT_TRUE(counterpart.y.back());
    EXPECT_EQ(*counterpart.y.back(), method.value(last).value);
}

}  // namespace
}  // namespace tvx::test
