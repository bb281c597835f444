// The exact normal distribution and the exact closed form with its
// analytic sensitivities. References: values of the normal distribution
// computed to 30 digits (mpmath), the textbook examples of Hull (Options,
// Futures and Other Derivatives) and Haug (The Complete Guide to Option
// Pricing Formulas, the generalized Black-Scholes-Merton formula and its
// Greeks) to the digits they publish, the formula written out once more in
// tests/support/black_scholes.h, put-call parity and central differences.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/fault.h"
#include "pricing/exact_closed_form.h"
#include "pricing/normal.h"
#include "support/black_scholes.h"

namespace tvx {
namespace {

TEST(ExactNormal, AgreesWithThirtyDigitValuesInBothTails) {
    struct Point {
        double x, lower;  // P(Z <= x), mpmath at 30 digits
    };
    // Each side within a few ulps of itself, in relative terms, from the
    // centre to where the lower tail leaves the normal numbers.
    for (const Point p :
         {Point{-37, 5.7255712225245768227e-300}, Point{-20, 2.7536241186062336951e-89},
          Point{-10, 7.619853024160526066e-24}, Point{-5.5, 1.8989562465887719384e-8},
          Point{-3, 0.0013498980316300945267}, Point{-1, 0.15865525393145705141}, Point{-0.5, 0.30853753872598689636},
          Point{0, 0.5}, Point{0.3, 0.61791142218895263307}, Point{0.66291, 0.74630590161026006017},
          Point{0.7, 0.75803634777692697138}, Point{2, 0.9772498680518207928}}) {
        EXPECT_NEAR(normal_cdf(p.x), p.lower, 4e-16 * p.lower) << "x = " << p.x;
        const NormalSides s = normal_sides(p.x, half_square_exp(p.x));
        EXPECT_EQ(s.lower, normal_cdf(p.x));
        EXPECT_NEAR(s.upper, 1.0 - p.lower, 4e-16) << "x = " << p.x;
    }
    // The upper tail itself, far out: relative accuracy, not 1 - lower.
    EXPECT_NEAR(normal_sides(5.7, half_square_exp(5.7)).upper, 5.9903714010635281878e-9, 2e-24);
    EXPECT_NEAR(normal_sides(8.2, half_square_exp(8.2)).upper, 1.2019351542735853705e-16, 4e-31);
    EXPECT_EQ(normal_cdf(-40.0), 0.0);
    EXPECT_EQ(normal_cdf(40.0), 1.0);
    // The density's exponential with the square carried exactly:
    // e^(-1250) underflows, e^(-0.5 * 30.5^2) = e^(-465.125).
    EXPECT_NEAR(half_square_exp(30.5) / std::exp(-465.125), 1.0, 1e-15);
    EXPECT_EQ(half_square_exp(50.0), 0.0);
}

TEST(ExactClosedForm, HullsTextbookExamples) {
    // S = 42, K = 40, r = 10 %, sigma = 20 %, T = 0.5: c = 4.76, p = 0.81.
    EXPECT_NEAR(solver_euro_exact(0.5, 0.2, 0.1, 40, 42, 0, 0), 4.76, 0.005);
    EXPECT_NEAR(solver_euro_exact(0.5, 0.2, 0.1, 40, 42, 0, 1), 0.81, 0.005);
    // Index option: S = 930, K = 900, r = 8 %, q = 3 %, sigma = 20 %, two
    // months: c = 51.83.
    EXPECT_NEAR(solver_euro_exact(2.0 / 12.0, 0.2, 0.08, 900, 930, 0.03, 0), 51.83, 0.005);
    // The Greeks' running example: S = 49, K = 50, r = 5 %, sigma = 20 %,
    // 20 weeks. Price 2.40, Delta 0.522, Gamma 0.066, Theta -4.31 a year
    // (calendar time: here +4.31 per year of remaining life), Vega 12.1,
    // Rho 8.91.
    const Sensitivities h = exact_euro_sensitivities(20.0 / 52.0, 0.2, 0.05, 50, 49, 0, 0);
    EXPECT_NEAR(h.value, 2.40, 0.005);
    EXPECT_NEAR(h.delta, 0.522, 0.0005);
    EXPECT_NEAR(h.gamma, 0.066, 0.0005);
    EXPECT_NEAR(h.theta, 4.31, 0.005);
    EXPECT_NEAR(h.vega, 12.1, 0.05);
    EXPECT_NEAR(h.rho, 8.91, 0.005);
}

TEST(ExactClosedForm, HaugsGeneralizedBlackScholesMertonExamples) {
    // Call on a stock: S = 60, X = 65, T = 0.25, r = 8 %, sigma = 30 %: 2.1334.
    EXPECT_NEAR(solver_euro_exact(0.25, 0.3, 0.08, 65, 60, 0, 0), 2.1334, 0.00005);
    // Put on an index: S = 100, X = 95, T = 0.5, r = 10 %, q = 5 %, sigma =
    // 20 %: 2.4648.
    EXPECT_NEAR(solver_euro_exact(0.5, 0.2, 0.1, 95, 100, 0.05, 1), 2.4648, 0.00005);
    // Delta of a futures option (cost of carry 0, so q = r): S = 105, X =
    // 100, T = 0.5, r = 10 %, sigma = 36 %: call 0.5946, put -0.3566.
    EXPECT_NEAR(exact_euro_sensitivities(0.5, 0.36, 0.1, 100, 105, 0.1, 0).delta, 0.5946, 0.00005);
    EXPECT_NEAR(exact_euro_sensitivities(0.5, 0.36, 0.1, 100, 105, 0.1, 1).delta, -0.3566, 0.00005);
    // Gamma: S = 55, X = 60, T = 0.75, r = b = 10 %, sigma = 30 %: 0.0278.
    EXPECT_NEAR(exact_euro_sensitivities(0.75, 0.3, 0.1, 60, 55, 0, 0).gamma, 0.0278, 0.00005);
    // Theta of an index put: S = 430, X = 405, T = 0.0833, r = 7 %, q = 5 %,
    // sigma = 20 %: -31.1924 a year of calendar time.
    EXPECT_NEAR(exact_euro_sensitivities(0.0833, 0.2, 0.07, 405, 430, 0.05, 1).theta, 31.1924, 0.00005);
    // Rho of a call: S = 72, X = 75, T = 1, r = b = 9 %, sigma = 19 %: 38.7325.
    EXPECT_NEAR(exact_euro_sensitivities(1, 0.19, 0.09, 75, 72, 0, 0).rho, 38.7325, 0.00005);
}

// Random realistic terms, calls and puts.
struct Terms {
    double t, sigma, r, x, S, q;
    std::int16_t optype;
};

std::vector<Terms> random_terms(int count) {
    std::mt19937_64 gen(29);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<Terms> all;
    for (int i = 0; i < count; ++i) {
        const double S = 100.0;
        all.push_back({0.02 + 3.0 * u(gen), 0.05 + 0.9 * u(gen), 0.001 + 0.12 * u(gen),
                       S * std::exp(-0.6 + 1.2 * u(gen)), S, -0.02 + 0.1 * u(gen), static_cast<std::int16_t>(i % 2)});
    }
    return all;
}

TEST(ExactClosedForm, AgreesWithTheFormulaWrittenOutAndParity) {
    for (const Terms& c : random_terms(400)) {
        const Sensitivities s = exact_euro_sensitivities(c.t, c.sigma, c.r, c.x, c.S, c.q, c.optype);
        const test::ExactBs b = test::exact_bs(c.t, c.sigma, c.r, c.x, c.S, c.q, c.optype == 0);
        const auto close = [](double a, double e, double scale) { return std::fabs(a - e) <= 1e-10 * scale; };
        // Relative to each figure, or to the dollar size of the option
        // where a figure is all but nothing (far out of the money).
        EXPECT_TRUE(close(s.value, b.value, std::max(std::fabs(b.value), 1e-6 * c.S))) << s.value << " " << b.value;
        EXPECT_TRUE(close(s.delta, b.delta, std::max(std::fabs(b.delta), 1e-8)));
        EXPECT_TRUE(close(s.gamma, b.gamma, std::max(std::fabs(b.gamma), 1e-8 / c.S)));
        EXPECT_TRUE(close(s.theta, b.theta, std::max(std::fabs(b.theta), 1e-6 * c.S)));
        EXPECT_TRUE(close(s.vega, b.vega, std::max(std::fabs(b.vega), 1e-6 * c.S)));
        EXPECT_TRUE(close(s.rho, b.rho, std::max(std::fabs(b.rho), 1e-6 * c.S)));
        EXPECT_EQ(s.value, solver_euro_exact(c.t, c.sigma, c.r, c.x, c.S, c.q, c.optype));

        // C - P = S e^(-q t) - x e^(-r t), to the rounding of dollars.
        const double call = solver_euro_exact(c.t, c.sigma, c.r, c.x, c.S, c.q, 0);
        const double put = solver_euro_exact(c.t, c.sigma, c.r, c.x, c.S, c.q, 1);
        EXPECT_NEAR(call - put, c.S * std::exp(-c.q * c.t) - c.x * std::exp(-c.r * c.t), 1e-12 * (c.S + c.x));
    }
}

TEST(ExactClosedForm, SensitivitiesAreTheValuesDerivatives) {
    // Central differences of the exact value with relative step h = 1e-4:
    // the truncation is h^2 times the third derivative, about 1e-8 of each
    // figure's scale, and the rounding eps V / h about 1e-11; so 1e-6 of
    // the scale holds with room (Gamma's second difference: eps V / h^2,
    // 1e-7).
    for (const Terms& c : random_terms(60)) {
        const auto v = [&](double t, double sigma, double r, double S) {
            return solver_euro_exact(t, sigma, r, c.x, S, c.q, c.optype);
        };
        const Sensitivities s = exact_euro_sensitivities(c.t, c.sigma, c.r, c.x, c.S, c.q, c.optype);
        const double dS = 1e-4 * c.S, dt = 1e-4 * c.t, ds = 1e-4 * c.sigma, dr = 1e-4 * c.r;
        const double up = v(c.t, c.sigma, c.r, c.S + dS), down = v(c.t, c.sigma, c.r, c.S - dS);
        const double scale = c.S;
        EXPECT_NEAR(s.delta, (up - down) / (2 * dS), 1e-6);
        EXPECT_NEAR(s.gamma, (up - 2 * s.value + down) / (dS * dS), 1e-6);
        EXPECT_NEAR(s.theta, (v(c.t + dt, c.sigma, c.r, c.S) - v(c.t - dt, c.sigma, c.r, c.S)) / (2 * dt),
                    1e-6 * scale);
        EXPECT_NEAR(s.vega, (v(c.t, c.sigma + ds, c.r, c.S) - v(c.t, c.sigma - ds, c.r, c.S)) / (2 * ds), 1e-6 * scale);
        EXPECT_NEAR(s.rho, (v(c.t, c.sigma, c.r + dr, c.S) - v(c.t, c.sigma, c.r - dr, c.S)) / (2 * dr), 1e-6 * scale);
        // And the Black-Scholes equation ties Theta to the others: dV/dt =
        // sigma^2 S^2 Gamma / 2 + (r - q) S Delta - r V.
        EXPECT_NEAR(s.theta,
                    0.5 * c.sigma * c.sigma * c.S * c.S * s.gamma + (c.r - c.q) * c.S * s.delta - c.r * s.value,
                    1e-10 * scale);
    }
}

TEST(ExactClosedForm, FaultsWhereTheClosedFormFaultsAndStaysFiniteFarOut) {
    EXPECT_THROW(solver_euro_exact(0, 0.2, 0.05, 100, 100, 0, 0), ArithmeticError);
    EXPECT_THROW(solver_euro_exact(1, 0, 0.05, 100, 100, 0, 0), ArithmeticError);
    EXPECT_THROW(solver_euro_exact(-1, 0.2, 0.05, 100, 100, 0, 0), ArithmeticError);
    EXPECT_THROW(solver_euro_exact(1, 0.2, 0.05, 0, 100, 0, 1), ArithmeticError);
    EXPECT_THROW(exact_euro_sensitivities(1, 0.2, 0.05, 100, 100, -1e6, 0), ArithmeticError);
    // A huge volatility: the call is worth the carried spot, the put the
    // discounted strike less nothing; d1 = 300 sends the first density to
    // 0 while the second (d2 = -300) needs its own exponential.
    const Sensitivities wide = exact_euro_sensitivities(1, 600, 0.05, 100, 100, 0, 0);
    EXPECT_NEAR(wide.value, 100.0, 1e-12);
    EXPECT_EQ(wide.gamma, 0.0);
    // Far out of the money the put is all but nothing, never negative and
    // its Delta never -0.
    const Sensitivities far = exact_euro_sensitivities(0.1, 0.1, 0.05, 10, 100, 0, 1);
    EXPECT_EQ(far.value, 0.0);
    EXPECT_FALSE(std::signbit(far.delta));
}

}  // namespace
}  // namespace tvx
