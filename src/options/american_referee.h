// The referee of the American route: every value of the finite-difference
// solver (the grid) is held against the exercise-boundary method's value of
// the same terms, and the grid's value stands only where it is right to
// what the window shows: within half a cent, or a thousandth of the value,
// whichever is larger. The grid's 101 nodes and 1,700 steps are right to
// that on most ordinary terms; where the drift carries the price's
// distribution off the grid, or the grid is coarse against the option (long
// lives at high volatility), its value can land anywhere, and the method
// takes over.
#pragma once

#include <cstddef>
#include <list>

#include "options/valuation.h"
#include "pricing/exercise_boundary.h"

namespace tvx {

// How far a value shown may lie from the right value v: half a cent, or a
// thousandth of v, whichever is larger.
double shown_tolerance(double v);

// How far a grid value may lie from the method's value m and still stand:
// the shown tolerance less a margin for the rounding to four decimals
// (half a unit of the fourth) and the method's own error (within a
// millionth of the value), so that a grid value that stands is within the
// shown tolerance of the right value.
double referee_tolerance(double m);

// How far the grid's Delta may lie from the method's and still stand: a
// hundredth, less the rounding to four decimals.
inline constexpr double kDeltaTolerance = 0.0099;

// Solved boundaries of the method, kept for the terms that come again: a
// chart's points along the spot or the strike share one boundary, and a
// Compute's six valuations need three (the life, the volatility and the
// rate bumped; the spot and the shorter life share the first). One per
// computation; not shared between threads.
class BoundaryCache {
public:
    // The method's value of o at the given setting, from the boundary
    // solved for o's life, or for `life` >= o.t when given (o valued with
    // its shorter life).
    double value(const OptionTerms& o, const BoundarySettings& settings, double life = 0.0);

private:
    struct Entry {
        double t, sigma, r, yield;
        std::int16_t optype;
        const BoundarySettings* settings;
        ExerciseBoundary boundary;
    };
    static constexpr std::size_t kKept = 8;
    std::list<Entry> kept_;  // the most recent first
};

// How far the grid's value v of o lies from the method's, in referee
// tolerances: at most 1, v stands. The method's fast setting gives it
// where it is clearly below 1 or clearly above, the full setting near 1.
double grid_value_gap(double v, const OptionTerms& o, BoundaryCache& cache, double life = 0.0);
inline bool grid_value_stands(double v, const OptionTerms& o, BoundaryCache& cache, double life = 0.0) {
    return grid_value_gap(v, o, cache, life) <= 1.0;
}

// How far the grid's Delta, a central difference over the spots of `down`
// and `up`, lies from the method's difference over the same spots, in
// kDeltaTolerance: at most 1, it stands. Fast and full as above.
double grid_delta_gap(double delta, const OptionTerms& down, const OptionTerms& up, BoundaryCache& cache,
                      double life = 0.0);

}  // namespace tvx
