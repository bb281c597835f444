// The implied-volatility search with injected valuation routines, so that
// each guard and stop rule can be reached exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/fault.h"
#include "options/implied_vol.h"
#include "pricing/closed_form.h"

namespace tvx {
namespace {

OptionTerms defaults() { return {0.5, 0.0, 0.045, 64.0, 60.0, 0.021, 0}; }

SearchVariant variant_of(Valuation routine, SlopeGuard guard) {
    SearchVariant v;
    v.routine = std::move(routine);
    v.slope_guard = guard;
    return v;
}

constexpr SlopeGuard every_guard[] = {SlopeGuard::None, SlopeGuard::AtLeast, SlopeGuard::Above};

// (2.5e-7 - 0) / 0.00025 is exactly the double 0.001.
double slope_of_exactly_a_thousandth(const OptionTerms& o) { return o.sigma == 0.25 ? 2.5e-7 : 0.0; }

TEST(ImpliedVol, ClosedFormDefaultsConvergeInTwoIterations) {
    // First candidate about 0.2848, second about 0.28462 (documented example).
    std::vector<double> changes;
    SearchVariant v = variant_of(valuation_of(solver_euro), SlopeGuard::None);
    v.after_step = [&](std::int16_t, double change) { changes.push_back(change); };
    const SearchResult r = implied_vol(v, 3.45, defaults());
    ASSERT_EQ(r.outcome, SearchOutcome::Success);
    EXPECT_EQ(r.iterations, 2);
    EXPECT_NEAR(r.sigma, 0.28462, 5e-5);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_NEAR(changes[0], 0.2848 - 0.25, 1e-4);
    EXPECT_NEAR(changes[1], 0.00017, 1e-5);
}

TEST(ImpliedVol, FirstCandidateWithinToleranceEndsAfterOneIteration) {
    // Linear value 10 sigma: the first Newton step lands exactly on P / 10.
    const auto linear = [](const OptionTerms& o) { return 10.0 * o.sigma; };
    const SearchResult r = implied_vol(variant_of(linear, SlopeGuard::None), 2.505, defaults());
    ASSERT_EQ(r.outcome, SearchOutcome::Success);
    EXPECT_EQ(r.iterations, 1);
    EXPECT_NEAR(r.sigma, 0.2505, 1e-12);
}

TEST(ImpliedVol, SlopeOfExactlyAThousandthPassesAtLeastAndFailsAbove) {
    const SearchResult mc =
        implied_vol(variant_of(slope_of_exactly_a_thousandth, SlopeGuard::AtLeast), 2.5e-7, defaults());
    EXPECT_EQ(mc.outcome, SearchOutcome::Success);  // c = sigma exactly: converged
    const SearchResult us =
        implied_vol(variant_of(slope_of_exactly_a_thousandth, SlopeGuard::Above), 2.5e-7, defaults());
    EXPECT_EQ(us.outcome, SearchOutcome::Failure);
    EXPECT_EQ(us.iterations, 1);
}

TEST(ImpliedVol, RejectedSlopeInALaterIterationFails) {
    // A steep slope first, a flat one from the second iteration on.
    const auto kinked = [](const OptionTerms& o) { return o.sigma >= 0.2495 ? 4.0 * o.sigma : 0.998; };
    const SearchResult r = implied_vol(variant_of(kinked, SlopeGuard::Above), 0.6, defaults());
    EXPECT_EQ(r.outcome, SearchOutcome::Failure);
    EXPECT_EQ(r.iterations, 2);
}

TEST(ImpliedVol, TenIterationsWithoutConvergenceFailEvenWithAValidCandidate) {
    // V = (sigma - 1)^3: Newton closes a third of the gap per step, so the
    // change after ten steps is still 0.75 (2/3)^9 / 3 = 0.0065, above 0.001,
    // while every candidate stays positive.
    const auto cubic = [](const OptionTerms& o) { return std::pow(o.sigma - 1.0, 3); };
    for (const SlopeGuard guard : every_guard) {
        const SearchResult r = implied_vol(variant_of(cubic, guard), 0.0, defaults());
        EXPECT_EQ(r.outcome, SearchOutcome::Failure);
        EXPECT_EQ(r.iterations, 10);
    }
}

TEST(ImpliedVol, CandidateNotAboveZeroFailsOnEveryVariant) {
    // V = 10 sigma with P = -1: the first candidate is -0.1.
    const auto linear = [](const OptionTerms& o) { return 10.0 * o.sigma; };
    for (const SlopeGuard guard : every_guard) {
        const SearchResult r = implied_vol(variant_of(linear, guard), -1.0, defaults());
        EXPECT_EQ(r.outcome, SearchOutcome::Failure);
        EXPECT_EQ(r.iterations, 1);
    }
}

TEST(ImpliedVol, CandidateBelowZeroWithinTheToleranceStillFails) {
    // Slope 1 above 0.2 takes the first step from 0.25 to about 0.0003; below
    // 0.2, V = 1000 sigma + 0.01 makes the second candidate
    // 0.0003 - (0.31 - 0.0003) / 1000, about -0.00001: a change of 0.0003,
    // inside the tolerance, and not a volatility.
    const auto kinked = [](const OptionTerms& o) { return o.sigma >= 0.2 ? o.sigma : 1000.0 * o.sigma + 0.01; };
    for (const SlopeGuard guard : every_guard) {
        const SearchResult r = implied_vol(variant_of(kinked, guard), 0.0003, defaults());
        EXPECT_EQ(r.outcome, SearchOutcome::Failure);
        EXPECT_EQ(r.iterations, 2);
    }
}

TEST(ImpliedVol, NeverValuesAtAVolatilityOfZeroOrBelow) {
    // V = sigma with P = 0.0002: the first step lands on 0.0002, whose
    // down-bumped volatility 0.0002 - 0.00025 is negative. The search fails
    // there without valuing.
    double lowest = 1.0;
    int calls = 0;
    const auto recorded = [&](const OptionTerms& o) {
        lowest = std::min(lowest, o.sigma);
        return ++calls, o.sigma;
    };
    for (const SlopeGuard guard : every_guard) {
        lowest = 1.0, calls = 0;
        const SearchResult r = implied_vol(variant_of(recorded, guard), 0.0002, defaults());
        EXPECT_EQ(r.outcome, SearchOutcome::Failure);
        EXPECT_EQ(r.iterations, 2);
        EXPECT_EQ(calls, 2);
        EXPECT_GT(lowest, 0.0);
    }
}

TEST(ImpliedVol, ZeroSlopeWithoutAGuardIsAnArithmeticError) {
    const auto flat = [](const OptionTerms&) { return 1.0; };
    EXPECT_THROW(implied_vol(variant_of(flat, SlopeGuard::None), 2.0, defaults()), ArithmeticError);
}

TEST(ImpliedVol, CancelIsReadAfterTheFirstValuationAndAfterTheSlope) {
    int calls = 0;
    const auto counted = [&](const OptionTerms& o) { return ++calls, 10.0 * o.sigma; };
    int checks = 0;
    SearchVariant v = variant_of(counted, SlopeGuard::AtLeast);
    v.cancel_requested = [&] { return ++checks == 2; };  // cancel at the second check
    const SearchResult r = implied_vol(v, 2.0, defaults());
    EXPECT_EQ(r.outcome, SearchOutcome::Cancelled);
    EXPECT_EQ(calls, 2);  // both valuations of the first iteration ran
    calls = checks = 0;
    v.cancel_requested = [&] { return ++checks == 1; };
    EXPECT_EQ(implied_vol(v, 2.0, defaults()).outcome, SearchOutcome::Cancelled);
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace tvx
