// The forward and futures calculator headless. References: textbook
// forward pricing with continuous compounding, F = S e^((r-q)T) and the
// value of a long position f = (F - K) e^(-rT), and the documented
// examples of the window.
#include <gtest/gtest.h>

#include <cmath>

#include "instruments/calculator_checks.h"
#include "instruments/futures.h"

namespace tvx::test {
namespace {

TEST(ForwardValues, AgreeWithTextbookForwardPricing) {
    const struct {
        double r, T, S, K, q;
    } cases[] = {{4.5, 0.5, 264, 270, 1.1}, {4.5, 0.5, 264, 270, 0}, {10, 3, 50, 40, -2}, {0.5, 10, 1, 2, 7}};
    for (const auto& c : cases) {
        const ForwardFigures f = forward_values(c.r, c.T, c.S, c.K, c.q);
        const double F = c.S * std::exp((c.r - c.q) / 100 * c.T);
        EXPECT_NEAR(f.price, F, 1e-12 * F);
        EXPECT_NEAR(f.value, (F - c.K) * std::exp(-c.r / 100 * c.T), 1e-11 * c.S);
        // A contract struck at the forward price is worth nothing.
        EXPECT_NEAR(forward_values(c.r, c.T, c.S, f.price, c.q).value, 0.0, 1e-12 * c.S);
    }
    // Without dividends: f = S - K e^(-rT), F = S e^(rT).
    const ForwardFigures f = forward_values(4.5, 0.5, 264, 270, 0);
    EXPECT_NEAR(f.value, 264 - 270 * std::exp(-0.0225), 1e-12);
    EXPECT_NEAR(f.price, 264 * std::exp(0.0225), 1e-12);
}

class Futures : public ::testing::Test {
protected:
    FuturesWindow w;
    RecordingUi ui;
    void calculate() { Command1_Click(w, ui); }
};

TEST_F(Futures, DefaultsGiveValueAndForwardPrice) {
    calculate();
    expect_result(ui, "The value of the forward contract is -1.4408 dollars\rThe forward price is 268.5264 dollars");
    EXPECT_FALSE(ever_busy(ui));  // instantaneous: no busy pointer
}

TEST_F(Futures, DeliveryAtTheReportedForwardPriceIsWorthZero) {
    w.delivery = "268.5264";
    calculate();
    expect_result(ui, "The value of the forward contract is 0 dollars\rThe forward price is 268.5264 dollars");
}

TEST_F(Futures, EveryFailureHasItsBoxInOrder) {
    w.ir = "0";
    w.spot = "-5";
    w.pvalue = "0";
    calculate();
    expect_refused(ui,
                   {"Interest Rates must be positive", "Spot Price must be positive", "Present Value must be positive"},
                   Window::Futures, "ir");

    FuturesWindow all;
    all.ir = all.delivery = all.spot = all.time = all.pvalue = "0";
    RecordingUi r;
    Command1_Click(all, r);
    expect_refused(r,
                   {"Interest Rates must be positive", "Delivery Price must be positive", "Spot Price must be positive",
                    "Time to Maturity must be positive", "Present Value must be positive"},
                   Window::Futures, "ir");

    FuturesWindow late;
    late.time = "-1";
    RecordingUi r2;
    Command1_Click(late, r2);
    expect_refused(r2, {"Time to Maturity must be positive"}, Window::Futures, "time");
}

TEST_F(Futures, NegativeYieldIsAcceptedAndRaisesTheForwardPrice) {
    w.yield = "-2";
    calculate();
    ASSERT_EQ(ui.boxes().size(), 1u);
    // F = 264 e^((4.5 + 2) / 100 * 0.5) = 272.72094... > 264 e^(0.0225) = 270.00732...
    EXPECT_NE(ui.boxes()[0].text.find("The forward price is 272.7209 dollars"), std::string::npos);
}

TEST_F(Futures, PresentValueOfIncomeEntersNoResult) {
    w.pvalue = "1";
    calculate();
    RecordingUi other;
    w.pvalue = "1000";
    Command1_Click(w, other);
    EXPECT_EQ(ui.box_texts(), other.box_texts());
    expect_result(other, "The value of the forward contract is -1.4408 dollars\rThe forward price is 268.5264 dollars");
}

TEST_F(Futures, BadTextBeatsEveryCheck) {
    w.time = "abc";
    w.ir = "0";
    w.spot = "-1";
    calculate();
    expect_generic_error(ui);
}

TEST_F(Futures, ResultsBeyondTheRoundingLimitOrExponentOverflow) {
    w.spot = "1e15";  // f and F both near 1e15, past 922,337,203,685,477
    calculate();
    expect_generic_error(ui);

    FuturesWindow huge;
    huge.ir = "100000";
    huge.time = "1000";  // e^(1000 * 1000)
    RecordingUi r;
    Command1_Click(huge, r);
    expect_generic_error(r);
}

TEST_F(Futures, LargeFiguresKeepTheirFourDecimals) {
    // Delivery 1 and a 4.5 % yield against the 4.5 % rate: F = S exactly
    // in the exponent, e^0 = 1, and f = S e^(-0.0225) - e^(-0.0225).
    w.spot = "123456789012.3456";
    w.delivery = "1";
    w.yield = "4.5";
    calculate();
    expect_result(ui,
                  "The value of the forward contract is 120710028195.7598 dollars\r"
                  "The forward price is 123456789012.3456 dollars");
}

TEST_F(Futures, CancelRestoresDefaultsAndUnloads) {
    w.ir = "7";
    w.yield = "0";
    Command2_Click(w, ui);
    expect_cancelled(w, ui, Window::Futures);
}

}  // namespace
}  // namespace tvx::test
