// The convertible bond calculator headless. References: the straight bond
// by the closed-form annuity (see test_bonds.cpp), the conversion right as
// R Black-Scholes-Merton calls evaluated with the exact normal distribution
// (std::erfc), and the documented example figures: K = 10, n = 4, the bond
// part 114.3501... per cent, V about 2.0645 a share, and a fair value of
// 134.9954% with the default terms.
#include <gtest/gtest.h>

#include <cmath>

#include "instruments/bonds.h"
#include "instruments/calculator_checks.h"
#include "instruments/convertible.h"

namespace tvx::test {
namespace {

double exact_call(double T, double sigma, double r, double K, double S, double q) {
    const auto n = [](double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); };
    const double d1 = (std::log(S / K) + (r - q + sigma * sigma / 2) * T) / (sigma * std::sqrt(T));
    const double d2 = d1 - sigma * std::sqrt(T);
    return S * std::exp(-q * T) * n(d1) - K * std::exp(-r * T) * n(d2);
}

// The straight bond with the default terms, annual: n = 4 at 4.5 %.
const double kBondPercent = (1000 * std::pow(1.045, -4) + 85 * (1 - std::pow(1.045, -4)) / 0.045) / 10;

TEST(ConvertibleValue, StraightBondPlusRCalls) {
    EXPECT_NEAR(kBondPercent, 114.3501, 5e-5);
    // The cumulative normal of the closed form is good to about 1e-5, so a
    // call on a $9.5 share is good to about 2e-4 and ten of them per cent
    // of par to about 2e-3.
    const double V = exact_call(3.5, 0.3, 0.045, 10, 9.5, 0.021);
    EXPECT_NEAR(V, 2.0645, 5e-5);
    const double q = convertible_value(1000, 0.085, 0.045, 4, 100, 3.5, 9.5, 0.3, 0.045, 0.021);
    EXPECT_NEAR(q, kBondPercent + 100 * V / 1000 * 100, 2e-3);

    // More shares per bond: the same calls, more of them, at a lower strike.
    const double V50 = exact_call(3.5, 0.3, 0.045, 1000.0 / 250, 9.5, 0.021);
    EXPECT_NEAR(convertible_value(1000, 0.085, 0.045, 4, 250, 3.5, 9.5, 0.3, 0.045, 0.021),
                kBondPercent + 250 * V50 / 1000 * 100, 5e-3);
}

TEST(ConvertibleValue, WorthlessRightLeavesTheStraightBond) {
    const double q = convertible_value(1000, 0.085, 0.045, 4, 100, 3.5, 0.01, 0.3, 0.045, 0.021);
    EXPECT_NEAR(q, kBondPercent, 1e-9);
}

class Convertible : public ::testing::Test {
protected:
    ConvertibleBondsWindow w;
    RecordingUi ui;
    void compute() { Command1_Click(w, ui); }
    std::string result() {
        RecordingUi r;
        Command1_Click(w, r);
        return r.box_texts().empty() ? std::string() : r.box_texts().back();
    }
};

TEST_F(Convertible, DefaultsGiveTheDocumentedFairValue) {
    compute();
    expect_result(ui, "The fair value for this convertible bond is 134.9954%");
    EXPECT_TRUE(ever_busy(ui));
}

TEST_F(Convertible, SemiAnnualUsesSevenPeriods) {
    w.payment = false;
    // The conversion right is the same as in the annual case; the bond part
    // changes from 114.3501... to 112.8204925... per cent.
    const double bond7 = (1000 * std::pow(1.0225, -7) + 42.5 * (1 - std::pow(1.0225, -7)) / 0.0225) / 10;
    const double expected = 134.9954 - kBondPercent + bond7;
    const std::string text = result();
    const std::string prefix = "The fair value for this convertible bond is ";
    ASSERT_EQ(text.rfind(prefix, 0), 0u) << text;
    EXPECT_NEAR(std::stod(text.substr(prefix.size())), expected, 1.5e-4);
    EXPECT_EQ(text.back(), '%');
}

TEST_F(Convertible, TinySharePriceGivesTheStraightBond) {
    w.sprice = "0.01";
    EXPECT_EQ(result(), "The fair value for this convertible bond is 114.3501%");
}

TEST_F(Convertible, ConversionRatioRoundsToAWholeNumberTiesToEven) {
    for (const char* r : {"0.4", "0.5", "-3"}) {
        SCOPED_TRACE(r);
        ConvertibleBondsWindow bad;
        bad.conr = r;
        RecordingUi rec;
        Command1_Click(bad, rec);
        expect_refused(rec, {"Error: Conversion Ratio must be greater than zero"}, Window::Bonds, "conr");
    }
    w.conr = "0.6";
    const std::string point_six = result();
    w.conr = "1";
    EXPECT_EQ(result(), point_six);
    w.conr = "2.5";
    const std::string two_and_a_half = result();
    w.conr = "2";
    EXPECT_EQ(result(), two_and_a_half);
    w.conr = "1.5";
    EXPECT_EQ(result(), two_and_a_half);
}

TEST_F(Convertible, VolatilityIsAFractionNotAPercentage) {
    // At 3000 % volatility the call is worth S e^(-qT): 8.82679338... a
    // share, 88.2679... per cent of par for 100 shares.
    w.vol = "30";
    const std::string text = result();
    const std::string prefix = "The fair value for this convertible bond is ";
    ASSERT_EQ(text.rfind(prefix, 0), 0u) << text;
    EXPECT_NEAR(std::stod(text.substr(prefix.size())), kBondPercent + 100 * 9.5 * std::exp(-0.021 * 3.5) / 10, 1.5e-4);
}

TEST_F(Convertible, DividendYieldIsNotChecked) {
    w.del = "0";
    EXPECT_EQ(result().rfind("The fair value for this convertible bond is ", 0), 0u);
    w.del = "-1";
    EXPECT_EQ(result().rfind("The fair value for this convertible bond is ", 0), 0u);
}

TEST_F(Convertible, OnlyTheFirstFailureIsShownInOrder) {
    w.sprice = "0";
    w.vol = "0";
    compute();
    expect_refused(ui, {"Error: Share Price must be greater than zero"}, Window::Bonds, "sprice");

    const struct {
        std::string ConvertibleBondsWindow::*field;
        const char* name;
        const char* message;
    } checks[] = {
        {&ConvertibleBondsWindow::pvalue, "pvalue", "Error: Nominal Value must be greater than zero"},
        {&ConvertibleBondsWindow::coup, "coup", "Error: Coupon must be greater than zero"},
        {&ConvertibleBondsWindow::ttm, "ttm", "Error: Time to Maturity must be greater than zero"},
        {&ConvertibleBondsWindow::ir, "ir", "Error: Risk-free interest rate must be greater than zero"},
        {&ConvertibleBondsWindow::vol, "vol", "Error: Volatility must be greater than zero"},
    };
    for (const auto& c : checks) {
        SCOPED_TRACE(c.name);
        ConvertibleBondsWindow bad;
        bad.*c.field = "0";
        RecordingUi r;
        Command1_Click(bad, r);
        expect_refused(r, {c.message}, Window::Bonds, c.name);
    }
}

TEST_F(Convertible, BadTextAndLimitsGiveTheGenericError) {
    const struct {
        std::string ConvertibleBondsWindow::*field;
        const char* text;
    } cases[] = {
        {&ConvertibleBondsWindow::del, ""},          // converted before the checks
        {&ConvertibleBondsWindow::vol, "0.3 "},      // blanks are fine ...
        {&ConvertibleBondsWindow::vol, "30%"},       // ... a unit is not
        {&ConvertibleBondsWindow::conr, "40000"},    // beyond 16 bits
        {&ConvertibleBondsWindow::conr, "32767.5"},  // rounds to 32,768
        {&ConvertibleBondsWindow::ttm, "40000"},     // period count beyond 16 bits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ConvertibleBondsWindow bad;
        bad.*c.field = c.text;
        RecordingUi r;
        Command1_Click(bad, r);
        if (std::string(c.text) == "0.3 ") {
            expect_result(r, "The fair value for this convertible bond is 134.9954%");
        } else {
            expect_generic_error(r);
        }
    }
    // Bad text beats a failed check.
    w.pvalue = "0";
    w.sprice = "nine";
    compute();
    expect_generic_error(ui);
}

TEST_F(Convertible, CancelRestoresDefaultsAndUnloads) {
    w.payment = false;
    w.conr = "7";
    Command2_Click(w, ui);
    expect_cancelled(w, ui, Window::Bonds);
}

}  // namespace
}  // namespace tvx::test
