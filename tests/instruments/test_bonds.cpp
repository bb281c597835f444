// The straight bond calculator headless. Reference: the closed-form
// annuity factor a = (1 - (1+y)^-n) / y, so the value is
// P (1+y)^-n + P c a; and the documented examples of the window
// (114.3501% annual, 112.8205% semi-annual with the default terms).
#include <gtest/gtest.h>

#include <cmath>

#include "core/fault.h"
#include "instruments/bonds.h"
#include "instruments/calculator_checks.h"

namespace tvx::test {
namespace {

double closed_form_bond(double P, double c, double y, int n) {
    return P * std::pow(1 + y, -n) + P * c * (1 - std::pow(1 + y, -n)) / y;
}

TEST(BondValue, MatchesTheClosedFormAnnuity) {
    const struct {
        double P, c, y;
        int n;
    } cases[] = {{1000, 0.085, 0.045, 4},
                 {1000, 0.0425, 0.0225, 7},
                 {1, 0.2, 0.01, 1},
                 {100, 0.03, 0.07, 360},
                 {1000, 0.05, 0.0001, 32766}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        const double expected = closed_form_bond(c.P, c.c, c.y, c.n);
        EXPECT_NEAR(bond_value(c.P, c.c, c.y, static_cast<std::int16_t>(c.n)), expected, 1e-10 * c.P * (1 + c.c * c.n));
    }
}

TEST(BondValue, NoPeriodsLeavesParAndCouponAtTheRateIsPar) {
    EXPECT_EQ(bond_value(1000, 0.085, 0.045, 0), 1000.0);
    // A coupon equal to the discount rate prices the bond at par.
    for (int n : {1, 5, 30}) EXPECT_NEAR(bond_value(1000, 0.06, 0.06, static_cast<std::int16_t>(n)), 1000, 1e-9);
}

TEST(BondValue, ThePeriodCounterIsSixteenBits) {
    // The counter would step past 32,767 after the last coupon.
    EXPECT_THROW(bond_value(1000, 0.05, 0.01, 32767), RuntimeError);
}

TEST(BondPeriods, CountRoundsTiesToEvenAndSemiAnnualHalvesTheRate) {
    EXPECT_EQ(bond_periods(0.045, 3.5, true).n, 4);
    EXPECT_EQ(bond_periods(0.045, 2.5, true).n, 2);
    EXPECT_EQ(bond_periods(0.045, 0.5, true).n, 0);
    EXPECT_EQ(bond_periods(0.045, 1.25, false).n, 2);  // m T = 2.5
    const BondPeriods semi = bond_periods(0.045, 3.5, false);
    EXPECT_EQ(semi.n, 7);
    EXPECT_EQ(semi.y, 0.0225);
    EXPECT_THROW(bond_periods(0.045, 40000, true), RuntimeError);
}

class StraightBonds : public ::testing::Test {
protected:
    StraightBondsWindow w;
    RecordingUi ui;
    void compute() { Command1_Click(w, ui); }
    // The result box's text for the current terms, on a fresh recording.
    std::string result() {
        RecordingUi r;
        Command1_Click(w, r);
        return r.box_texts().empty() ? std::string() : r.box_texts().back();
    }
};

TEST_F(StraightBonds, DefaultsAnnualAndSemiAnnual) {
    compute();
    expect_result(ui, "The fair value for this bond is 114.3501%");
    EXPECT_TRUE(ever_busy(ui));

    w.payment = false;
    EXPECT_EQ(result(), "The fair value for this bond is 112.8205%");
}

TEST_F(StraightBonds, ParValueCancels) {
    w.pvalue = "1";
    EXPECT_EQ(result(), "The fair value for this bond is 114.3501%");
}

TEST_F(StraightBonds, NoCouponPeriodLeftIsExactlyPar) {
    for (const char* t : {"0.25", "0.5"}) {
        w.ttm = t;
        EXPECT_EQ(result(), "The fair value for this bond is 100%") << t;
    }
}

TEST_F(StraightBonds, TimeCountsOnlyThroughTheRoundedPeriods) {
    w.ttm = "2";
    const std::string two = result();
    w.ttm = "2.5";  // rounds to 2, the even neighbour
    EXPECT_EQ(result(), two);
    // n = 2: 1000 / 1.045^2 + 85 (1 - 1.045^-2) / 0.045 = 1074.9067...
    EXPECT_EQ(two, "The fair value for this bond is 107.4907%");
}

TEST_F(StraightBonds, CouponAtTheRateIsPar) {
    w.coup = "4.5";
    w.ttm = "10";
    EXPECT_EQ(result(), "The fair value for this bond is 100%");
}

TEST_F(StraightBonds, OnlyTheFirstFailureIsShown) {
    w.ir = "0";
    w.coup = "0";
    compute();
    expect_refused(ui, {"Error: Coupon must be greater than zero"}, Window::Bonds2, "coup");

    const struct {
        std::string StraightBondsWindow::*field;
        const char* name;
        const char* message;
    } checks[] = {
        {&StraightBondsWindow::pvalue, "pvalue", "Error: Nominal Value must be greater than zero"},
        {&StraightBondsWindow::ttm, "ttm", "Error: Time to Maturity must be greater than zero"},
        {&StraightBondsWindow::ir, "ir", "Error: Risk-free interest rate must be greater than zero"},
    };
    for (const auto& c : checks) {
        SCOPED_TRACE(c.name);
        StraightBondsWindow bad;
        bad.*c.field = "-0.5";
        RecordingUi r;
        Command1_Click(bad, r);
        expect_refused(r, {c.message}, Window::Bonds2, c.name);
    }
}

TEST_F(StraightBonds, BadTextAndSixteenBitLimitsGiveTheGenericError) {
    const struct {
        std::string StraightBondsWindow::*field;
        const char* text;
    } cases[] = {
        {&StraightBondsWindow::ir, ""},        // empty, converted before the checks
        {&StraightBondsWindow::coup, "8.5%"},  // not a number
        {&StraightBondsWindow::ttm, "32767"},  // n = 32,767: the counter overflows
        {&StraightBondsWindow::ttm, "40000"},  // n beyond 16 bits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        StraightBondsWindow bad;
        bad.*c.field = c.text;
        RecordingUi r;
        Command1_Click(bad, r);
        expect_generic_error(r);
    }
    // The last count that fits: 32,766 periods, the coupon at a rate low
    // enough for 1.0001^32766 to stay finite.
    w.coup = w.ir = "0.01";
    w.ttm = "32766";
    EXPECT_EQ(result(), "The fair value for this bond is 100%");
}

TEST_F(StraightBonds, EveryPeriodCountBelowTheLimitHasAValueWherePowersOverflow) {
    // 1.045^16126 is beyond the doubles, but the bond is then a perpetuity
    // to double precision: c / y of par, 8.5 / 4.5 = 188.8889 %; the same
    // at 32,766 periods and semi-annually (32,252 periods of 2.25 %).
    for (const char* years : {"16126", "32766"}) {
        w.ttm = years;
        EXPECT_EQ(result(), "The fair value for this bond is 188.8889%") << years;
    }
    w.ttm = "16126";
    w.payment = false;
    EXPECT_EQ(result(), "The fair value for this bond is 188.8889%");
    // A rate of 1e306 per cent discounts every payment to nothing.
    w = StraightBondsWindow{};
    w.ir = "1e306";
    EXPECT_EQ(result(), "The fair value for this bond is 0%");
}

TEST_F(StraightBonds, SemiAnnualCountRoundsTiesToEven) {
    // m T = 2.5 rounds to 2 periods, the same as one year semi-annually.
    w.payment = false;
    w.ttm = "1.25";
    const std::string ties = result();
    w.ttm = "1";
    EXPECT_EQ(result(), ties);
}

TEST_F(StraightBonds, CancelRestoresDefaultsAndUnloads) {
    w.payment = false;
    w.coup = "3";
    Command2_Click(w, ui);
    expect_cancelled(w, ui, Window::Bonds2);
}

}  // namespace
}  // namespace tvx::test
