// The application's uniform generator: its reset and the form of its draws.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "pricing/random.h"

namespace tvx {
namespace {

// The generator is the 32-bit Mersenne Twister seeded with 250; the
// standard library's std::mt19937 is the reference for its output.
TEST(Uniform, IsTheMersenneTwisterSeededWith250) {
    reset_uniform();
    std::mt19937 reference(250);
    for (int k = 0; k < 5000; ++k)  // several refills of the 624-word state
        ASSERT_EQ(uniform(), static_cast<double>(reference() >> 8) * 0x1p-24) << "draw " << k;
}

TEST(Uniform, ResetReplaysTheSameStream) {
    reset_uniform();
    std::vector<double> first(1000);
    for (double& u : first) u = uniform();
    for (int k = 0; k < 12345; ++k) uniform();  // move the generator on
    reset_uniform();
    for (std::size_t k = 0; k < first.size(); ++k)
        ASSERT_EQ(uniform(), first[k]) << "draw " << k << " after the second reset";
}

// Every draw is a single-precision multiple of 2^-24 in [0, 1); the sample
// mean and the share below 1/4 lie within 5 standard errors of a uniform
// distribution's 1/2 (SE 1/sqrt(12 n)) and 1/4 (SE sqrt(3/16 / n)).
TEST(Uniform, DrawsAreSinglePrecisionAndUniformOnTheUnitInterval) {
    reset_uniform();
    constexpr int n = 100000;
    double sum = 0.0;
    int below_quarter = 0;
    for (int k = 0; k < n; ++k) {
        const double u = uniform();
        ASSERT_GE(u, 0.0) << "draw " << k;
        ASSERT_LT(u, 1.0) << "draw " << k;
        ASSERT_EQ(static_cast<double>(static_cast<float>(u)), u) << "draw " << k << " is not a float";
        const double scaled = u * 0x1p24;
        ASSERT_EQ(scaled, std::floor(scaled)) << "draw " << k << " is not a multiple of 2^-24";
        sum += u;
        if (u < 0.25) ++below_quarter;
    }
    const double mean = sum / n;
    const double mean_se = 1.0 / std::sqrt(12.0 * n);
    EXPECT_NEAR(mean, 0.5, 5.0 * mean_se) << "sample mean of " << n << " draws";
    const double share = static_cast<double>(below_quarter) / n;
    EXPECT_NEAR(share, 0.25, 5.0 * std::sqrt(0.25 * 0.75 / n)) << "share of draws below 1/4";
}

}  // namespace
}  // namespace tvx
