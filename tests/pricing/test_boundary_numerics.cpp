// The numerical parts of the exercise-boundary method: Mills' ratio against
// the error function, Gauss-Legendre rules against exact integrals of
// polynomials, and Chebyshev interpolation against the polynomials it must
// reproduce.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "pricing/chebyshev.h"
#include "pricing/gauss_legendre.h"
#include "pricing/normal.h"

namespace tvx {
namespace {

TEST(MillsRatio, MatchesTheErrorFunction) {
    // R(t) = P(Z > t) / phi(t) = sqrt(pi / 2) erfc(t / sqrt 2) e^(t^2 / 2);
    // R(0) = sqrt(pi / 2), R(t) ~ 1/t - 1/t^3 + 3/t^5 far out.
    EXPECT_NEAR(mills_ratio(0.0), std::sqrt(std::numbers::pi / 2.0), 1e-14);
    for (double t = 0.01; t < 25.0; t *= 1.3) {
        const double exact =
            std::sqrt(std::numbers::pi / 2.0) * std::erfc(t / std::numbers::sqrt2) * std::exp(0.5 * t * t);
        EXPECT_NEAR(mills_ratio(t), exact, 1e-13 * exact) << "t = " << t;
    }
    const double t = 1e4;
    EXPECT_NEAR(mills_ratio(t), 1.0 / t - 1.0 / (t * t * t), 1e-15 / t);
    // The scaled tail: e^a P(Z > d) where e^a alone overflows.
    EXPECT_NEAR(scaled_upper_tail(800.0, 50.0), std::exp(800.0 - 1250.0) * kInvSqrt2Pi * mills_ratio(50.0), 1e-300);
    EXPECT_NEAR(scaled_upper_tail(1.0, -1.0), std::exp(1.0) * normal_cdf(1.0), 1e-15);
}

TEST(GaussLegendre, IntegratesPolynomialsOfDegreeUpTo2nMinus1Exactly) {
    for (const int n : {1, 2, 5, 12, 33}) {
        const GaussLegendre& g = gauss_legendre(n);
        ASSERT_EQ(g.x.size(), static_cast<std::size_t>(n));
        for (int degree = 0; degree < 2 * n; ++degree) {
            double sum = 0.0;
            for (int k = 0; k < n; ++k) sum += g.w[k] * std::pow(g.x[k], degree);
            const double exact = degree % 2 == 1 ? 0.0 : 2.0 / (degree + 1);
            EXPECT_NEAR(sum, exact, 1e-14) << "n " << n << " degree " << degree;
        }
    }
    EXPECT_THROW(gauss_legendre(0), std::invalid_argument);
}

TEST(Chebyshev, ReproducesPolynomialsUpToItsDegree) {
    const int n = 9;
    const auto p = [](double x) { return 3.0 - x + 0.5 * std::pow(x, 4) - 2.0 * std::pow(x, 9); };
    std::vector<double> values(n + 1), c(n + 1);
    for (int j = 0; j <= n; ++j) values[j] = p(chebyshev_node(j, n));
    chebyshev_coefficients(values, c);
    for (double x = -1.0; x <= 1.0; x += 0.07) EXPECT_NEAR(chebyshev_value(c, x), p(x), 1e-13) << "x = " << x;
}

}  // namespace
}  // namespace tvx
