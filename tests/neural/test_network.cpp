// The network: activation, forward pass over the weight layout, errors.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/fault.h"
#include "neural/network.h"

namespace tvx {
namespace {

TEST(NeuralTanh, AgreesWithTheLibraryHyperbolicTangent) {
    // Reference: std::tanh; the one-exponential form loses at most a few
    // units in the last place away from 0.
    for (double x : {-3.0, -0.7, -1e-3, 0.0, 0.2, 0.5, 0.69317573589, 1.0, 2.5, 6.0}) {
        EXPECT_NEAR(tvx::tanh(x), std::tanh(x), 1e-15 + 4e-16 * std::abs(std::tanh(x))) << x;
    }
}

TEST(NeuralTanh, AnExponentialThatOverflowsOrVanishesIsAnArithmeticError) {
    EXPECT_THROW(tvx::tanh(800.0), ArithmeticError);   // exp overflows
    EXPECT_THROW(tvx::tanh(-800.0), ArithmeticError);  // exp is 0, 1/e divides by zero
}

TEST(FeedForward, OneNodePerLayer) {
    // Output = tanh(0.5 w1 tanh(0.5 w0 x)), by hand with std::tanh.
    const NetShape s{1, 1, 1};
    ASSERT_EQ(s.weights(), 2u);
    NodeTable nodes(s);
    const std::vector<double> w{0.8, 0.3};
    const double x = 0.6;
    feed_forward(w, std::vector<double>{x}, nodes, s);
    EXPECT_NEAR(nodes.hidden[0], std::tanh(0.5 * 0.8 * x), 1e-15);
    EXPECT_NEAR(nodes.output[0], std::tanh(0.5 * 0.3 * std::tanh(0.5 * 0.8 * x)), 1e-15);
}

TEST(FeedForward, WeightLayoutIsSourceMajorWithTheInputBlockFirst) {
    // The prediction window's 2-2-1 example: weights 1, 2, 3, 4, 1, -1 and
    // inputs 0.5, 0.25 give hidden 0 = tanh(0.5 (1*0.5 + 3*0.25)) and
    // hidden 1 = tanh(0.5 (2*0.5 + 4*0.25)).
    const NetShape s{2, 2, 1};
    NodeTable nodes(s);
    const std::vector<double> w{1, 2, 3, 4, 1, -1};
    feed_forward(w, std::vector<double>{0.5, 0.25}, nodes, s);
    EXPECT_NEAR(nodes.hidden[0], 0.55459972, 1e-8);
    EXPECT_NEAR(nodes.hidden[1], 0.76159415, 1e-8);
    EXPECT_NEAR(nodes.output[0], std::tanh(0.5 * (nodes.hidden[0] - nodes.hidden[1])), 1e-15);
}

TEST(FeedForward, UnequalLayersComputeEveryNode) {
    // 2-5-3: all input weights 1, so every hidden node is tanh(0.5 (x0+x1));
    // only hidden 4 -> output 2 carries weight (2), at off(1) + 4*3 + 2.
    const NetShape s{2, 5, 3};
    std::vector<double> w(s.weights(), 0.0);
    ASSERT_EQ(w.size(), 25u);
    for (std::size_t k = 0; k < 10; ++k) w[k] = 1.0;
    w[10 + 4 * 3 + 2] = 2.0;
    NodeTable nodes(s);
    feed_forward(w, std::vector<double>{0.3, 0.5}, nodes, s);
    const double h = std::tanh(0.4);
    for (double v : nodes.hidden) EXPECT_NEAR(v, h, 1e-15);
    EXPECT_EQ(nodes.output[0], 0.0);
    EXPECT_EQ(nodes.output[1], 0.0);
    EXPECT_NEAR(nodes.output[2], std::tanh(h), 1e-15);
}

TEST(Fitness, AllZeroWeightsGiveTheMeanLengthOfTheTargets) {
    // Every output is 0, so each error is |target|: 3-4-5 and 6-8-10
    // triangles give 0.5 and 1.0, mean 0.75.
    const NetShape s{1, 3, 2};
    const std::vector<double> w(s.weights(), 0.0);
    const std::vector<double> exemplar{0.2, 0.3, 0.4, 0.7, 0.6, 0.8};
    EXPECT_NEAR(fitness(w, exemplar, s, 2), 0.75, 1e-15);
}

TEST(Fitness, IsTheMeanOfTheExampleErrors) {
    // One node per layer: error of one example = |tanh(0.5 w1 tanh(0.5 w0 x)) - y|.
    const NetShape s{1, 1, 1};
    const std::vector<double> w{0.9, 0.7};
    const std::vector<double> exemplar{0.2, 0.1, 0.8, 0.5};
    auto out = [&](double x) { return std::tanh(0.5 * 0.7 * std::tanh(0.5 * 0.9 * x)); };
    const double expected = (std::abs(out(0.2) - 0.1) + std::abs(out(0.8) - 0.5)) / 2;
    EXPECT_NEAR(fitness(w, exemplar, s, 2), expected, 1e-15);
}

}  // namespace
}  // namespace tvx
