// The exercise-boundary chart and the American curves by the route's rule:
// the boundary against the time to expiry starts at the strike times
// min(1, r / q) for a put (max for a call) and moves away from it as the
// life grows; a dividend-free call has none; a curve against the spot
// solves its boundaries once for all its points.
#include "charts/chart_fixture.h"
#include "pricing/exercise_boundary.h"
#include "pricing/testing.h"

namespace tvx {
namespace {

using test::ChartFixture;

class BoundaryChart : public ChartFixture {};

TEST_F(BoundaryChart, APutsBoundaryFallsFromTheStrikeAsTheLifeGrows) {
    // Defaults as an American put: S 60, K 64, q 2.1 % below r 4.5 %, so the
    // boundary starts at the strike; t 0.5 years.
    main.optEuro = false;
    main.optCall = false;
    open(ChartSource::Boundary);
    ASSERT_FALSE(chart.plot.empty()) << chart.note;
    EXPECT_EQ(chart.plot.x.size(), 200u);
    EXPECT_DOUBLE_EQ(chart.plot.x.front(), 0.5 / 200);
    EXPECT_DOUBLE_EQ(chart.plot.x.back(), 0.5);
    const Series& critical = series(SeriesRole::Main);
    EXPECT_LT(*critical.y.front(), 64.0);
    EXPECT_GT(*critical.y.front(), 60.0);  // near expiry, close to the strike
    for (std::size_t i = 1; i < critical.y.size(); ++i) EXPECT_LT(*critical.y[i], *critical.y[i - 1]);
    for (const auto& k : series(SeriesRole::Strike).y) EXPECT_EQ(*k, 64.0);
    // The current terms: the critical price with the option's whole life.
    ASSERT_TRUE(chart.plot.current_x);
    EXPECT_EQ(*chart.plot.current_x, 0.5);
    EXPECT_NEAR(*chart.plot.current_y, ExerciseBoundary(0.5, 0.2, 0.045, 64, 0.021, 1).critical_price(0.5), 1e-9);
    EXPECT_EQ(chart.plot.title, "Exercise boundary of the put: the critical price against the time to expiry");
}

TEST_F(BoundaryChart, ACallsRisesFromAboveTheStrikeAndADividendFreeCallHasNone) {
    // A call with a yield of 8 % above the rate of 4.5 % starts at the strike;
    // with 2 % below it, at 64 r / q = 144.
    main.dividend = "8";
    open(ChartSource::Boundary);
    const Series& critical = series(SeriesRole::Main);
    EXPECT_GT(*critical.y.front(), 64.0);
    for (std::size_t i = 1; i < critical.y.size(); ++i) EXPECT_GT(*critical.y[i], *critical.y[i - 1]);
    main.dividend = "2";
    chart_draw(cx);
    EXPECT_NEAR(*series(SeriesRole::Main).y.front(), 144.0, 1.0);
    main.dividend = "0";
    chart_draw(cx);
    EXPECT_TRUE(chart.plot.empty());
    EXPECT_EQ(chart.note, "A call without a dividend yield is never exercised early: it has no exercise boundary.");
}

TEST_F(BoundaryChart, FollowsTheMainWindowsCompute) {
    main.optCall = false;
    open(ChartSource::Boundary);
    main.time = "2";
    chart_follow(cx, ChartSource::Option);
    EXPECT_DOUBLE_EQ(chart.plot.x.back(), 2.0);
}

TEST_F(BoundaryChart, AnAmericanCurveAgainstTheSpotSolvesItsBoundariesOnce) {
    // Two hundred points of six valuations each, held against the method:
    // the value, the spot's bumps and the shorter life share one boundary,
    // the volatility's and the rate's bumps one each, for every point.
    main.optEuro = false;
    main.optCall = false;
    const long before = boundary_solves();
    open(ChartSource::Option);
    ASSERT_EQ(chart.plot.x.size(), 200u);
    EXPECT_EQ(chart.plot.left_out, 0);
    EXPECT_LE(boundary_solves() - before, 6);
}

}  // namespace
}  // namespace tvx
