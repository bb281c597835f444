// The Strategy Builder's checks, headless: which fields Compute reads, the
// order of its boxes, the field that takes the focus, and the chart's
// range read only once the rest has passed. The messages are the window's
// own words (strategy/rules.h), each leg's after "Leg N: ".
#include <gtest/gtest.h>

#include "instruments/calculator_checks.h"
#include "strategy/rules.h"
#include "strategy/strategy_commands.h"
#include "support/recording_ui.h"

namespace tvx::test {
namespace {

constexpr const char* kQuantity1 = "Leg 1: Quantity must be a whole number from 1 to 32767";

class StrategyChecksTest : public ::testing::Test {
protected:
    MainWindow main;
    StrategyWindow w;
    RecordingUi ui;

    // The main window's call (64, half a year, 0.2) as leg 1, and `more`
    // copies of it below.
    void open(int more = 0) {
        mnuStrategy_Click(main, w, ui);
        for (int k = 0; k < more; ++k) strategy_add_leg(w, ui);
    }
    void compute() {
        ui = RecordingUi{};
        strategy_compute(w, ui);
    }
    void expect_computed() {
        EXPECT_TRUE(ui.boxes().empty()) << (ui.boxes().empty() ? "" : ui.box_texts()[0]);
        EXPECT_EQ(ui.history.size(), 1u);
    }
};

// Every field at fault at once: a box for each, in tab order (the market
// terms, then each leg's columns left to right), the focus in the first;
// the dividend has no rule and the chart's range is not read yet.
TEST_F(StrategyChecksTest, EveryFailureInTabOrderAndTheFocusOnTheFirst) {
    open(1);
    w.spot = "0";
    w.rate = "-1";
    w.dividend = "-5";
    w.horizon = "0";
    w.spotvol = "-0.1";
    w.spot_from = "0";
    w.legs[0] = {Side::Long, Instrument::Put, LegStyle::American, "0", "0", "0", "0", "-0.5"};
    w.legs[1].quantity = "32768";
    w.legs[1].premium = "-1";
    compute();
    expect_refused(ui,
                   {"Spot Price must be positive", "Interest Rates must be positive", "Horizon must be positive",
                    "Spot Volatility must be positive", kQuantity1, "Leg 1: Strike Price must be positive",
                    "Leg 1: Time to Maturity must be positive", "Leg 1: Volatility must be positive",
                    "Leg 1: Premium must not be negative", "Leg 2: Quantity must be a whole number from 1 to 32767",
                    "Leg 2: Premium must not be negative"},
                   Window::Strategy, "spot");
    EXPECT_FALSE(w.report);
    EXPECT_TRUE(ui.history.empty());

    // With the market terms right, the first leg cell at fault takes it.
    w = StrategyWindow{};
    open(2);
    w.legs[1].time = "0";
    w.legs[2].volatility = "-0.2";
    compute();
    expect_refused(ui, {"Leg 2: Time to Maturity must be positive", "Leg 3: Volatility must be positive"},
                   Window::Strategy, "time2");
}

// A quantity is a whole number from 1 to 32767 as typed (not rounded); a
// premium may be nothing or 0.
TEST_F(StrategyChecksTest, TheEdgesOfAQuantityAndAPremium) {
    open();
    for (const char* q : {"0", "0.5", "1.5", "-1", "32768", "100000"}) {
        w.legs[0].quantity = q;
        compute();
        expect_refused(ui, {kQuantity1}, Window::Strategy, "quantity1");
    }
    w.legs[0].premium = "0";
    for (const char* q : {"1", "32767", "2.0"}) {
        w.legs[0].quantity = q;
        compute();
        expect_computed();
    }
}

// A text that is not a number stops Compute before any check, named by its
// caption: the first such field in tab order, whatever else is wrong.
// Rows not in use and a share's option cells are not read at all.
TEST_F(StrategyChecksTest, TextThatIsNotANumberComesBeforeEveryCheck) {
    open(1);
    w.spot = "0";
    w.legs[0].strike = "-1";
    w.legs[1].strike = "6 4";
    compute();
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{"Leg 2 Strike must be a number"});
    EXPECT_EQ(ui.events.back().text, "strike2");

    w.spot = "60";
    w.legs[0].strike = "64";
    w.legs[1].instrument = Instrument::Share;
    w.legs[2].strike = "not in use";
    compute();
    expect_computed();
}

// The chart's range is read once the strategy has passed: a text there
// that is not a number, or a From at or below 0, waits for the others.
TEST_F(StrategyChecksTest, TheChartsRangeIsReadOnceTheRestHasPassed) {
    open();
    w.spot = "0";
    w.spot_from = "abc";
    compute();
    expect_refused(ui, {"Spot Price must be positive"}, Window::Strategy, "spot");

    w.spot = "60";
    compute();
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{"Chart Spot From must be a number"});
    EXPECT_EQ(ui.events.back().text, "spotfrom");
    // It comes before the legs in tab order, so it is the one named.
    w.legs[0].volatility = "x";
    compute();
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{"Chart Spot From must be a number"});

    w.legs[0].volatility = "0.2";
    w.spot_from = "-10";
    w.spot_to = "abc";  // read with From, before From's check
    compute();
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{"Chart Spot To must be a number"});
    w.spot_to = "5";  // From's own check comes first, alone: the range is not weighed
    compute();
    expect_refused(ui, {strategy_text::spot_from}, Window::Strategy, "spotfrom");
    EXPECT_FALSE(w.report);
}

// Shares alone need both a horizon and a spot volatility: the focus goes
// to the first one missing; a horizon that fails its own check is told
// alone.
TEST_F(StrategyChecksTest, SharesAloneNeedAHorizonAndASpotVolatility) {
    open();
    w.legs[0] = {Side::Long, Instrument::Share, LegStyle::European, "100", "", "", "", ""};
    compute();
    expect_refused(ui, {strategy_text::shares_alone}, Window::Strategy, "horizon");
    w.horizon = "0";
    compute();
    expect_refused(ui, {"Horizon must be positive"}, Window::Strategy, "horizon");
    w.horizon = "0.5";
    compute();
    expect_refused(ui, {strategy_text::shares_alone}, Window::Strategy, "spotvol");
    w.spotvol = "0.2";
    compute();
    expect_computed();
}

}  // namespace
}  // namespace tvx::test
