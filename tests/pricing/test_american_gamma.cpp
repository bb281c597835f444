// The Gamma the American route reads off the solver's grid, against the
// closed form where early exercise is practically never optimal, its sign
// (values are convex in the spot) and why a bump of the spot cannot give it.
#include <gtest/gtest.h>

#include <cmath>

#include "pricing/american.h"
#include "pricing/american_terms.h"

namespace tvx {
namespace {

using namespace american_test;

TEST(AmericanGridGamma, MatchesTheClosedFormWhereEarlyExerciseIsUnlikely) {
    // Where exercise before expiry is practically never optimal the American
    // value is the European one, so their Gammas agree up to the grid's
    // discretisation error (dx of about 0.012 here; 2% allowed).
    const Terms cases[] = {
        {1.0, 0.2, 0.05, 100.0, 100.0, 0.001},  // call, tiny dividend yield
        {0.5, 0.25, 0.04, 100.0, 95.0, 0.002},  // call, tiny yield, out of the money
    };
    for (const Terms& a : cases) {
        const double expected = european_gamma(a);
        EXPECT_NEAR(grid_gamma(centre(a, call), a.S), expected, 0.02 * expected) << a << " call";
    }
    // Short-dated, out-of-the-money put: little time value to lose by waiting.
    const Terms p{0.1, 0.3, 0.03, 90.0, 100.0, 0.0};
    const double expected = european_gamma(p);
    EXPECT_NEAR(grid_gamma(centre(p, put), p.S), expected, 0.02 * expected) << p << " put";
}

TEST(AmericanGridGamma, MainWindowDefaults) {
    // European Gamma 0.04447 for both types (d1 = -0.3008, worked by hand);
    // the window's closed-form route shows 0.0446 because its cumulative
    // normal is an approximation. The put's early-exercise region
    // is close below S and sharpens the curvature to about 0.049; the call,
    // far from exercise, stays near the European value at about 0.045.
    const Terms& a = window_defaults;
    EXPECT_NEAR(european_gamma(a), 0.04447, 0.00001) << a;
    const double put_gamma = grid_gamma(centre(a, put), a.S);
    EXPECT_NEAR(put_gamma, 0.049, 0.001) << a << " put";
    EXPECT_GT(put_gamma, european_gamma(a)) << a << " put";
    EXPECT_NEAR(grid_gamma(centre(a, call), a.S), 0.045, 0.001) << a << " call";
}

TEST(AmericanGridGamma, NeverNegative) {
    // Option values are convex in S, calls with a dividend yield and puts alike.
    for (double S : {30.0, 45.0, 55.0, 60.0, 64.0, 70.0, 90.0, 130.0}) {
        const Terms a{0.5, 0.2, 0.045, 64.0, S, 0.021};
        EXPECT_GE(grid_gamma(centre(a, call), S), 0.0) << a << " call";
        EXPECT_GE(grid_gamma(centre(a, put), S), 0.0) << a << " put";
    }
}

TEST(AmericanGridGamma, BumpingSpotCannotSeeTheCurvature) {
    // The grid is laid out around S, so moving S moves every node with it:
    // between the points where a node crosses the strike or the exercise
    // boundary, the computed value is linear in S. A second difference in S
    // with dS = S / 1000 therefore reads close to zero instead of the Gamma.
    const Terms a = window_defaults;
    const double dS = a.S * 0.001;
    Terms down = a, up = a;
    down.S = a.S - dS;
    up.S = dS + a.S;
    const double bumped = (usa(up, call) - 2.0 * usa(a, call) + usa(down, call)) / (dS * dS);
    const double from_grid = grid_gamma(centre(a, call), a.S);
    EXPECT_LT(std::fabs(bumped), 0.1 * from_grid) << a << " bumped " << bumped << " grid " << from_grid;
}

}  // namespace
}  // namespace tvx
