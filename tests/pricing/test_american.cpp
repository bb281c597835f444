// The American finite-difference solver and the Gamma read off its grid.
//
// European references are computed here from the exact Black-Scholes
// formulas with the normal distribution from std::erfc, independently of
// solver_euro (whose cumulative normal is a polynomial approximation).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/fault.h"
#include "core/numbers.h"
#include "pricing/american.h"
#include "pricing/american_terms.h"
#include "pricing/closed_form.h"
#include "pricing/testing.h"
#include "support/american_reference.h"

namespace tvx {
namespace {

using namespace american_test;

// How the two edge nodes continue the continuation values.
enum class Edges {
    // Before the edges followed the exercise value: slope -1 below, 0 above,
    // for every option.
    PutShaped,
    // The slope of the exercise value at the edge node: +1 (call) or -1 (put)
    // where the option is in the money there, 0 where it is not.
    ExerciseSlope,
};

// The scheme written out plainly, node by node with maximum for every
// comparison and no checks, as an oracle for the solver's vectorised loops:
// on ordinary inputs the two must agree to the last bit.
struct PlainScheme {
    AmericanCentre centre;
    double lowest_price, highest_price;
    int steps;
    int first_non_finite_step;  // 1 for the first step, 0 if every value stays finite
};

PlainScheme plain_scheme(const Terms& a, std::int16_t type, Edges edges = Edges::ExerciseSlope) {
    const double dx = a.Sigma * 6.0 * std::sqrt(a.t) / 101.0;
    const double dt = dx * (dx * 0.5) / (a.Sigma * (a.Sigma * 3.0));
    const int n = static_cast<int>(std::nearbyint(a.t / dt));
    const double nu = a.r - a.delta - a.Sigma * a.Sigma * 0.5;
    const double pu = (a.Sigma * a.Sigma / (dx * dx) + nu / dx) * (dt * 0.5);
    const double pd = (a.Sigma * a.Sigma / (dx * dx) - nu / dx) * (dt * 0.5);
    const double pm = 1.0 - a.Sigma * (dt * a.Sigma) / (dx * dx) - dt * a.r;
    double price[101], ex[101], cur[101], cont[101];
    price[0] = a.S * std::exp(-50.0 * dx);
    for (int k = 1; k < 101; ++k) price[k] = price[k - 1] * std::exp(dx);
    for (int k = 0; k < 101; ++k) {
        ex[k] = type == call ? price[k] - a.x : a.x - price[k];
        cur[k] = maximum(0.0, ex[k]);
    }
    const double in_the_money_slope = type == call ? 1.0 : -1.0;
    const double low_slope = edges == Edges::PutShaped ? -1.0 : ex[0] > 0.0 ? in_the_money_slope : 0.0;
    const double high_slope = edges == Edges::PutShaped ? 0.0 : ex[100] > 0.0 ? in_the_money_slope : 0.0;
    int first_non_finite_step = 0;
    for (int j = n - 1; j >= 0; --j) {
        for (int k = 1; k < 100; ++k) cont[k] = pu * cur[k + 1] + pm * cur[k] + pd * cur[k - 1];
        cont[0] = cont[1] - low_slope * (price[1] - price[0]);
        cont[100] = cont[99] + high_slope * (price[100] - price[99]);
        for (int k = 0; k < 101; ++k) {
            if (!std::isfinite(cont[k]) && first_non_finite_step == 0) first_non_finite_step = n - j;
            cur[k] = maximum(cont[k], ex[k]);
        }
    }
    return {{cur[50], cur[49], cur[51], dx}, price[0], price[100], n, first_non_finite_step};
}

void expect_same_bits(const AmericanCentre& got, const AmericanCentre& want, const Terms& a, std::int16_t type) {
    EXPECT_EQ(got.value, want.value) << a << " type " << type;
    EXPECT_EQ(got.below, want.below) << a << " type " << type;
    EXPECT_EQ(got.above, want.above) << a << " type " << type;
    EXPECT_EQ(got.dx, want.dx) << a << " type " << type;
}

// Runs `check` once on every path of the step loop that this processor can
// run, each pinned in turn, so that a path the processor would not choose
// by itself (the portable one, here) is tested too.
template <class Check>
void on_every_path(Check check) {
    const std::vector<SolverPath> paths = solver_usa_paths();
    ASSERT_FALSE(paths.empty());
    ASSERT_EQ(paths.front(), SolverPath::Portable);
    for (const SolverPath path : paths) {
        SCOPED_TRACE(std::string("path ") + solver_path_name(path));
        pin_solver_usa_path(path);
        check();
    }
    unpin_solver_usa_path();
}

TEST(AmericanSolverPaths, TheFastestRunnablePathIsUsedAndOthersCanBePinned) {
    const std::vector<SolverPath> paths = solver_usa_paths();
    ASSERT_FALSE(paths.empty());
    EXPECT_EQ(solver_usa_path(), paths.back());
    pin_solver_usa_path(SolverPath::Portable);
    EXPECT_EQ(solver_usa_path(), SolverPath::Portable);
    unpin_solver_usa_path();
    EXPECT_EQ(solver_usa_path(), paths.back());
    // A path the processor cannot run is refused, not run.
    for (const SolverPath path : {SolverPath::Portable, SolverPath::Avx2, SolverPath::Avx512}) {
        if (std::find(paths.begin(), paths.end(), path) == paths.end()) {
            EXPECT_THROW(pin_solver_usa_path(path), std::invalid_argument);
        }
    }
}

TEST(AmericanSolver, AgreesBitForBitWithThePlainScheme) {
    // Strikes inside the grid, below it (far out-of-the-money puts, deep
    // in-the-money calls) and above it.
    const Terms cases[] = {atm_year,
                           window_defaults,
                           {0.25, 0.4, 0.1, 50.0, 50.0, 0.0},
                           {3.0, 0.6, 0.01, 80.0, 120.0, 0.08},
                           {0.05, 0.15, 0.2, 100.0, 40.0, 0.0},
                           {1.0, 0.2, 0.05, 50.0, 100.0, 0.0},
                           {2.0, 0.3, 0.04, 300.0, 100.0, 0.03},
                           {10.0, 0.3, 0.05, 12.41, 3886.31, 0.0}};
    on_every_path([&] {
        for (const Terms& a : cases)
            for (std::int16_t type : {call, put})
                expect_same_bits(centre(a, type), plain_scheme(a, type).centre, a, type);
    });
}

TEST(AmericanSolver, PutsWithTheStrikeInsideTheGridKeepTheirEarlierValues) {
    // Such a put is in the money at the lowest node and out of it at the
    // highest, so its edges already had the slopes -1 and 0.
    const Terms cases[] = {atm_year,
                           window_defaults,
                           {0.25, 0.4, 0.1, 50.0, 50.0, 0.0},
                           {3.0, 0.6, 0.01, 80.0, 120.0, 0.08},
                           {0.05, 0.15, 0.2, 100.0, 95.0, 0.0}};
    on_every_path([&] {
        for (const Terms& a : cases) {
            const PlainScheme before = plain_scheme(a, put, Edges::PutShaped);
            ASSERT_LT(before.lowest_price, a.x) << a;
            ASSERT_GT(before.highest_price, a.x) << a;
            expect_same_bits(centre(a, put), before.centre, a, put);
        }
    });
}

TEST(AmericanSolver, CallsWithADividendAgainstAnAccurateReference) {
    // Twelve calls across the usual range (lives of a quarter to two years,
    // volatilities 0.15 to 0.5, strikes within 20 % of the spot, yields 0 to
    // 8 %), against the extrapolated binomial tree of american_reference.h.
    // The grid's own error (dx about 0.01 to 0.05) stays within a few
    // thousandths; edges that pump value into the grid, as the put-shaped
    // edges did for calls, add about one hundredth on such calls.
    const Terms cases[] = {
        {0.25, 0.15, 0.05, 90, 100, 0.02},  {0.5, 0.2, 0.045, 64, 60, 0.021},   {1, 0.3, 0.03, 110, 100, 0.04},
        {2, 0.25, 0.06, 100, 100, 0.08},    {0.75, 0.4, 0.02, 45, 50, 0.05},    {1.5, 0.5, 0.04, 115, 100, 0.03},
        {0.25, 0.35, 0.08, 105, 100, 0.06}, {1, 0.15, 0.01, 95, 100, 0.07},     {2, 0.2, 0.05, 120, 100, 0},
        {0.5, 0.45, 0.06, 82, 80, 0.01},    {1.25, 0.18, 0.035, 30, 33, 0.045}, {0.4, 0.28, 0.07, 200, 210, 0.08}};
    double sum = 0, largest = 0;
    for (const Terms& a : cases) {
        const double reference = test::american_reference(a.t, a.Sigma, a.r, a.x, a.S, a.delta, true);
        const double error = std::fabs(usa(a, call) - reference);
        EXPECT_LT(error, 0.0075) << a << " reference " << reference;
        sum += error, largest = std::max(largest, error);
    }
    EXPECT_LT(sum / 12, 0.0025) << "largest error " << largest;
    // The main window's defaults as a call: 2.06992 by the reference (a plain
    // binomial tree of 20,000 steps gives 2.06994); the grid shows 2.0699.
    EXPECT_NEAR(usa(window_defaults, call), 2.06992, 0.0003);
}

TEST(AmericanSolver, FarOutOfTheMoneyIsWorthNearlyNothing) {
    // The strike lies below the grid for this put and above it for this
    // call. Accurate values are 0.00034 and 0.00198 by the reference tree;
    // the grid, which cannot see the strike, may show less but never more
    // (the put-shaped edges made the put 0.0062 and the call about 0.2).
    const Terms far_put{1.0, 0.2, 0.05, 50.0, 100.0, 0.0};
    const Terms far_call{1.0, 0.2, 0.05, 100.0, 50.0, 0.01};
    const double put_reference = test::american_reference(1.0, 0.2, 0.05, 50.0, 100.0, 0.0, false);
    const double call_reference = test::american_reference(1.0, 0.2, 0.05, 100.0, 50.0, 0.01, true);
    EXPECT_GE(usa(far_put, put), 0.0);
    EXPECT_LE(usa(far_put, put), put_reference + 0.00005);
    EXPECT_GE(usa(far_call, call), 0.0);
    EXPECT_LE(usa(far_call, call), call_reference + 0.00005);
    // A put is never worth more than its strike; with the spot 5.75 log units
    // (six standard deviations over the life) above the strike, it is worth
    // practically nothing.
    const Terms long_put{10.0, 0.3, 0.05, 12.41, 3886.31, 0.0};
    EXPECT_NEAR(usa(long_put, put), 0.0, 1e-6) << long_put;
}

TEST(AmericanSolver, NegativeBranchWeightIsARunTimeError) {
    // pd < 0 when nu > Sigma^2 / dx = 101 Sigma / (6 sqrt t): here nu = 0.34995
    // against 0.0307. pu < 0 when nu < -101 Sigma / (6 sqrt t): -3.97 against
    // -3.37. pm = 5/6 - r dt < 0 with dt = 6 t / 10201 when r > 1417 / t: here
    // r = 100 with t = 30, and the yield set so that nu is 0.
    const Terms negative_pd{30.0, 0.01, 0.3, 64.0, 60.0, -0.05};
    const Terms negative_pu{1.0, 0.2, 0.05, 100.0, 100.0, 4.0};
    const Terms negative_pm{30.0, 0.2, 100.0, 100.0, 100.0, 99.98};
    for (const Terms& a : {negative_pd, negative_pu, negative_pm})
        for (std::int16_t type : {call, put}) {
            EXPECT_THROW(usa(a, type), RuntimeError) << a << " type " << type;
            EXPECT_THROW(centre(a, type), RuntimeError) << a << " type " << type;
        }
}

TEST(AmericanSolver, CallWithoutDividendsIsWorthItsEuropeanValue) {
    // Early exercise of a call never pays without dividends, so the grid must
    // reproduce the closed form (10.4506 exactly) to its own accuracy.
    const double expected = european(atm_year, call);
    EXPECT_NEAR(usa(atm_year, call), expected, 0.005) << atm_year;
}

TEST(AmericanSolver, PutCarriesTheEarlyExercisePremium) {
    // The American put for these inputs is about 6.09 by converged lattices;
    // the 101-node explicit grid lands within a few cents. The European put
    // (5.5735) is far below.
    const double value = usa(atm_year, put);
    EXPECT_NEAR(value, 6.09, 0.03) << atm_year;
    EXPECT_GT(value, european(atm_year, put) + 0.4) << atm_year << " European " << european(atm_year, put);

    // Short-dated, high-volatility put: about 3.46 (quoted to two decimals).
    const Terms short_put{0.25, 0.4, 0.1, 50.0, 50.0, 0.0};
    const double short_value = usa(short_put, put);
    EXPECT_NEAR(short_value, 3.46, 0.01) << short_put;
    EXPECT_GT(short_value, european(short_put, put)) << short_put << " European " << european(short_put, put);
}

TEST(AmericanSolver, NeverBelowTheExerciseValue) {
    // The exercise test runs after the last step, so deep in the money the
    // value is at least the exercise value at S; for these the European value
    // is below it, so the floor is what holds them up. The grid's node 0 is
    // S e^(-50 dx) grown by e^dx fifty times, S only up to a few dozen
    // roundings, hence the allowance of 1e-12 S.
    for (double S : {80.0, 50.0, 20.0, 1.0}) {
        const Terms a{1.0, 0.2, 0.08, 100.0, S, 0.0};
        ASSERT_LT(european(a, put), a.x - S) << a;
        EXPECT_GE(usa(a, put), a.x - S - 1e-12 * S) << a << " European " << european(a, put);
    }
    // A call with a high dividend yield, same argument.
    const Terms c{2.0, 0.25, 0.02, 50.0, 120.0, 0.1};
    ASSERT_LT(european(c, call), c.S - c.x) << c;
    EXPECT_GE(usa(c, call), c.S - c.x - 1e-12 * c.S) << c << " European " << european(c, call);
}

TEST(AmericanSolver, CentreNodesSitOneLogStepEitherSideOfS) {
    // Deep in the money every node near S is exercised, so the three values
    // are x minus the prices S e^-dx, S, S e^dx, with dx = 6 Sigma sqrt(t) / 101.
    const Terms a{0.5, 0.3, 0.06, 100.0, 30.0, 0.0};
    const AmericanCentre c = centre(a, put);
    const double dx = 6.0 * a.Sigma * std::sqrt(a.t) / 101.0;
    EXPECT_NEAR(c.dx, dx, 1e-15) << a;
    EXPECT_NEAR(c.value, a.x - a.S, 1e-12) << a;
    EXPECT_NEAR(c.below, a.x - a.S * std::exp(-dx), 1e-12) << a;
    EXPECT_NEAR(c.above, a.x - a.S * std::exp(dx), 1e-12) << a;
    EXPECT_EQ(c.value, usa(a, put)) << a;
}

TEST(AmericanSolver, GridSizeDoesNotDependOnTheInputs) {
    // dt = dx^2 / (6 Sigma^2) with dx = 6 Sigma sqrt(t) / 101 gives
    // t / dt = 10201 / 6 = 1700.17 whatever t and Sigma are.
    for (double t : {0.01, 0.25, 1.0, 7.0, 30.0})
        for (double Sigma : {0.05, 0.2, 1.5}) {
            EXPECT_EQ(solver_usa_steps(t, Sigma), 1700) << "t=" << t << " Sigma=" << Sigma;
            const AmericanCentre c = solver_usa_centre(t, Sigma, 0.05, 100.0, 100.0, 0.0, put);
            EXPECT_NEAR(c.dx, 6.0 * Sigma * std::sqrt(t) / usa_nodes, 1e-15) << "t=" << t << " Sigma=" << Sigma;
        }
}

TEST(AmericanSolver, FaultsInsteadOfReturningAValue) {
    // t = 0 or Sigma = 0 make dx zero and dt 0 / 0; a negative t takes the
    // square root of a negative number.
    for (const Terms& a : {Terms{0.0, 0.2, 0.05, 100.0, 100.0, 0.0}, Terms{1.0, 0.0, 0.05, 100.0, 100.0, 0.0},
                           Terms{-0.5, 0.2, 0.05, 100.0, 100.0, 0.0}}) {
        EXPECT_THROW(usa(a, call), ArithmeticError) << a;
        EXPECT_THROW(usa(a, put), ArithmeticError) << a;
        EXPECT_THROW(centre(a, put), ArithmeticError) << a;
        EXPECT_THROW(solver_usa_steps(a.t, a.Sigma), ArithmeticError) << a;
    }
    // The top of the price grid, S e^(50 dx) = 1e308 e^2.97, overflows.
    EXPECT_THROW(usa(Terms{1.0, 1.0, 0.05, 100.0, 1e308, 0.0}, call), ArithmeticError);
    // With the yield set so that the drift nu is zero, pu = pd = 1/12 and
    // pm = 5/6 - r dt are all positive and sum to 1 - r dt, here
    // 1 + 1000 * 6 / 10201 = 1.588 a step. Over 1700 steps the values grow by
    // about e^786, past the largest double (about e^709.8), part-way through
    // the stepping.
    const Terms growing{1.0, 0.2, -1000.0, 100.0, 100.0, -1000.0 - 0.02};
    on_every_path([&] {
        EXPECT_THROW(usa(growing, put), ArithmeticError) << growing;
        EXPECT_THROW(usa(growing, call), ArithmeticError) << growing;
    });
}

TEST(AmericanSolver, AnOverflowInTheLastStepsIsCaughtToo) {
    // The same growth, a little slower: with r = -R the values grow by
    // 1 + 6 R / 10201 a step, so for R near 877 the largest of them crosses
    // the largest double only within the last few of the 1700 steps. The
    // solver checks its values once, after the last step; the overflow
    // must still end in an error, on every path, and one unit of R less
    // must still give the plain scheme's value.
    const auto growing_by = [](int R) { return Terms{1.0, 0.2, -1.0 * R, 100.0, 100.0, -1.0 * R - 0.02}; };
    int R = 860;
    PlainScheme plain{};
    for (; R < 900; ++R) {
        plain = plain_scheme(growing_by(R), put);
        if (plain.first_non_finite_step != 0) break;
    }
    ASSERT_LT(R, 900);
    ASSERT_GT(plain.first_non_finite_step, plain.steps - 10) << "R " << R;
    const Terms late = growing_by(R);
    const Terms finite = growing_by(R - 1);
    on_every_path([&] {
        EXPECT_THROW(usa(late, put), ArithmeticError) << late;
        EXPECT_EQ(usa(finite, put), plain_scheme(finite, put).centre.value) << finite;
    });
}

}  // namespace
}  // namespace tvx
