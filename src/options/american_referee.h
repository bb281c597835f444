// The referee of the American route: every value of the finite-difference
// solver (the grid) is held against the exercise-boundary method's value of
// the same terms, and the grid's value stands only within the tolerance.
// The grid's 101 nodes and 1,700 steps are right to about half a cent on
// ordinary terms; where the drift carries the price's distribution off the
// grid, or the grid is coarse against the option (long lives at high
// volatility), its value can land anywhere, and the method takes over.
#pragma once

#include <cstddef>
#include <list>

#include "options/valuation.h"
#include "pricing/exercise_boundary.h"

namespace tvx {

// How far a grid value may lie from the right value and still be shown, in
// dollars: a multiple of sigma sqrt(t) max(S, K), the dollar size of one
// standard deviation of the price over the life, which the grid's own error
// follows (bench/studies/american_referee.cpp measures it).
double referee_tolerance(const OptionTerms& terms);

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

// True when the grid's value v of o lies within the tolerance of the
// method's: the referee's fast setting decides when it is well inside, the
// full setting otherwise.
bool grid_value_stands(double v, const OptionTerms& o, BoundaryCache& cache, double life = 0.0);

}  // namespace tvx
