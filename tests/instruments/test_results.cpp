// What each calculator's Compute hands its caller besides the box: the
// figures at full precision, and nothing when a check refuses the terms.
// References: the closed forms of each figure with the default terms
// (warrant ratios by hand, the forward's exponentials, the bond's annuity,
// the convertible's documented 134.9954%).
#include <gtest/gtest.h>

#include <cmath>

#include "instruments/bonds.h"
#include "instruments/calculator_checks.h"
#include "instruments/convertible.h"
#include "instruments/futures.h"
#include "instruments/warrants.h"

namespace tvx::test {
namespace {

TEST(CalculatorResults, WarrantsAndForwardsAtFullPrecision) {
    WarrantsWindow w;
    RecordingUi ui;
    WarrantFigures f{-1, -1, -1, -1};
    Command1_Click(w, ui, &f);
    // S 12, X 15, W 2: out of the money, the whole price is time value.
    EXPECT_EQ(f.intrinsic, 0.0);
    EXPECT_EQ(f.time, 2.0);
    EXPECT_EQ(f.premium, 5.0 / 12.0);  // (2 + 15 - 12) / 12, shown as 0.416666666666667
    EXPECT_EQ(f.leverage, 6.0);

    FuturesWindow fw;
    ForwardFigures g{};
    Command1_Click(fw, ui, &g);
    // r 4.5 %, q 1.1 %, T 0.5, S 264, K 270.
    EXPECT_NEAR(g.value, 264 * std::exp(-0.011 * 0.5) - 270 * std::exp(-0.045 * 0.5), 1e-11);
    EXPECT_NEAR(g.price, 264 * std::exp(0.034 * 0.5), 1e-11);
    EXPECT_NE(g.value, std::round(g.value * 1e4) / 1e4);  // not the four decimals shown
}

TEST(CalculatorResults, BondsAtFullPrecision) {
    StraightBondsWindow s;
    RecordingUi ui;
    BondValue b;
    Command1_Click(s, ui, &b);
    // Four annual periods (3.5 years, a tie, to the even count) at 4.5 %.
    const double annuity = (1 - std::pow(1.045, -4)) / 0.045;
    EXPECT_NEAR(b.percent, (std::pow(1.045, -4) + 0.085 * annuity) * 100, 1e-11);

    ConvertibleBondsWindow c;
    BondValue v;
    Command1_Click(c, ui, &v);
    EXPECT_NEAR(v.percent, 134.9954, 5e-5);
    EXPECT_NE(v.percent, 134.9954);
}

TEST(CalculatorResults, ARefusedOrFailedComputeLeavesThemAlone) {
    WarrantsWindow w;
    w.exercise = "0";
    RecordingUi refused;
    WarrantFigures f{-1, -1, -1, -1};
    Command1_Click(w, refused, &f);
    expect_refused(refused, {warrants_text::exercise}, Window::Warrants, "exercise");
    EXPECT_EQ(f.leverage, -1.0);

    StraightBondsWindow s;
    s.ttm = "1e6";  // two million periods: beyond the 16-bit count
    RecordingUi failed;
    BondValue b{-1};
    Command1_Click(s, failed, &b);
    expect_generic_error(failed);
    EXPECT_EQ(b.percent, -1.0);
}

}  // namespace
}  // namespace tvx::test
