// Normal draws, the step count and the Monte Carlo valuation. Reference
// values come from closed forms computed here (Black-Scholes with std::erfc,
// put-call parity, the normal distribution's moments and tails, the polar
// method's acceptance rate pi/4), from limits (no time steps, payoffs that
// are always zero) and from the 16-bit counter ranges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/fault.h"
#include "core/numbers.h"
#include "pricing/closed_form.h"
#include "pricing/mc_engines.h"
#include "pricing/monte_carlo.h"
#include "pricing/pipeline.h"
#include "pricing/random.h"
#include "pricing/testing.h"
#include "support/black_scholes.h"

namespace tvx {
namespace {

using namespace test;

using test::exact_bs;
double Phi(double x) { return test::exact_N(x); }

TEST(McSteps, RoundsToTheNearestStepWithHalvesToEven) {
    EXPECT_EQ(mc_steps(0.5), 100);
    EXPECT_EQ(mc_steps(0.502), 100);  // 100.4
    EXPECT_EQ(mc_steps(0.503), 101);  // 100.6
    EXPECT_EQ(mc_steps(0.0025), 0);   // exactly 0.5 (0.0025 is half of 0.005 in binary too): even
    EXPECT_EQ(mc_steps(0.0024), 0);
    EXPECT_EQ(mc_steps(0.0026), 1);
    EXPECT_EQ(mc_steps(163.8), 32760);
    EXPECT_THROW(mc_steps(163.84), ArithmeticError);  // 32768 steps do not fit 16 bits
    EXPECT_THROW(mc_steps(1e6), ArithmeticError);
}

// A time on the 0.005 grid steps exactly 0.005 years, whatever the rounding
// of its decimal text; any other time steps its own length over the count.
TEST(McSteps, StepLengthIsTheTimeOverTheCountAndExactlyTheGridStepOnTheGrid) {
    EXPECT_EQ(mc_step_length(0.5, 100), 0.005);
    EXPECT_EQ(mc_step_length(2.0, 400), 0.005);
    for (const double t : {0.505, 0.015, 1.235, 163.8}) {
        const std::int16_t n = mc_steps(t);
        EXPECT_EQ(mc_step_length(t, n), 0.005) << "t = " << t << ", " << n << " steps";
    }
    EXPECT_EQ(mc_step_length(0.4995, 100), 0.4995 / 100);  // the default time bumped down a thousandth
    EXPECT_EQ(mc_step_length(0.5037, 101), 0.5037 / 101);
    EXPECT_EQ(mc_step_length(0.003, 1), 0.003);
    EXPECT_THROW(mc_step_length(0.5, 0), ArithmeticError);
}

// 200,000 draws; every check is within 5 standard errors of the standard
// normal's value: mean 0 (SE 1/sqrt(n)), variance 1 (SE sqrt(2/n)) and the
// tail shares P(Z < -1), P(|Z| > 2), P(Z > 3) (SE sqrt(p(1-p)/n)).
TEST(Snorm, LargeSampleHasStandardNormalMomentsAndTails) {
    reset_uniform();
    constexpr int n = 200000;
    double sum = 0.0, sumsq = 0.0;
    int below_minus1 = 0, beyond2 = 0, above3 = 0;
    for (int k = 0; k < n; ++k) {
        const double z = snorm();
        sum += z;
        sumsq += z * z;
        if (z < -1.0) ++below_minus1;
        if (std::fabs(z) > 2.0) ++beyond2;
        if (z > 3.0) ++above3;
    }
    const double mean = sum / n;
    const double var = (sumsq - sum * sum / n) / (n - 1);
    EXPECT_NEAR(mean, 0.0, 5.0 / std::sqrt(n)) << "sample mean";
    EXPECT_NEAR(var, 1.0, 5.0 * std::sqrt(2.0 / n)) << "sample variance";
    const struct {
        const char* what;
        int count;
        double p;
    } tails[] = {{"P(Z < -1)", below_minus1, Phi(-1.0)},
                 {"P(|Z| > 2)", beyond2, 2.0 * Phi(-2.0)},
                 {"P(Z > 3)", above3, Phi(-3.0)}};
    for (const auto& tail : tails) {
        const double share = static_cast<double>(tail.count) / n;
        EXPECT_NEAR(share, tail.p, 5.0 * std::sqrt(tail.p * (1.0 - tail.p) / n))
            << tail.what << ": expected " << tail.p << ", sample " << share;
    }
}

// Locates where the generator stands after some snorm calls by matching the
// next three uniforms against a fresh stream from the reset state.
std::size_t uniforms_consumed_by(int calls, std::size_t stream_length) {
    reset_uniform();
    std::vector<double> stream(stream_length);
    for (double& u : stream) u = uniform();
    reset_uniform();
    for (int k = 0; k < calls; ++k) snorm();
    const double next[3] = {uniform(), uniform(), uniform()};
    for (std::size_t m = 0; m + 2 < stream.size(); ++m)
        if (stream[m] == next[0] && stream[m + 1] == next[1] && stream[m + 2] == next[2]) return m;
    ADD_FAILURE() << "generator position not found within " << stream_length << " uniforms";
    return 0;
}

// Each try takes two fresh uniforms and is accepted with probability pi/4
// (the unit disc inside the square), and no variate is kept for later: a
// call takes 2 * 4/pi uniforms on average, variance 4 (1 - p) / p^2.
TEST(Snorm, ConsumesFreshUniformsInPairsAtThePolarAcceptanceRate) {
    const std::size_t one = uniforms_consumed_by(1, 64);
    EXPECT_GE(one, 2u);
    EXPECT_EQ(one % 2, 0u) << "one call consumed " << one << " uniforms";

    constexpr int calls = 10000;
    const double p = std::numbers::pi / 4.0;
    const double expected = calls * 2.0 / p;
    const double sd = std::sqrt(calls * 4.0 * (1.0 - p) / (p * p));
    const std::size_t used = uniforms_consumed_by(calls, 30000);
    EXPECT_EQ(used % 2, 0u) << calls << " calls consumed " << used << " uniforms";
    EXPECT_NEAR(static_cast<double>(used), expected, 5.0 * sd) << "uniforms used by " << calls << " calls";
}

TEST(MonteCarlo, RepeatedCallsReplayTheSameDraws) {
    Terms o;
    o.t = 0.1;
    o.S = 62.0;
    o.rho = 0.3;
    for (const Engine& e : engines) {
        const Outcome first = run(e, o);
        for (int k = 0; k < 777; ++k) uniform();  // leave the generator elsewhere
        const Outcome second = run(e, o);
        EXPECT_EQ(first.value, second.value) << e.name;
        EXPECT_EQ(first.batches, second.batches) << e.name;
    }
}

// With common draws, V(S + dS) - V(S) is the pathwise Delta times dS (Delta
// of an at-the-money call is near 0.5 under every model here): about 0.005
// for dS = 0.01. Independent draws would put a random error of about
// sqrt(2) * 0.05 = 0.07 on the difference, fourteen times the 0.005 allowed.
TEST(MonteCarlo, BumpedSpotReusesTheDrawsSoTheDifferenceIsDeltaTimesTheBump) {
    Terms o;
    o.t = 0.1;
    o.K = 60.0;
    constexpr double dS = 0.01;
    const double sd = o.Sigma * std::sqrt(o.t);
    const double d1 = (std::log(o.S / o.K) + (o.r - o.delta + 0.5 * o.Sigma * o.Sigma) * o.t) / sd;
    const double bs_delta = std::exp(-o.delta * o.t) * Phi(d1);
    for (const Engine& e : engines) {
        const Outcome base = run(e, o);
        Terms up = o;
        up.S += dS;
        const Outcome bumped = run(e, up);
        EXPECT_EQ(base.batches, bumped.batches) << e.name;
        EXPECT_NEAR(bumped.value - base.value, bs_delta * dS, 0.002)
            << e.name << ": V(S) = " << base.value << ", V(S + dS) = " << bumped.value
            << ", closed-form Delta * dS = " << bs_delta * dS;
    }
}

// A given batch count overrides the stopping rule: the run simulates exactly
// those pairs, and with the count the rule would have chosen it is the same
// run, bit for bit.
TEST(MonteCarlo, AGivenBatchCountRunsExactlyThatManyBatches) {
    Terms o;
    o.t = 0.1;
    for (const Engine& e : engines) {
        const Outcome free = run(e, o);
        int batches = 0;
        const auto count = [&batches] { ++batches; };
        const double same = mcarlo(o.t, o.Sigma, o.r, o.K, o.S, o.delta, o.optype, e.itype, o.rho, e.vtype, count,
                                   static_cast<BatchCount>(free.batches));
        EXPECT_EQ(batches, free.batches) << e.name;
        EXPECT_EQ(same, free.value) << e.name;
        batches = 0;
        // Far out of the money the rule would stop after one batch.
        mcarlo(o.t, o.Sigma, o.r, 10.0 * o.S, o.S, o.delta, o.optype, e.itype, o.rho, e.vtype, count, 7);
        EXPECT_EQ(batches, 7) << e.name;
    }
}

// A tenfold move in half a year at 20% volatility is beyond 10 standard
// deviations: every payoff is 0, so is the standard error, and one batch does.
TEST(MonteCarlo, FarOutOfTheMoneyIsZeroAfterOneBatch) {
    Terms call;
    call.K = 600.0;
    Terms put;
    put.K = 6.0;
    put.optype = 1;
    for (const Engine& e : engines) {
        for (const Terms& o : {call, put}) {
            const Outcome res = run(e, o);
            EXPECT_EQ(res.value, 0.0) << e.name << " K = " << o.K;
            EXPECT_EQ(res.batches, 1) << e.name << " K = " << o.K;
        }
    }
}

// Below half a step there are no steps: every sample is the intrinsic value,
// the standard error is 0 and one batch does. Only mcarlo_cv discounts (by
// e^(-r t)); the rate engines divide by a growth factor that stays 1.
TEST(MonteCarlo, ExpiryWithinHalfAStepGivesTheIntrinsicValueAfterOneBatch) {
    Terms o;
    o.t = 0.002;
    ASSERT_EQ(mc_steps(o.t), 0);
    Terms call = o;
    call.S = 60.0, call.K = 50.0;
    Terms put = o;
    put.S = 50.0, put.K = 60.0, put.optype = 1;
    for (const Engine& e : engines) {
        for (const Terms& x : {call, put}) {
            const double expected = 10.0 * (e.itype == 1 ? 1.0 : std::exp(-x.r * x.t));
            const Outcome res = run(e, x);
            EXPECT_NEAR(res.value, expected, 1e-12) << e.name << " optype " << x.optype;
            EXPECT_EQ(res.batches, 1) << e.name << " optype " << x.optype;
        }
    }
}

// Equal non-zero samples: sumsq - sum^2 / M is 0 in exact arithmetic but can
// come out a few ulps below 0 in doubles. The run must take that as a zero
// spread (one batch), not fault on the square root of a negative number.
TEST(MonteCarlo, EqualSamplesWithRoundingBelowZeroStillStopAfterOneBatch) {
    Terms o;
    o.t = 0.002;
    o.S = 60.0;
    // Find a strike whose intrinsic value shows the negative residue when
    // 100 copies are summed the way a batch sums them.
    double strike = 0.0;
    for (int k = 1; k < 1000 && strike == 0.0; ++k) {
        const double K = 50.0 + 0.001 * k;
        const double x = o.S - K;
        double sum = 0.0, sumsq = 0.0;
        for (int p = 0; p < 100; ++p) sum += x, sumsq += x * x;
        if (sumsq - sum * sum / 100 < 0.0) strike = K;
    }
    ASSERT_NE(strike, 0.0) << "no strike in (50, 51) leaves a negative residue";
    o.K = strike;
    for (const Engine& e : engines) {
        Outcome res{};
        EXPECT_NO_THROW(res = run(e, o)) << e.name << " K = " << strike;
        EXPECT_EQ(res.batches, 1) << e.name << " K = " << strike;
        const double intrinsic = (o.S - strike) * (e.itype == 1 ? 1.0 : std::exp(-o.r * o.t));
        EXPECT_NEAR(res.value, intrinsic, 1e-12) << e.name << " K = " << strike;
    }
}

// Distinct values for every argument, so a routing or reordering mistake
// shows up as a different value.
TEST(MonteCarlo, EntryPointChoosesTheEngineAndReordersTheArguments) {
    const double t = 0.05, Sigma = 0.3, r = 0.06, K = 62.0, S = 58.0, delta = 0.01, rho = 0.4;
    const std::int16_t put = 1;

    reset_uniform();
    const double cv_direct = mcarlo_cv(K, S, r, delta, t, Sigma, put);
    reset_uniform();
    const double vc_direct = mcarlo_vc(K, S, r, delta, t, Sigma, put, rho);
    reset_uniform();
    const double vv_direct = mcarlo_vv(K, S, r, delta, t, Sigma, put, rho);

    // Any itype but 1 is mcarlo_cv, whatever vtype and rho hold (rho = 5
    // would fault in an engine that used it).
    for (std::int16_t itype : {0, 2, -1})
        for (std::int16_t vtype : {0, 1})
            for (double any_rho : {0.0, 0.7, 5.0})
                EXPECT_EQ(mcarlo(t, Sigma, r, K, S, delta, put, itype, any_rho, vtype), cv_direct)
                    << "itype " << itype << " vtype " << vtype << " rho " << any_rho;
    EXPECT_EQ(mcarlo(t, Sigma, r, K, S, delta, put, 1, rho, 1), vv_direct);
    for (std::int16_t vtype : {0, 2, -1})
        EXPECT_EQ(mcarlo(t, Sigma, r, K, S, delta, put, 1, rho, vtype), vc_direct) << "vtype " << vtype;

    // The correlation moves the rate engines through their rate paths.
    EXPECT_NE(mcarlo(t, Sigma, r, K, S, delta, put, 1, -rho, 0), vc_direct);
    EXPECT_NE(mcarlo(t, Sigma, r, K, S, delta, put, 1, -rho, 1), vv_direct);
}

TEST(MonteCarlo, CorrelationBeyondOneFaultsOnlyInTheRateEngines) {
    Terms o;
    o.t = 0.02;
    for (double rho : {1.5, -1.01}) {
        o.rho = rho;
        EXPECT_THROW(run(vc, o), ArithmeticError) << "rho " << rho;
        EXPECT_THROW(run(vv, o), ArithmeticError) << "rho " << rho;
        EXPECT_NO_THROW(run(cv, o)) << "rho " << rho;
    }
    for (double rho : {1.0, -1.0}) {  // sqrt(1 - rho^2) = 0: the rate shock is +/- the asset shock
        o.rho = rho;
        EXPECT_NO_THROW(run(vc, o)) << "rho " << rho;
        EXPECT_NO_THROW(run(vv, o)) << "rho " << rho;
    }
}

// At a spot of a million the one-step payoffs have a spread of thousands, so
// the standard error after 32,700 pairs is still far above 0.05; the count of
// pairs 100 * 328 does not fit 16 bits, once the 328th batch has run.
TEST(MonteCarlo, TheBatchCountOverflowsAfterThe328thBatch) {
    Terms o;
    o.t = 0.005;
    o.S = 1e6;
    o.K = 1e6;
    for (const Engine& e : engines) {
        int batches = 0;
        EXPECT_THROW(
            mcarlo(o.t, o.Sigma, o.r, o.K, o.S, o.delta, o.optype, e.itype, o.rho, e.vtype, [&batches] { ++batches; }),
            ArithmeticError)
            << e.name;
        EXPECT_EQ(batches, 328) << e.name;
    }
}

struct Abandon : std::runtime_error {
    Abandon() : std::runtime_error("abandoned") {}
};

TEST(MonteCarlo, AThrowingYieldAbandonsTheRunAndLeavesNothingBehind) {
    Terms o;
    o.t = 0.05;
    o.K = 60.0;
    const Outcome clean = run(cv, o);
    ASSERT_GE(clean.batches, 2) << "the run must outlast the batch at which the hook throws";

    int batches = 0;
    EXPECT_THROW(mcarlo(o.t, o.Sigma, o.r, o.K, o.S, o.delta, o.optype, 0, 0.0, 0,
                        [&batches] {
                            if (++batches == 2) throw Abandon();
                        }),
                 Abandon);
    EXPECT_EQ(batches, 2);
    EXPECT_EQ(run(cv, o).value, clean.value);
}

// A valuation started from inside the yield (a second Compute) resets the
// shared generator and owns all its other state, so it gives the value it
// would give on its own.
TEST(MonteCarlo, AValuationStartedInsideTheYieldIsSelfContained) {
    Terms inner;
    inner.t = 0.05;
    inner.K = 61.0;
    const double alone = run(vc, inner).value;

    Terms outer;
    outer.t = 0.05;
    outer.K = 60.0;
    double nested = -1.0;
    int batches = 0;
    const double v = mcarlo(outer.t, outer.Sigma, outer.r, outer.K, outer.S, outer.delta, outer.optype, 1, 0.0, 0, [&] {
        if (++batches == 1) nested = run(vc, inner).value;
    });
    EXPECT_EQ(nested, alone);
    EXPECT_GT(v, 0.0);
}

}  // namespace
}  // namespace tvx
