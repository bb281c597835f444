// Everything the strategy window and the command line show of a position:
// the figures (premium, today's value and sensitivities, and at the
// horizon the breakevens, largest profit and loss and the probability of
// a profit), the curves of profit and loss against the spot at expiry,
// today and at the horizon, and the grid of today's profit and loss over
// spot and volatility.
#pragma once

#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "strategy/horizon.h"
#include "strategy/leg_valuer.h"
#include "strategy/position.h"
#include "strategy/priced_position.h"

namespace tvx {

struct StrategyFigures {
    double net_premium = 0;       // positive: a debit; negative: a credit
    Sensitivities total;          // today's value of the position and its sensitivities
    double horizon = 0;           // years from today
    bool horizon_set = false;     // by the user; otherwise the first expiry
    double volatility = 0;        // of the spot's distribution at the horizon
    bool volatility_set = false;  // by the user; otherwise the legs' mean
    HorizonFigures at_horizon;
    std::vector<PricedLeg> legs;
};

// Points where a curve could not be valued are left out (none), never 0.
struct StrategyCurves {
    std::vector<double> spots;
    std::vector<std::optional<double>> at_expiry;  // every option at its own expiry
    std::vector<std::optional<double>> today;
    // Empty when every option leg expires by the horizon: then it is the
    // curve at expiry.
    std::vector<std::optional<double>> at_horizon;
    // The spots at -2, -1, +1 and +2 standard deviations of the spot's
    // logarithm at the horizon.
    std::array<double, 4> bands{};
    int left_out = 0;  // points at which some curve could not be valued
};

// Today's value of the position over spots (rows) and a factor on every
// leg's volatility (columns); none where it could not be valued.
struct StrategyGrid {
    std::vector<double> spots;
    std::vector<double> factors;
    std::vector<std::vector<std::optional<double>>> value;
    double cost = 0;  // the net premium: the profit and loss is value - cost
    int left_out = 0;
};

struct StrategyReport {
    Strategy strategy;  // as analysed
    StrategyFigures figures;
    StrategyCurves curves;
    StrategyGrid grid;
    Precision precision = Precision::Standard;  // of the valuer that made it
};

inline constexpr int kStrategyCurvePoints = 200;
inline constexpr int kStrategyGridSpots = 9;    // 0.8 to 1.2 times the spot
inline constexpr int kStrategyGridFactors = 5;  // 0.5 to 1.5 times each volatility, by 0.25

// The horizon and the distribution's volatility as the strategy sets them
// or, when it does not, the first expiry and the mean of the option legs'
// volatilities; none when neither is there (a position of shares alone).
std::optional<double> horizon_of(const Strategy& s);
std::optional<double> volatility_of(const Strategy& s);

// The chart's range of the spot as typed; an end not given takes the
// default's: from the spot at -3 to +3 standard deviations of its
// logarithm at the horizon, widened to every strike, a tenth of the span
// to spare on each side.
struct SpotRange {
    std::optional<double> from;
    std::optional<double> to;
};

// The range the curves are drawn over: the ends typed, the others the
// default's. Throws a RuntimeError when the default cannot be worked out.
std::pair<double, double> curve_range(const Strategy& s, const StrategyFigures& f, const SpotRange& typed);

// The figures alone (the command line). The strategy must have passed the
// window's checks; a fault of the valuation is raised.
StrategyFigures strategy_figures(const Strategy& s, const LegValuer& valuer);
// The figures, the curves and the grid (the window).
StrategyReport strategy_report(const Strategy& s, const LegValuer& valuer, const SpotRange& range = {});

}  // namespace tvx
