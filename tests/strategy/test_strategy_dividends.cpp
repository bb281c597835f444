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
#include "strategy/strategy_file.h"
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

TEST(StrategyFileDividends, TheScheduleAndExpiryDatesReadAndWriteBack) {
    // On 2027-01-01: an ex-date 2027-07-02 is 182 days, an expiry
    // 2028-01-01 365 days on Actual/365 Fixed.
    const Moment now = *parse_moment("2027-01-01");
    const StrategyFile f = read_strategy_file(R"({"spot": 100, "rate": 6, "dividend": 0,
        "dividends": "0.25:1, 2027-07-02:7", "dividend_model": "escrowed",
        "legs": [{"position": "long", "quantity": 1, "instrument": "call", "style": "american",
                  "strike": 100, "expiry": "2028-01-01", "volatility": 0.3}]})",
                                              now);
    ASSERT_TRUE(f.strategy) << f.error;
    const Strategy& s = *f.strategy;
    EXPECT_EQ(s.legs[0].time, 1.0);
    ASSERT_EQ(s.dividends.size(), 2u);
    EXPECT_EQ(s.dividends[0].time, 0.25);
    EXPECT_EQ(s.dividends[1].time, 182.0 / 365.0);
    EXPECT_EQ(s.dividends[1].amount, 7.0);
    EXPECT_EQ(s.dividend_model, DividendModel::Escrowed);

    // Written in years, read back to the same doubles on any day.
    const StrategyFile back = read_strategy_file(strategy_file_text(s));
    ASSERT_TRUE(back.strategy) << back.error;
    ASSERT_EQ(back.strategy->dividends.size(), 2u);
    EXPECT_EQ(back.strategy->dividends[1].time, s.dividends[1].time);
    EXPECT_EQ(back.strategy->dividend_model, DividendModel::Escrowed);
}

TEST(StrategyFileDividends, ABadScheduleOrExpiryIsRefusedWithItsKey) {
    const Moment now = *parse_moment("2027-01-01");
    const auto refusal = [&now](const std::string& top, const std::string& life) {
        const std::string text = R"({"spot": 100, "rate": 6, "dividend": 0, )" + top +
                                 R"("legs": [{"position": "long", "quantity": 1, "instrument": "put",
                                   "style": "european", "strike": 100, )" +
                                 life + R"(, "volatility": 0.3}]})";
        const StrategyFile f = read_strategy_file(text, now);
        return f.strategy ? std::string("read") : f.error;
    };
    EXPECT_EQ(refusal(R"("dividends": "0.5:7",)", R"("time": 1)"), "read");
    EXPECT_EQ(refusal(R"("dividends": "soon:7",)", R"("time": 1)"),
              std::string("Key \"dividends\", line 1: ") + dividend_text::not_a_schedule);
    // A dividend as large as the spot within the leg's life; after it, none.
    EXPECT_NE(refusal(R"("dividends": "0.5:100",)", R"("time": 1)").find(dividend_text::above_spot), std::string::npos);
    EXPECT_EQ(refusal(R"("dividends": "2:100",)", R"("time": 1)"), "read");
    EXPECT_NE(refusal(R"("dividend_model": "cash",)", R"("time": 1)").find(dividend_text::unknown_model),
              std::string::npos);
    EXPECT_NE(refusal("", R"("time": 1, "expiry": "2028-01-01")").find("not both"), std::string::npos);
    // Today's date has no life left; an expiry at 16:00 today has hours.
    EXPECT_NE(refusal("", R"("expiry": "2027-01-01")").find("must be a later date"), std::string::npos);
    EXPECT_EQ(refusal("", R"("expiry": "2027-01-01T16:00")"), "read");
}

}  // namespace
}  // namespace tvx
