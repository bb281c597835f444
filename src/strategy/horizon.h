// The position at the horizon over every spot price from 0 up: where it
// makes a profit, its breakevens, its largest profit and loss, and the
// probability of a profit under the spot's distribution there.
//
// When every option leg expires by the horizon, the profit and loss is a
// broken line with its corners at the strikes, and everything follows
// exactly from its values at 0 and at the strikes and its slope beyond the
// last strike. When a leg is still alive it is a smooth curve (with corners
// at the strikes of the legs that have expired): it is valued on a fine
// grid in the logarithm of the spot wide enough that the curve is a
// straight line outside it, its roots and turning points are then solved
// for between the grid's points, and beyond the grid it follows its
// asymptotes, which are known in closed form.
#pragma once

#include <optional>
#include <vector>

#include "strategy/priced_position.h"
#include "strategy/spot_distribution.h"

namespace tvx {

// Spots above `from` and below `to` (none: without end).
struct SpotInterval {
    double from = 0;
    std::optional<double> to;
};

struct HorizonFigures {
    std::vector<SpotInterval> profit;  // where the profit and loss is above 0, ascending
    std::vector<double> breakevens;    // the profit intervals' ends above 0, ascending
    std::optional<double> max_profit;  // the largest profit and loss; none: unlimited
    std::optional<double> max_loss;    // the largest loss, as a positive amount; none: unlimited
    double probability = 0;            // of a profit
};

// Points of the grid of a smooth curve (before its roots and turning
// points are added).
inline constexpr int kHorizonGridPoints = 240;

HorizonFigures horizon_figures(const PricedPosition& position, double horizon, const SpotDistribution& spot);

}  // namespace tvx
