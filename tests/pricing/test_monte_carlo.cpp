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
#include "pricing/monte_carlo.h"
#include "pricing/pipeline.h"
#include "pricing/random.h"
#include "support/black_scholes.h"

namespace tvx {
namespace {

using test::exact_bs;
double Phi(double x) { return test::exact_N(x); }

struct Engine {
    const char* name;
    std::int16_t itype;
    std::int16_t vtype;
};
constexpr Engine cv{"mcarlo_cv", 0, 0};
constexpr Engine vc{"mcarlo_vc", 1, 0};
constexpr Engine vv{"mcarlo_vv", 1, 1};
constexpr Engine engines[] = {cv, vc, vv};

// The main window's default terms.
struct Terms {
    double t = 0.5;
    double Sigma = 0.2;
    double r = 0.045;
    double K = 64.0;
    double S = 60.0;
    double delta = 0.021;
    std::int16_t optype = 0;
    double rho = 0.0;
};

struct Outcome {
    double value;
    int batches;  // yields seen: one per batch
};

Outcome run(const Engine& e, const Terms& o) {
    int batches = 0;
    const double v =
        mcarlo(o.t, o.Sigma, o.r, o.K, o.S, o.delta, o.optype, e.itype, o.rho, e.vtype, [&batches] { ++batches; });
    return {v, batches};
}

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

// Deep in the money with 1% volatility every path ends far beyond the strike,
// so the value is the forward value S e^(-delta t) - K e^(-r t) (the reverse
// for the put): this pins the carry, the dividend drift and the discounting
// (by e^(-r t), or by each pair's own rate path). In the rate engines the
// price over D is free of the rate, and K / D wanders by about
// K 0.002 sqrt(r) sqrt(t^3 / 3) = 0.0035 per pair; the antithetic average
// leaves a price spread of about S sigma^2 t / sqrt(2) = 0.002. The mean of
// 100 pairs is a tenth of that, well inside the 0.005 allowed, and one batch
// suffices.
TEST(MonteCarloStatistics, DeepInTheMoneyWithLowVolatilityIsWorthTheForwardValue) {
    Terms call;
    call.Sigma = 0.01;
    call.K = 40.0;
    Terms put = call;
    put.K = 80.0;
    put.optype = 1;
    for (const Engine& e : engines) {
        for (const Terms& o : {call, put}) {
            const double forward = o.S * std::exp(-o.delta * o.t) - o.K * std::exp(-o.r * o.t);
            const double expected = o.optype == 0 ? forward : -forward;
            const Outcome res = run(e, o);
            EXPECT_NEAR(res.value, expected, 0.005) << e.name << " optype " << o.optype << " K = " << o.K;
            EXPECT_EQ(res.batches, 1) << e.name << " optype " << o.optype;
        }
    }
}

TEST(MonteCarloStatistics, RateEngineWithoutCorrelationMatchesTheClosedForm) {
    const Terms o;
    const double reference = exact_bs(o.t, o.Sigma, o.r, o.K, o.S, o.delta, true).value;
    ASSERT_NEAR(reference, 2.069, 0.001);
    const Outcome res = run(vc, o);
    // The run stops once its standard error is below 0.05; 0.1 is two of them.
    EXPECT_NEAR(res.value, reference, 0.1) << "after " << res.batches << " batches";
}

// The stopping rule: a run ends at the first batch b with sd / sqrt(100 b)
// below 0.05, where sd is the spread of one pair's discounted average
// payoff. For mcarlo_vc at rho = 0 that is the Black-Scholes pair
// e^(-r t) (f(Z) + f(-Z)) / 2, whose variance is integrated here (Simpson,
// Z in [-10, 10]), so b is about sd^2 / 0.25 (0.25 = 100 * 0.05^2). The
// sample spread of a few thousand pairs of such skewed payoffs is good to
// several per cent, and the first crossing comes early rather than late:
// 30 per cent of b is allowed.
TEST(MonteCarloStatistics, StoppingRuleEndsWhereThePayoffSpreadPredicts) {
    const Terms o;
    const double drift = (o.r - o.delta - 0.5 * o.Sigma * o.Sigma) * o.t;
    const double vol = o.Sigma * std::sqrt(o.t);
    const auto pair = [&](double z) {
        const auto f = [&](double x) { return std::max(o.S * std::exp(drift + vol * x) - o.K, 0.0); };
        return std::exp(-o.r * o.t) * 0.5 * (f(z) + f(-z));
    };
    constexpr int steps = 4000;
    const double h = 20.0 / steps;
    double m1 = 0.0, m2 = 0.0;
    for (int k = 0; k <= steps; ++k) {
        const double z = -10.0 + h * k;
        const double w = (k == 0 || k == steps) ? 1.0 : (k % 2 ? 4.0 : 2.0);
        const double density = std::exp(-0.5 * z * z) / std::sqrt(2.0 * std::numbers::pi);
        const double y = pair(z);
        m1 += w * density * y;
        m2 += w * density * y * y;
    }
    m1 *= h / 3.0;
    m2 *= h / 3.0;
    const double variance = m2 - m1 * m1;
    const double predicted = variance / (100.0 * 0.05 * 0.05);
    const Outcome res = run(vc, o);
    EXPECT_NEAR(res.batches, predicted, 0.3 * predicted)
        << "pair variance " << variance << ", predicted batches " << predicted;
}

// Call minus put per pair is (A + B) / 2 - K (discounted), whose mean is
// S e^(-delta t) - K e^(-r t) in all three models: the asset step is a
// martingale after the drift, E[c e1] = 1 given the volatility, and the rate
// engines divide the price by the same growth they put into it. The two runs
// stop with standard errors below 0.05 each, so the gap has a standard
// deviation below 0.05 + 0.05 = 0.1; 0.2 is two of those.
TEST(MonteCarloStatistics, CallMinusPutMatchesParity) {
    Terms call;
    Terms put;
    put.optype = 1;
    const double parity = call.S * std::exp(-call.delta * call.t) - call.K * std::exp(-call.r * call.t);
    for (const Engine& e : engines) {
        const Outcome c = run(e, call);
        const Outcome p = run(e, put);
        EXPECT_NEAR(c.value - p.value, parity, 0.2) << e.name << ": call " << c.value << " (" << c.batches
                                                    << " batches), put " << p.value << " (" << p.batches << " batches)";
    }
}

// ---------------------------------------------------------------------------
// The SIMD paths against a scalar transcription of the three models.
//
// The transcription below is the model written out plainly, one pair after
// another and one step after another, with the C library's exp and log and
// snorm's own draws from the same generator. Every SIMD build the processor
// runs is forced in turn (a build the machine would not choose by itself is
// still exercised) and must use exactly the same uniforms (the generator
// ends where the transcription leaves it) and give the same estimate up to
// the rounding of its exponential and logarithm. Both libraries are within
// 1 ulp of the true value, so a single result differs by at most 2 ulp
// (4.4e-16 relative); a step multiplies a price by at most four such
// exponentials, whose arguments carry the normals' own few-ulp differences
// (arguments below 1 in size), so a price drifts by at most about 2e-15
// relative per step, and a payoff by (S + K) times that over n steps. The
// tolerance is 5e-15 n (S + K), plus a few ulp of the estimate itself; the
// largest difference seen is reported.

struct Transcribed {
    double value;
    double next_uniform;  // where the run left the generator
};

double reference_snorm() {
    for (;;) {
        const double u1 = 2.0 * uniform() - 1.0;
        const double u2 = 2.0 * uniform() - 1.0;
        const double w = u1 * u1 + u2 * u2;
        if (w >= 1.0 || w == 0.0) continue;
        return u1 * std::sqrt(-2.0 * std::log(w) / w);
    }
}

// The stopping rule is replaced by a fixed count of batches; dt is the step
// length (0.005 exactly for a time on the grid).
Transcribed transcribe(const Engine& e, const Terms& o, int batches, int n, double dt) {
    reset_uniform();
    const double sdt = std::sqrt(dt);
    const double c_rho = std::sqrt(1.0 - o.rho * o.rho);
    const double G = std::exp((o.r - o.delta) * dt);
    const double H = std::exp(-(o.Sigma * 0.5 * o.Sigma + o.delta) * dt);
    const double E = std::exp(-o.delta * dt);
    const double s1 = o.Sigma * sdt;
    double sum = 0.0;
    for (int b = 0; b < batches; ++b) {
        for (int pair = 0; pair < 100; ++pair) {
            double A = o.S, B = o.S, V = o.Sigma, R = o.r, D = 1.0;
            for (int j = 0; j < n; ++j) {
                if (e.itype != 1) {  // stochastic volatility
                    const double z1 = reference_snorm(), z2 = reference_snorm();
                    V = V * std::exp(0.2 * z2 * sdt);
                    const double e1 = std::exp(V * sdt * z1);
                    const double c = std::exp(V * (-0.5) * V * dt);
                    A = A * G * c * e1;
                    B = B * G * c / e1;
                } else if (e.vtype != 1) {  // stochastic rate
                    const double z1 = reference_snorm(), z2 = reference_snorm();
                    const double w = o.rho * z1 + z2 * c_rho;
                    const double q = std::sqrt(R * dt);
                    R = q * 0.002 * w + R + (o.r - R) * 1.0 * dt;
                    const double e1 = std::exp(z1 * s1);
                    const double g = std::exp(R * dt);
                    A = A * H * g * e1;
                    B = B * H * g / e1;
                    D = g * D;
                } else {  // both
                    const double z1 = reference_snorm(), z2 = reference_snorm(), z3 = reference_snorm();
                    const double w = z1 * o.rho + z3 * c_rho;
                    V = V * std::exp(0.2 * z2 * sdt);
                    const double q = std::sqrt(R * dt);
                    R = (o.r - R) * 0.95 * dt + R + q * 0.002 * w;
                    const double e1 = std::exp(V * sdt * z1);
                    const double g = std::exp(R * dt);
                    const double c = std::exp(V * (-0.5) * V * dt);
                    A = A * E * c * g * e1;
                    B = B * E * c * g / e1;
                    D = g * D;
                }
            }
            const double y = (payoff(B, o.K, o.optype) + payoff(A, o.K, o.optype)) * 0.5;
            sum += e.itype != 1 ? y : y / D;
        }
    }
    const double scale = e.itype != 1 ? std::exp(-o.r * o.t) : 1.0;
    return {sum / (100.0 * batches) * scale, uniform()};
}

double tolerance(const Terms& o, int n, double value) {
    return 5e-15 * n * (o.S + o.K) + 8.0 * std::numeric_limits<double>::epsilon() * std::fabs(value);
}

// Runs a check once on every SIMD build this processor runs, then returns
// to the fastest.
template <class Check>
void on_every_simd_build(Check check) {
    const std::vector<std::int64_t> builds = mc_simd_targets();
    ASSERT_FALSE(builds.empty());
    for (const std::int64_t build : builds) {
        mc_force_simd_target(build);
        check(std::string(mc_simd_target()));
    }
    mc_force_simd_target(0);
}

TEST(MonteCarloSimd, ForcingABuildSelectsIt) {
    std::vector<std::string> names;
    on_every_simd_build([&](const std::string& name) { names.push_back(name); });
    // At least the portable build and the baseline x86-64 (SSE2-only) path
    // beside whatever this machine prefers.
    EXPECT_GE(names.size(), 2u);
    for (std::size_t k = 1; k < names.size(); ++k) EXPECT_NE(names[k], names[k - 1]);
}

// The generator's twist runs on the same SIMD builds; every one gives the
// Mersenne Twister's words, including across block boundaries.
TEST(MonteCarloSimd, EveryBuildDrawsTheMersenneTwistersWords) {
    on_every_simd_build([](const std::string& name) {
        reset_uniform();
        std::mt19937 reference(250);
        for (int k = 0; k < 2000; ++k)
            ASSERT_EQ(uniform(), static_cast<double>(reference() >> 8) * 0x1p-24) << name << ", draw " << k;
    });
}

// The paths' exponential, on every build, against the 64-bit-mantissa
// exponential of long double, over the whole range the fast path uses
// (|x| <= 706), with the arguments the paths mostly see (a few
// hundredths) and those next to the reduction's boundaries (odd multiples
// of ln 2 / 2) among them. Its error budget, in ulps of the result: the
// final 1 + p rounds by 0.5; p = r + r^2 (...) by at most 0.5 of its own
// ulp, at most half the result's; the reduced argument r carries at most
// 0.25 (it is rounded once or twice, and e^r amplifies no error); the
// series is cut below 1e-17. So 1.5 ulp is a bound with room.
TEST(MonteCarloSimd, EveryBuildsExponentialIsWithinAnUlp) {
    std::vector<double> x = {0.0, -0.0, 1e-300, -1e-300, 1e-17, 706.0, -706.0, 1.0, -1.0};
    std::mt19937_64 gen(7);
    std::uniform_real_distribution<double> wide(-706.0, 706.0), unit(-1.0, 1.0), small(-0.05, 0.05);
    for (int k = 0; k < 20000; ++k) x.push_back(wide(gen)), x.push_back(unit(gen)), x.push_back(small(gen));
    for (int k = -2037; k <= 2037; k += 2) {
        const double edge = k * 0.5 * std::numbers::ln2;
        if (std::fabs(edge) <= 706.0)
            x.push_back(std::nextafter(edge, 0.0)), x.push_back(edge), x.push_back(std::nextafter(edge, 1e9));
    }
    on_every_simd_build([&](const std::string& name) {
        std::vector<double> y(x.size());
        mc_vector_exp(x, y);
        double worst = 0.0;
        for (std::size_t k = 0; k < x.size(); ++k) {
            const long double exact = std::exp(static_cast<long double>(x[k]));
            const double nearest = static_cast<double>(exact);
            const double ulp = std::nextafter(nearest, std::numeric_limits<double>::infinity()) - nearest;
            const double err = static_cast<double>(std::fabs(static_cast<long double>(y[k]) - exact) / ulp);
            worst = std::max(worst, err);
            ASSERT_LE(err, 1.5) << name << ": e^" << x[k] << " gave " << y[k];
        }
        char text[32];
        std::snprintf(text, sizeof text, "%.3f", worst);
        RecordProperty(name + "_exp_worst_ulp", text);
    });
}

// snorm_fill against snorm, from a generator standing on an odd word (so a
// pair straddles each block boundary) and over a count that ends inside a
// vector: the same normals up to the logarithm's rounding, and the
// generator left on the same word.
TEST(MonteCarloSimd, EveryBuildFillsTheSameNormalsAsSnorm) {
    on_every_simd_build([](const std::string& name) {
        constexpr std::size_t count = 10007;
        reset_uniform();
        uniform();
        std::vector<double> expected(count);
        for (double& z : expected) z = snorm();
        const double next = uniform();

        reset_uniform();
        uniform();
        std::vector<double> got(count);
        snorm_fill(got);
        EXPECT_EQ(uniform(), next) << name << ": the generator ends elsewhere";
        for (std::size_t k = 0; k < count; ++k)
            ASSERT_NEAR(got[k], expected[k], 8.0 * std::numeric_limits<double>::epsilon() * std::fabs(expected[k]))
                << name << ", normal " << k;
    });
}

struct SimdCase {
    const char* what;
    Terms terms;
    StepCount steps;  // kStepsOfTime: the time's own
    double dt;        // the transcription's step length
};

std::vector<SimdCase> simd_cases() {
    std::vector<SimdCase> cases;
    const Terms base;
    cases.push_back({"defaults (0.5 years, 100 steps of exactly 0.005)", base, kStepsOfTime, 0.005});
    Terms put = base;
    put.optype = 1, put.rho = -0.6, put.K = 58.0;
    cases.push_back({"put, correlated", put, kStepsOfTime, 0.005});
    Terms typed = base;
    typed.t = parse_number("0.505");  // on the grid, but not 101 * 0.005 in binary
    cases.push_back({"time 0.505 as typed", typed, kStepsOfTime, 0.005});
    Terms bumped = base;
    bumped.t = 0.5 - 0.5 * 0.001;  // the Theta valuation: the value's 100 steps, each 0.004995
    cases.push_back({"time bumped down a thousandth", bumped, 100, bumped.t / 100});
    Terms off = base;
    off.t = 0.5037;
    cases.push_back({"time off the grid", off, kStepsOfTime, 0.5037 / 101});
    Terms none = base;
    none.t = 0.002;  // no steps at all
    none.K = 59.0;
    cases.push_back({"no steps", none, kStepsOfTime, 0.005});
    return cases;
}

TEST(MonteCarloSimd, EveryBuildMatchesTheScalarTranscriptionOnTheSameDraws) {
    on_every_simd_build([](const std::string& name) {
        for (const SimdCase& c : simd_cases()) {
            const Terms& o = c.terms;
            const int n = c.steps == kStepsOfTime ? mc_steps(o.t) : c.steps;
            for (const Engine& e : engines) {
                constexpr int batches = 2;
                const double got = mcarlo(o.t, o.Sigma, o.r, o.K, o.S, o.delta, o.optype, e.itype, o.rho, e.vtype, {},
                                          batches, c.steps);
                const double next = uniform();
                const Transcribed want = transcribe(e, o, batches, n, c.dt);
                EXPECT_NEAR(got, want.value, tolerance(o, n, want.value)) << name << ", " << e.name << ", " << c.what;
                EXPECT_EQ(next, want.next_uniform) << name << ", " << e.name << ", " << c.what << ": other draws";
            }
        }
    });
}

// A batch is spread over the cores in groups of pairs, but the sums are
// formed in pair order afterwards: the estimate must come out the same to
// the last bit whatever the number of helper threads, on every build, and
// the generator must end on the same word.
TEST(MonteCarloSimd, TheNumberOfThreadsChangesNoBit) {
    const unsigned helpers = pipeline_helpers();
    const Terms o;
    on_every_simd_build([&](const std::string& name) {
        for (const Engine& e : engines) {
            std::vector<double> values, next;
            for (const unsigned n : {0u, 1u, 3u}) {
                set_pipeline_helpers(n);
                values.push_back(
                    mcarlo(o.t, o.Sigma, o.r, o.K, o.S, o.delta, o.optype, e.itype, o.rho, e.vtype, {}, 3));
                next.push_back(uniform());
            }
            for (std::size_t k = 1; k < values.size(); ++k) {
                EXPECT_EQ(values[k], values[0]) << name << ", " << e.name << ", run " << k;
                EXPECT_EQ(next[k], next[0]) << name << ", " << e.name << ", run " << k;
            }
        }
    });
    set_pipeline_helpers(helpers);
}

// Many batches at the defaults, on the build this machine chooses: the
// largest difference from the transcription stays within the tolerance
// and is recorded in the test report.
TEST(MonteCarloSimd, ManyBatchesStayWithinTheRoundingOfTheExponential) {
    const Terms o;
    for (const Engine& e : engines) {
        double largest = 0.0;
        for (const int b : {1, 25}) {
            const double got = mcarlo(o.t, o.Sigma, o.r, o.K, o.S, o.delta, o.optype, e.itype, o.rho, e.vtype, {},
                                      static_cast<BatchCount>(b));
            const Transcribed want = transcribe(e, o, b, 100, 0.005);
            EXPECT_NEAR(got, want.value, tolerance(o, 100, want.value)) << e.name << ", " << b << " batches";
            largest = std::max(largest, std::fabs(got - want.value));
        }
        char text[32];
        std::snprintf(text, sizeof text, "%.3g", largest);  // differences are far below to_string's 1e-6
        RecordProperty(std::string(e.name) + "_largest_difference", text);
    }
}

// The SIMD paths run unchecked and check each path's states at its end:
// every fault the checked scalar model raises must still end the
// valuation, on every build.
TEST(MonteCarloSimd, EveryBuildStillFaultsWhereTheCheckedModelDoes) {
    on_every_simd_build([](const std::string& name) {
        const auto run_with = [](const Engine& e, Terms o) {
            return mcarlo(o.t, o.Sigma, o.r, o.K, o.S, o.delta, o.optype, e.itype, o.rho, e.vtype, {}, 1);
        };
        Terms huge_price;  // A G c e1 overflows
        huge_price.S = 1e308;
        huge_price.K = 1.0;
        Terms huge_vol;  // v (-0.5) v dt overflows to -infinity inside an exponential's argument
        huge_vol.Sigma = 1e160;
        Terms wild_rate_engine;  // e^(z1 Sigma sqrt(dt)) with arguments in the thousands: over- and underflow
        wild_rate_engine.Sigma = 5e4;
        Terms negative_rate;  // sqrt(R dt) of a negative rate
        negative_rate.r = -0.5;
        for (const Engine& e : engines)
            EXPECT_THROW(run_with(e, huge_price), ArithmeticError) << name << ", " << e.name;
        EXPECT_THROW(run_with(cv, huge_vol), ArithmeticError) << name;
        EXPECT_THROW(run_with(vv, huge_vol), ArithmeticError) << name;
        EXPECT_THROW(run_with(vc, wild_rate_engine), ArithmeticError) << name;
        EXPECT_THROW(run_with(vc, negative_rate), ArithmeticError) << name;
        EXPECT_THROW(run_with(vv, negative_rate), ArithmeticError) << name;
    });
}

}  // namespace
}  // namespace tvx
