// The straight bond's Yield and Risk and the convertible's Analytics,
// headless. References: the bond's own value (bond_value through Compute's
// straight_percent, a separate sum by powers) for the yield; the duration
// and convexity sums written out term by term for a two- and a five-period
// bond, and central differences of the value in the rate; the convertible's
// parity and premium by hand from the documented 134.9954%, its delta from
// the exact normal distribution and a central difference of the exactly
// valued fair value in the share price.
#include <gtest/gtest.h>

#include <cmath>

#include "instruments/bond_analytics.h"
#include "instruments/bonds.h"
#include "instruments/calculator_checks.h"
#include "instruments/convertible.h"
#include "support/black_scholes.h"

namespace tvx::test {
namespace {

StraightBondTerms bond(double coupon_percent, double T, bool annual, double rate_percent = 5) {
    const double m = annual ? 1 : 2;
    return {1000, coupon_percent / 100 / m, annual, T, rate_percent / 100};
}

// Yield on the window; no value when it gave none.
std::optional<BondYield> yield_of(const StraightBondsWindow& w, RecordingUi& ui) {
    StraightBondsWindow copy = w;
    BondYield y{-1};
    cmdYield_Click(copy, ui, &y);
    if (y.yield == -1) return std::nullopt;
    return y;
}

TEST(BondYield, ThePriceAtTheFoundYieldIsTheTypedPrice) {
    const struct {
        const char *coupon, *time, *price;
        bool annual;
    } cases[] = {
        {"8.5", "3.5", "105", true},     // a premium bond, the defaults otherwise
        {"8.5", "3.5", "60", true},      // a deep discount
        {"8.5", "3.5", "133.99", true},  // just below the sum of the payments, 134
        {"8.5", "1", "99.5", true},      // one period: the yield in closed form
        {"2", "30", "70", false},        // sixty half-years
        {"0.01", "10", "1", true},       // almost a zero-coupon bond far below par
        {"12", "500", "20", false},      // a thousand periods
        {"5", "7", "1e-6", true},        // a price far below every coupon: a huge yield
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.coupon) + " " + c.time + " " + c.price);
        StraightBondsWindow w;
        w.coup = c.coupon;
        w.ttm = c.time;
        w.mprice = c.price;
        w.payment = c.annual;
        RecordingUi ui;
        const auto y = yield_of(w, ui);
        ASSERT_TRUE(y.has_value()) << testing::PrintToString(ui.box_texts());
        EXPECT_GT(y->yield, 0.0);
        // The fair value at that rate, as Compute works it out.
        const StraightBondTerms b = bond(std::stod(c.coupon), std::stod(c.time), c.annual, y->yield);
        EXPECT_NEAR(straight_percent(b), std::stod(c.price), 1e-10);
    }
    // One period: 1.085 / (1 + y) = 0.995, so y = 1.085 / 0.995 - 1.
    StraightBondsWindow one;
    one.ttm = "1";
    one.mprice = "99.5";
    RecordingUi ui;
    EXPECT_NEAR(yield_of(one, ui)->yield, (1.085 / 0.995 - 1) * 100, 1e-12);
}

TEST(BondYield, AParBondYieldsItsCoupon) {
    for (const bool annual : {true, false}) {
        for (const char* coupon : {"8.5", "3", "12.25"}) {
            SCOPED_TRACE(coupon);
            StraightBondsWindow w;
            w.payment = annual;
            w.coup = coupon;
            w.ttm = "10";
            w.mprice = "100";
            RecordingUi ui;
            EXPECT_NEAR(yield_of(w, ui)->yield, std::stod(coupon), 1e-12);
            expect_result(ui, std::string("The yield to maturity is ") + coupon + "%");
        }
    }
}

