// The bond curves against the annuity formula, the convertible against its
// floor and its conversion value, and points the valuation cannot reach
// left out with a note.
#include <cmath>

#include "charts/chart_fixture.h"
#include "charts/chart_text.h"

namespace tvx {
namespace {

using test::ChartFixture;

class BondChart : public ChartFixture {};

// Per cent of par of a bond paying c per period for n periods at y per
// period: the closed form of the annuity, c (1 - (1 + y)^-n) / y, plus the
// discounted par.
double annuity_percent(double c, double y, int n) {
    const double v = std::pow(1.0 + y, -n);
    return 100.0 * (c * (1.0 - v) / y + v);
}

TEST_F(BondChart, ThePriceYieldCurveIsTheAnnuityFormula) {
    for (const bool annual : {true, false}) {
        straight.payment = annual;
        const double m = annual ? 1.0 : 2.0;
        open(ChartSource::Bond);
        ASSERT_EQ(chart.plot.x.size(), 200u);
        const Series& s = series(SeriesRole::Main);
        const int n = static_cast<int>(std::nearbyint(m * 3.5));  // 4 annual, 7 semi-annual periods
        for (std::size_t i = 0; i < chart.plot.x.size(); ++i) {
            const double rate = chart.plot.x[i] / 100.0;
            EXPECT_NEAR(*s.y[i], annuity_percent(0.085 / m, rate / m, n), 1e-9) << "at rate " << chart.plot.x[i];
        }
        // Price falls as the yield rises, through par where they meet.
        for (std::size_t i = 1; i < s.y.size(); ++i) EXPECT_LT(*s.y[i], *s.y[i - 1]);
        EXPECT_NEAR(*chart.plot.current_y, annual ? 114.3501 : 112.8205, 5e-5);
    }
}

TEST_F(BondChart, ThePriceTimeCurveCountsWholeCouponPeriods) {
    chart.bond_x = BondX::Time;
    open(ChartSource::Bond);
    EXPECT_EQ(chart.from, "0.35");
    EXPECT_EQ(chart.to, "10.5");
    const Series& s = series(SeriesRole::Main);
    for (std::size_t i = 0; i < chart.plot.x.size(); ++i) {
        const int n = static_cast<int>(std::nearbyint(chart.plot.x[i]));  // ties to even
        const double want = n == 0 ? 100.0 : annuity_percent(0.085, 0.045, n);
        EXPECT_NEAR(*s.y[i], want, 1e-9) << "at time " << chart.plot.x[i];
    }
}

TEST_F(BondChart, TheConvertibleLiesAboveItsFloorAndItsConversionValue) {
    convertible.del = "0";  // without dividends a European conversion right is worth at least S - K e^(-rT)
    chart.source = ChartSource::Convertible;
    chart.from = "0.01";
    chart.to = "25";
    chart.range_typed = true;
    open(ChartSource::Convertible);
    const Series& value = series(SeriesRole::Main);
    const Series& floor = series(SeriesRole::Floor);
    const Series& conversion = series(SeriesRole::Conversion);
    for (std::size_t i = 0; i < chart.plot.x.size(); ++i) {
        const double S = chart.plot.x[i];
        EXPECT_NEAR(*floor.y[i], 114.3501, 5e-5);
        EXPECT_DOUBLE_EQ(*conversion.y[i], 100.0 * S * 100.0 / 1000.0);
        EXPECT_GE(*value.y[i], *floor.y[i]) << "at share price " << S;
        EXPECT_GT(*value.y[i], *conversion.y[i]) << "at share price " << S;
    }
    // Far below the conversion price of 10 the right is worth next to nothing.
    EXPECT_NEAR(*value.y.front(), *floor.y.front(), 1e-3);
}

TEST_F(BondChart, PeriodsBeyondTheSixteenBitCountAreLeftOutNotDrawnAsZero) {
    chart.bond_x = BondX::Time;
    chart.source = ChartSource::Bond;
    // A rate low enough that 1.000001^n stays small: only the count overflows.
    straight.ir = "0.0001";
    chart.from = "32700";
    chart.to = "32800";
    chart.range_typed = true;
    open(ChartSource::Bond);
    const Series& s = series(SeriesRole::Main);
    int missing = 0;
    for (std::size_t i = 0; i < s.y.size(); ++i) {
        // n = 32767 periods is an overflow of the period counter.
        const bool beyond = std::nearbyint(chart.plot.x[i]) >= 32767;
        EXPECT_EQ(s.y[i].has_value(), !beyond) << "at time " << chart.plot.x[i];
        missing += beyond;
    }
    ASSERT_GT(missing, 0);
    EXPECT_EQ(chart.plot.left_out, missing);
    EXPECT_EQ(chart.note, left_out_note(missing));
    // The CSV leaves those points empty.
    const std::string csv = chart_csv_text(chart);
    EXPECT_NE(csv.find("32800,\n"), std::string::npos);
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "Time to maturity (years),Straight bond");
}

}  // namespace
}  // namespace tvx
