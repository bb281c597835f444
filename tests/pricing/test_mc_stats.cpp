// What a simulation reports beside its value: the standard error of the
// estimate, the number of antithetic pairs and of batches. Checked against
// the stopping rule (a standard error below 0.05 ends the run, one at or
// above it goes on), the batch size of 100 pairs, a payoff that is always
// zero (no spread at all) and the 1/sqrt(M) law of a mean's standard error.
#include <gtest/gtest.h>

#include <cmath>

#include "pricing/monte_carlo.h"

namespace tvx {
namespace {

TEST(MonteCarloStats, TheStoppingRuleEndsOnTheFirstBatchBelowFiveCents) {
    for (const std::int16_t itype : {0, 1}) {
        McStats stats;
        mcarlo(0.5, 0.2, 0.045, 64.0, 60.0, 0.021, 0, itype, 0.0, 1, {}, 0, kStepsOfTime, &stats);
        EXPECT_LT(stats.standard_error, 0.05);
        EXPECT_GT(stats.standard_error, 0.0);
        EXPECT_EQ(stats.pairs, 100 * stats.batches);
        ASSERT_GT(stats.batches, 1);
        // One batch fewer, on the same draws, had not yet reached the target.
        McStats before;
        mcarlo(0.5, 0.2, 0.045, 64.0, 60.0, 0.021, 0, itype, 0.0, 1, {}, static_cast<BatchCount>(stats.batches - 1),
               kStepsOfTime, &before);
        EXPECT_GE(before.standard_error, 0.05);
        EXPECT_EQ(before.batches, stats.batches - 1);
    }
}

TEST(MonteCarloStats, FourTimesThePairsHalveTheStandardError) {
    McStats one, four;
    mcarlo(0.5, 0.2, 0.045, 64.0, 60.0, 0.021, 0, 0, 0.0, 0, {}, 4, kStepsOfTime, &one);
    mcarlo(0.5, 0.2, 0.045, 64.0, 60.0, 0.021, 0, 0, 0.0, 0, {}, 16, kStepsOfTime, &four);
    EXPECT_EQ(one.pairs, 400);
    EXPECT_EQ(four.pairs, 1600);
    // The sample spread itself varies by a few per cent between the runs.
    EXPECT_NEAR(four.standard_error / one.standard_error, 0.5, 0.1);
}

TEST(MonteCarloStats, APayoffThatIsAlwaysZeroHasNoSpread) {
    McStats stats;
    const double v = mcarlo(0.5, 0.2, 0.045, 6400.0, 60.0, 0.021, 0, 0, 0.0, 0, {}, 0, kStepsOfTime, &stats);
    EXPECT_EQ(v, 0.0);
    EXPECT_EQ(stats.standard_error, 0.0);
    EXPECT_EQ(stats.batches, 1);
    EXPECT_EQ(stats.pairs, 100);
}

}  // namespace
}  // namespace tvx
