// The Strategy Builder with cash dividends on its share and a leg's expiry
// given as a date: the legs valued as Compute values a schedule (Haug,
// Haug and Lewis's call, 11.1062 in the spot model and 10.6932 escrowed),
// the probability of profit on the escrowed model's distribution of the
// spot (the closed form written out with the standard library's erfc),
// and the schedule's refusals.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "core/dates.h"
#include "options/dividend_schedule.h"
#include "strategy/strategy_commands.h"
#include "support/black_scholes.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

class StrategyDividends : public ::testing::Test {
protected:
    StrategyWindow w;
    test::RecordingUi ui;

    // A long call S = K = 100, r = 6 %, sigma = 30 %, a year, no yield.
    void SetUp() override {
        w.spot = "100", w.rate = "6", w.dividend = "0";
        w.leg_count = 1;
        w.legs[0].strike = "100", w.legs[0].time = "1", w.legs[0].volatility = "0.3";
        w.dividends = "0.5:7";
    }
    double leg_value() {
        ui = test::RecordingUi{};
        strategy_compute(w, ui);
        EXPECT_TRUE(ui.boxes().empty()) << (ui.boxes().empty() ? "" : ui.boxes()[0].text);
        return w.report ? w.report->figures.legs[0].unit.value : 0.0;
    }
};

TEST_F(StrategyDividends, LegsAreValuedWithTheScheduleUnderEitherModel) {
    EXPECT_NEAR(leg_value(), 11.1062, 5e-5);
    w.dividend_model = "escrowed";
    EXPECT_NEAR(leg_value(), 10.6932, 5e-5);
    // The premium was the value: at expiry the call pays S - 100 above 100
    // and the profit region starts at 100 + 10.6932. The escrowed spot at
    // the horizon (the expiry) is lognormal from 100 - 7 e^(-0.03).
    const double reduced = 100.0 - 7.0 * std::exp(-0.03);
    const double z = (std::log((100.0 + w.report->figures.legs[0].premium) / reduced) - (0.06 - 0.045)) / 0.3;
    EXPECT_NEAR(w.report->figures.at_horizon.probability, 1.0 - test::exact_N(z), 1e-9);
}

TEST_F(StrategyDividends, ALegsExpiryMayBeADate) {
    const double by_years = leg_value();
    // A year from today, 365 days: the same life.
    const Day today = local_now().day;
    w.legs[0].time = day_text(today + std::chrono::days{365});
    EXPECT_DOUBLE_EQ(leg_value(), by_years);
}

TEST_F(StrategyDividends, TheScheduleIsCheckedAgainstTheSpot) {
    w.dividends = "0.5:100";
    strategy_compute(w, ui);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].text, dividend_text::above_spot);
    ui = test::RecordingUi{};
    w.dividends = "half a year:7";
    strategy_compute(w, ui);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].text, dividend_text::not_a_schedule);
}

}  // namespace
}  // namespace tvx
