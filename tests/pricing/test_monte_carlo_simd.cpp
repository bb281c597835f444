// The simulation's SIMD builds, each forced in turn, against a scalar
// transcription of the three models on the same draws, against snorm and
// the Mersenne Twister, and against each other across thread counts.
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

namespace tvx {
namespace {

using namespace test;

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
