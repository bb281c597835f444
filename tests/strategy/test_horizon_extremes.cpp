// The largest profit and loss at the horizon, to the last digits: the
// issue's two positions, whose extremes sit where the program's normal
// distribution steps (d = 0 of a leg) and so between any grid's points,
// against a scan of the position's own profit and loss around them.
#include <gtest/gtest.h>

#include <algorithm>

#include "strategy/analysis.h"
#include "strategy/priced_position.h"
#include "strategy/strategy_file.h"

namespace tvx::test {
namespace {

constexpr const char* kShortShares =
    R"({"spot": 63.86, "rate": 7.09, "dividend": 0.86, "horizon": 0.377, "volatility": 0.392, "legs": [)"
    R"({"position": "short", "instrument": "share", "quantity": 2, "premium": 53.13},)"
    R"({"position": "long", "instrument": "put", "quantity": 5, "style": "european", "strike": 67.61, "time": 0.573, "volatility": 0.667},)"
    R"({"position": "long", "instrument": "call", "quantity": 10, "style": "european", "strike": 58.12, "time": 0.573, "volatility": 0.385},)"
    R"({"position": "long", "instrument": "call", "quantity": 1, "style": "european", "strike": 66.99, "time": 0.573, "volatility": 0.525}]})";
constexpr const char* kCalendars =
    R"({"spot": 226.66, "rate": 4.17, "dividend": 3.53, "horizon": 0.117, "legs": [)"
    R"({"position": "long", "instrument": "put", "quantity": 2, "style": "european", "strike": 222.19, "time": 0.566, "volatility": 0.767},)"
    R"({"position": "short", "instrument": "put", "quantity": 2, "style": "european", "strike": 222.19, "time": 0.851, "volatility": 0.411},)"
    R"({"position": "short", "instrument": "call", "quantity": 2, "style": "european", "strike": 211.39, "time": 0.623, "volatility": 0.617},)"
    R"({"position": "long", "instrument": "call", "quantity": 2, "style": "european", "strike": 211.39, "time": 1.166, "volatility": 0.444}]})";

Strategy strategy(const char* text) { return *read_strategy_file(text).strategy; }

// The profit and loss's largest (sign 1) or smallest (sign -1) over a scan
// of 20,001 spots from `from` to `to`.
double scanned(const Strategy& s, const LegValuer& valuer, double from, double to, double sign) {
    const PricedPosition position(s, valuer);
    double best = -1e300;
    for (int k = 0; k <= 20000; ++k)
        best = std::max(best, sign * position.pnl(from + (to - from) * k / 20000, *s.horizon));
    return sign * best;
}

TEST(HorizonExtremes, TheLargestLossIsFoundWhereTheCurveSteps) {
    // The position's own profit and loss at spot 56.586 is -94.7493067
    // (the search used to stop at -94.7492479).
    const Strategy s = strategy(kShortShares);
    for (const Precision p : {Precision::Standard, Precision::Exact}) {
        const LegValuer valuer(p);
        const StrategyFigures f = strategy_figures(s, valuer);
        ASSERT_TRUE(f.at_horizon.max_loss);
        if (p == Precision::Standard) {
            EXPECT_GE(*f.at_horizon.max_loss, 94.7493067 - 1e-6);
        }
        EXPECT_GE(*f.at_horizon.max_loss, -scanned(s, valuer, 40, 80, -1) - 1e-9);
        EXPECT_FALSE(f.at_horizon.max_profit);  // short shares, long calls: unlimited
    }
}

TEST(HorizonExtremes, TheLargestProfitIsFoundWhereTheCurveSteps) {
    // The position's own profit at spot 232.0117 is -1.9254554 (the search
    // used to stop at -1.9255002).
    const Strategy s = strategy(kCalendars);
    for (const Precision p : {Precision::Standard, Precision::Exact}) {
        const LegValuer valuer(p);
        const StrategyFigures f = strategy_figures(s, valuer);
        ASSERT_TRUE(f.at_horizon.max_profit);
        if (p == Precision::Standard) {
            EXPECT_GE(*f.at_horizon.max_profit, -1.9254554 - 1e-6);
        }
        EXPECT_GE(*f.at_horizon.max_profit, scanned(s, valuer, 150, 400, 1) - 1e-9);
    }
}

}  // namespace
}  // namespace tvx::test
