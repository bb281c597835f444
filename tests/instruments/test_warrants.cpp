// The warrant calculator headless. Reference figures follow from the
// definitions by hand: intrinsic max(S - X, 0), time value max(W - I, 0),
// premium max(W + X - S, 0) / S, leverage S / W.
#include <gtest/gtest.h>

#include "core/fault.h"
#include "instruments/calculator_checks.h"
#include "instruments/warrants.h"

namespace tvx::test {
namespace {

TEST(WarrantValues, OutOfTheMoneyInTheMoneyAndAtTheMoney) {
    // Defaults: S 12 below X 15, so nothing intrinsic; (2 + 15 - 12) / 12 = 5/12.
    WarrantFigures f = warrant_values(12, 15, 2);
    EXPECT_EQ(f.intrinsic, 0.0);
    EXPECT_EQ(f.time, 2.0);
    EXPECT_DOUBLE_EQ(f.premium, 5.0 / 12.0);
    EXPECT_EQ(f.leverage, 6.0);

    // Trading below intrinsic: W - I = -1 and W + X - S = -1 are floored.
    f = warrant_values(20, 15, 4);
    EXPECT_EQ(f.intrinsic, 5.0);
    EXPECT_EQ(f.time, 0.0);
    EXPECT_EQ(f.premium, 0.0);
    EXPECT_EQ(f.leverage, 5.0);

    // At the money the whole price is time value and the premium is W / S.
    f = warrant_values(8, 8, 2);
    EXPECT_EQ(f.intrinsic, 0.0);
    EXPECT_EQ(f.time, 2.0);
    EXPECT_EQ(f.premium, 0.25);
    EXPECT_EQ(f.leverage, 4.0);
}

TEST(WarrantValues, OverflowIsAFaultNotInfinity) {
    EXPECT_THROW(warrant_values(1e308, 1.7e308, 1.7e308), RuntimeError);  // W + X
    EXPECT_THROW(warrant_values(1e300, 1.0, 1e-300), RuntimeError);       // S / W
}

class Warrants : public ::testing::Test {
protected:
    WarrantsWindow w;
    RecordingUi ui;
    void compute() { Command1_Click(w, ui); }
};

TEST_F(Warrants, DefaultsGiveTheFourFiguresOnFourLines) {
    compute();
    expect_result(ui,
                  "The intrinsic value is 0\rThe time value is 2\rThe premium is 0.416666666666667\r"
                  "The leverage is 6");
    EXPECT_TRUE(ever_busy(ui));
    EXPECT_TRUE(w == WarrantsWindow{});  // the texts stay as they were
}

TEST_F(Warrants, BelowIntrinsicValue) {
    w.share = "20";
    w.exercise = "15";
    w.warrant = "4";
    compute();
    expect_result(ui, "The intrinsic value is 5\rThe time value is 0\rThe premium is 0\rThe leverage is 5");
}

TEST_F(Warrants, TimeIsCheckedButEntersNoFigure) {
    w.time = "0";
    compute();
    expect_refused(ui, {"Error: Time to Maturity must be positive"}, Window::Warrants, "time");

    RecordingUi later;
    w.time = "25";
    Command1_Click(w, later);
    expect_result(later,
                  "The intrinsic value is 0\rThe time value is 2\rThe premium is 0.416666666666667\r"
                  "The leverage is 6");
}

TEST_F(Warrants, OnlyTheFirstFailureIsShown) {
    w.share = "-1";
    w.exercise = "-1";
    w.warrant = "0";
    compute();
    expect_refused(ui, {"Error: Share Price must be positive"}, Window::Warrants, "share");
}

TEST_F(Warrants, EachCheckInTurn) {
    const struct {
        std::string WarrantsWindow::*field;
        const char* name;
        const char* message;
    } checks[] = {
        {&WarrantsWindow::exercise, "exercise", "Error: Exercise Price must be positive"},
        {&WarrantsWindow::warrant, "warrant", "Error: Warrant Price must be positive"},
    };
    for (const auto& c : checks) {
        SCOPED_TRACE(c.name);
        WarrantsWindow bad;
        bad.*c.field = "0";
        RecordingUi r;
        Command1_Click(bad, r);
        expect_refused(r, {c.message}, Window::Warrants, c.name);
    }
}

TEST_F(Warrants, TextIsConvertedBeforeAnyCheck) {
    w.share = "0";
    w.exercise = "abc";
    compute();
    expect_generic_error(ui);

    for (const char* text : {"", " ", "2,0", "1e999"}) {
        SCOPED_TRACE(text);
        WarrantsWindow bad;
        bad.warrant = text;
        RecordingUi r;
        Command1_Click(bad, r);
        expect_generic_error(r);
    }
}

TEST_F(Warrants, ArithmeticFaultGivesTheGenericError) {
    w.share = "1e300";
    w.warrant = "1e-300";
    compute();
    expect_generic_error(ui);
    EXPECT_TRUE(ever_busy(ui));  // it failed after the checks
}

TEST_F(Warrants, CancelRestoresDefaultsAndUnloads) {
    w.share = "99";
    Command2_Click(w, ui);
    expect_cancelled(w, ui, Window::Warrants);
}

}  // namespace
}  // namespace tvx::test
