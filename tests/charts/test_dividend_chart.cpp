// The option's chart with cash dividends: every point valued with the
// dividends within its life (Haug, Haug and Lewis's call, 11.1062 at the
// current terms), so that against the time to expiry the curve follows the
// closed form without a dividend up to the ex-date and drops below it
// after (the kink), with the ex-date marked there.
#include <cmath>

#include "charts/chart_fixture.h"
#include "charts/chart_text.h"
#include "options/dividend_schedule.h"
#include "support/black_scholes.h"

namespace tvx::test {
namespace {

class DividendChart : public ChartFixture {
protected:
    void SetUp() override {
        main.current = "100", main.strike = "100", main.irate = "6", main.dividend = "0";
        main.time = "1", main.qqq = "0.3";
        main.dividends = "0.5:7";
    }
};

TEST_F(DividendChart, AgainstTheSpotTheCurrentPointIsTheExactValue) {
    open(ChartSource::Option);
    ASSERT_TRUE(ui.boxes().empty());
    ASSERT_TRUE(chart.plot.current_y.has_value());
    EXPECT_NEAR(*chart.plot.current_y, 11.1062, 5e-5);
    EXPECT_NE(chart.note.find("Cash dividends: 1 before expiry, spot model"), std::string::npos) << chart.note;
    // The European call is worth less than without the dividend at every
    // spot, and at least the escrowed call (lower bound by 10.6932 - 11.1062).
    for (std::size_t i = 0; i < chart.plot.x.size(); i += 20) {
        const double S = chart.plot.x[i];
        EXPECT_LT(*chart.plot.series[0].y[i], exact_bs(1, 0.3, 0.06, 100, S, 0, true).value) << S;
    }
}

TEST_F(DividendChart, AgainstTheTimeTheCurveDropsAtTheExDate) {
    chart.x = OptionX::Time;
    open(ChartSource::Option);
    ASSERT_TRUE(ui.boxes().empty());
    const Plot& p = chart.plot;
    ASSERT_EQ(p.x_marks.size(), 1u);
    EXPECT_EQ(p.x_marks[0].x, 0.5);
    EXPECT_EQ(p.x_marks[0].name, chart_text::ex_dates);
    bool before = false, after = false;
    for (std::size_t i = 0; i < p.x.size(); ++i) {
        const double t = p.x[i], plain = exact_bs(t, 0.3, 0.06, 100, 100, 0, true).value;
        if (t < 0.5) {
            before = true;
            EXPECT_NEAR(*p.series[0].y[i], plain, 1e-8 * plain) << t;
        } else if (t > 0.5 && t < 0.55) {
            // Just past the ex-date the share has lost about 7: the call
            // falls by about its delta (0.5) times 7.
            after = true;
            EXPECT_LT(*p.series[0].y[i], plain - 2.5) << t;
        }
    }
    EXPECT_TRUE(before && after);
}

TEST_F(DividendChart, TheSimulationRefusesTheScheduleAsComputeDoes) {
    main.svol = true;
    open(ChartSource::Option);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].text, dividend_text::simulated);
}

}  // namespace
}  // namespace tvx::test