TEST(BondYield, NoYieldGetsItsMessageAndTheFocus) {
    const struct {
        const char *time, *price, *message, *field;
    } cases[] = {
        // At a rate of 0 the bond is worth 100 (1 + 0.085 * 4) = 134 %.
        {"3.5", "134", bonds_text::no_yield, "mprice"},
        {"3.5", "1e6", bonds_text::no_yield, "mprice"},
        // Half a year, annual coupons: no period, worth par at every rate.
        {"0.5", "100", bonds_text::no_period, "ttm"},
        {"3.5", "0", bonds_text::price, "mprice"},
        {"3.5", "-5", bonds_text::price, "mprice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        StraightBondsWindow w;
        w.ttm = c.time;
        w.mprice = c.price;
        RecordingUi ui;
        EXPECT_FALSE(yield_of(w, ui).has_value());
        expect_refused(ui, {c.message}, Window::Bonds2, c.field);
        EXPECT_TRUE(ui.history.empty());
    }
    // The bond's own checks come first; the rate is not read at all.
    StraightBondsWindow w;
    w.coup = "0";
    w.mprice = "0";
    w.ir = "not a rate";
    RecordingUi ui;
    yield_of(w, ui);
    expect_refused(ui, {bonds_text::coupon}, Window::Bonds2, "coup");
    w.coup = "8.5";
    w.mprice = "133.99";
    RecordingUi found;
    EXPECT_TRUE(yield_of(w, found).has_value());
}

TEST(BondYield, EachCommandReadsOnlyItsOwnFields) {
    // A price that is not a number stops Yield with the generic error and
    // the focus in the price, but not Compute or Risk, which never read it.
    StraightBondsWindow w;
    w.mprice = "105%";
    RecordingUi yield;
    cmdYield_Click(w, yield);
    expect_generic_error(yield);
    EXPECT_EQ(yield.events.back().kind, UiEvent::Kind::Focus);
    EXPECT_EQ(yield.events.back().text, "mprice");
    RecordingUi compute, risk;
    Command1_Click(w, compute);
    expect_result(compute, "The fair value for this bond is 114.3501%");
    cmdRisk_Click(w, risk);
    EXPECT_EQ(risk.boxes().at(0).icon, Icon::None);
    // A bad rate stops Risk, with the focus in the rate even when the price
    // is bad too.
    w.ir = "";
    RecordingUi bad;
    cmdRisk_Click(w, bad);
    expect_generic_error(bad);
    EXPECT_EQ(bad.events.back().text, "ir");
}

TEST(BondSums, ValueIsTheBondsOwnValue) {
    for (const int n : {0, 1, 4, 7, 60, 32766}) {
        SCOPED_TRACE(n);
        const auto periods = static_cast<std::int16_t>(n);
        const double c = 0.0425, y = n > 1000 ? 0.0001 : 0.0225;
        EXPECT_NEAR(bond_sums(c, y, periods).value, bond_value(1, c, y, periods), 1e-12 * (1 + c * n));
    }
    const BondSums none = bond_sums(0.05, 0.04, 0);
    EXPECT_EQ(none.value, 1.0);
    EXPECT_EQ(none.slope, 0.0);
    EXPECT_EQ(none.curvature, 0.0);
    EXPECT_THROW(bond_sums(0.05, 0.04, 32767), RuntimeError);  // the 16-bit counter
}

TEST(BondRisk, TwoAndFivePeriodBondsByHand) {
    // Two annual periods, coupon 10 %, rate 5 %: payments 0.1 and 1.1.
    {
        const double v = 1 / 1.05;
        const double V = 0.1 * v + 1.1 * v * v;
        const double macaulay = (1 * 0.1 * v + 2 * 1.1 * v * v) / V;
        const double convexity = (1 * 2 * 0.1 * v * v * v + 2 * 3 * 1.1 * v * v * v * v) / V;
        const BondRiskFigures r = bond_risk(0.1, 0.05, 2, 1);
        EXPECT_NEAR(r.macaulay, macaulay, 1e-14);
        EXPECT_NEAR(r.modified, macaulay / 1.05, 1e-14);
        EXPECT_NEAR(r.convexity, convexity, 1e-13);
        EXPECT_NEAR(r.bp_value, macaulay / 1.05 * V * 100 * 1e-4, 1e-16);
    }
    // Five half-years (2.5 years semi-annual), coupon 6 % (3 % a half
    // year), rate 8 % (4 % a half year); times in years are i / 2.
    {
        const double v = 1 / 1.04;
        const double p1 = 0.03 * v, p2 = 0.03 * v * v, p3 = 0.03 * v * v * v, p4 = 0.03 * v * v * v * v,
                     p5 = 1.03 * v * v * v * v * v;
        const double V = p1 + p2 + p3 + p4 + p5;
        const double macaulay = (0.5 * p1 + 1.0 * p2 + 1.5 * p3 + 2.0 * p4 + 2.5 * p5) / V;
        const double convexity = (1 * 2 * p1 + 2 * 3 * p2 + 3 * 4 * p3 + 4 * 5 * p4 + 5 * 6 * p5) * v * v / (4 * V);
        const BondRiskFigures r = bond_risk(0.03, 0.08, 5, 2);
        EXPECT_NEAR(r.macaulay, macaulay, 1e-14);
        EXPECT_NEAR(r.modified, macaulay / 1.04, 1e-14);
        EXPECT_NEAR(r.convexity, convexity, 1e-13);
        EXPECT_NEAR(r.bp_value, macaulay / 1.04 * V * 1e-2, 1e-16);
    }
}

TEST(BondRisk, AgreeWithCentralDifferencesOfTheValue) {
    // Q(r) is Compute's fair value in per cent. With h = 1e-4 the first
    // difference is off by about h^2 Q''' / 6 / Q (Q''' / Q is about the
    // duration cubed, under 2,000 here: under 4e-6) plus rounding of about
    // 1e-16 / h; the second by h^2 Q'''' / 12 / Q (under 2e-5) plus 4e-16
    // / h^2.
    const double h = 1e-4;
    for (const auto& b : {bond(7, 10, false, 5), bond(8.5, 3.5, true, 4.5), bond(2, 12, true, 9)}) {
        SCOPED_TRACE(b.T);
        const auto Q = [b](double rate) {
            StraightBondTerms at = b;
            at.rate = rate;
            return straight_percent(at);
        };
        const double q = Q(b.rate), up = Q(b.rate + h), down = Q(b.rate - h);
        const BondPeriods p = bond_periods(b.rate, b.T, b.annual);
        const BondRiskFigures r = bond_risk(b.coupon, b.rate, p.n, b.annual ? 1 : 2);
        EXPECT_NEAR(r.modified, -(up - down) / (2 * h) / q, 4e-6);
        EXPECT_NEAR(r.convexity, (up - 2 * q + down) / (h * h) / q, 2e-5 + 4e-16 / (h * h) * 10);
        // One basis point is h: the value of a basis point is the same
        // difference, in per cent of par.
        EXPECT_NEAR(r.bp_value, (down - up) / 2, 4e-6 * q * h);
        EXPECT_NEAR(r.macaulay, r.modified * (1 + b.rate / (b.annual ? 1 : 2)), 1e-13);
    }
}

TEST(BondRisk, TheWindowsBox) {
    // Defaults: four annual payments of 0.085 and the par value at 4.5 %
    // (the same sums as above: 3.58533 years, 3.43094, 15.79227, 0.03923).
    StraightBondsWindow w;
    RecordingUi ui;
    BondRisk r;
    cmdRisk_Click(w, ui, &r);
    expect_result(ui,
                  "The Macaulay duration is 3.5853 years\rThe modified duration is 3.4309 years\r"
                  "The convexity is 15.7923\rThe value of one basis point is 0.0392%");
    EXPECT_NEAR(r.macaulay, 3.5853274896702922, 1e-12);
}

TEST(ConvertibleAnalytics, ParityPremiumAndDeltaByHand) {
    ConvertibleBondsWindow w;
    RecordingUi ui;
    ConvertibleAnalytics a;
    cmdAnalytics_Click(w, ui, &a);
    // 100 shares at 9.5 dollars for 1000 of par: 95 %.
    EXPECT_DOUBLE_EQ(a.parity, 95.0);
    // The documented fair value 134.9954 (to 5e-5) over 95.
    EXPECT_NEAR(a.premium, (134.9954 - 95) / 95 * 100, 5e-5 / 95 * 100);
    // 100 e^(-qT) N(d1), d1 = (ln(9.5 / 10) + (0.045 - 0.021 + 0.045) 3.5) /
    // (0.3 sqrt(3.5)); the program's N is good to about 1.2e-5.
    const double d1 = (std::log(0.95) + (0.045 - 0.021 + 0.3 * 0.3 / 2) * 3.5) / (0.3 * std::sqrt(3.5));
    EXPECT_NEAR(a.delta, 100 * std::exp(-0.021 * 3.5) * exact_N(d1), 100 * 1.2e-5);
    expect_result(ui, "The parity is 95%\rThe premium over parity is 42.1004%\rThe share delta is 58.782 shares");
}

TEST(ConvertibleAnalytics, DeltaIsTheSlopeOfTheFairValueInTheSharePrice) {
    // The fair value in dollars, the straight bond plus R exact calls; its
    // central difference in S with h = 1e-3 is off by h^2 R V''' / 6 (well
    // under 1e-6 shares), and the program's N by 1.2e-5 a call.
    const double h = 1e-3;
    for (const double S : {2.0, 9.5, 10.0, 14.0, 40.0}) {
        for (const double q : {0.021, -0.01, 0.2}) {
            SCOPED_TRACE(testing::Message() << S << " " << q);
            ConvertibleTerms c{1000, 0.085, true, 100, 3.5, S, 0.045, 0.3, q};
            const auto dollars = [&c](double s) {
                return c.R * exact_bs(c.T, c.sigma, c.r, c.P / c.R, s, c.q, true).value;
            };
            const double slope = (dollars(S + h) - dollars(S - h)) / (2 * h);
            const ConvertibleAnalytics a = convertible_analytics(c);
            EXPECT_NEAR(a.delta, slope, c.R * 1.2e-5 + 1e-6);
            EXPECT_GE(a.delta, 0.0);
            EXPECT_LE(a.delta, c.R * std::exp(-c.q * c.T) + 1e-9);
            EXPECT_NEAR(a.parity, c.R * S / c.P * 100, 1e-12);
        }
    }
    // A high dividend yield makes the bond worth less than its shares now:
    // a negative premium, shown as it is.
    ConvertibleTerms rich{1000, 0.085, true, 100, 3.5, 20, 0.045, 0.3, 0.2};
    const ConvertibleAnalytics a = convertible_analytics(rich);
    EXPECT_LT(a.premium, 0.0);
    EXPECT_NEAR(a.premium, (convertible_percent(rich) - 200) / 200 * 100, 1e-12);
}

}  // namespace
}  // namespace tvx::test
