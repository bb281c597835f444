// The simulation's estimates against closed forms: the forward value deep
// in the money, Black-Scholes for the stochastic rate without correlation,
// the stopping rule's batch count from the payoffs' spread, and put-call
// parity.
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
#include "support/black_scholes.h"

namespace tvx {
namespace {

using namespace test;

using test::exact_bs;

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

}  // namespace
}  // namespace tvx
