// The fitness evaluation on SIMD vectors against the scalar rendering of
// the network (feed_forward and example_error, one example after another),
// on every instruction set built that this processor runs, each forced in
// turn: the same bits for every shape the creation window allows, the same
// faults where the scalar form faults.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/fault.h"
#include "core/simd/exponential.h"
#include "neural/fitness_kernel.h"
#include "neural/network.h"
#include "pricing/testing.h"

namespace tvx {
namespace {

// The mean error as 4.2 describes it, example by example.
double scalar_fitness(const std::vector<double>& w, const std::vector<double>& exemplar, const NetShape& s,
                      std::int16_t n) {
    NodeTable nodes(s);
    const std::size_t width = s.example_width(), nin = static_cast<std::size_t>(s.nin);
    double sum = 0.0;
    for (std::int16_t k = 0; k < n; ++k) {
        const std::span<const double> example(exemplar.data() + k * width, width);
        feed_forward(w, example.first(nin), nodes, s);
        sum += example_error(nodes, example.subspan(nin), s);
    }
    return fdiv(sum, n);
}

template <class Check>
void on_every_simd_build(Check check) {
    for (const std::int64_t build : mc_simd_targets()) {
        mc_force_simd_target(build);
        check(std::string(mc_simd_target()));
    }
    mc_force_simd_target(0);
}

// The plain exponential on every build against its scalar form, bit for
// bit, and against the 64-bit-mantissa exponential of long double. Its
// error budget is the simulation's (1.5 ulp, with room) plus the rounding
// of the products the fused form keeps exact: each enters the result
// scaled by r^2 or less (|r| <= 0.35), or, in the reduced argument, at
// 2^-53 of k ln 2's small second part, far below an ulp.
TEST(PlainExponential, EveryBuildMatchesTheScalarFormAndStaysWithinAnUlp) {
    std::vector<double> x = {0.0, -0.0, 1e-300, 1e-17, 706.0, -706.0, 1.0, -1.0, 0.5 * std::log(2.0)};
    std::mt19937_64 gen(5);
    std::uniform_real_distribution<double> wide(-706.0, 706.0), unit(-4.0, 4.0);
    for (int k = 0; k < 20000; ++k) x.push_back(wide(gen)), x.push_back(unit(gen));
    on_every_simd_build([&](const std::string& name) {
        std::vector<double> y(x.size());
        plain_vector_exp(x, y);
        for (std::size_t k = 0; k < x.size(); ++k) {
            ASSERT_EQ(y[k], exp_plain(x[k])) << name << ": e^" << x[k];
            const long double exact = std::exp(static_cast<long double>(x[k]));
            const double nearest = static_cast<double>(exact);
            const double ulp = std::nextafter(nearest, std::numeric_limits<double>::infinity()) - nearest;
            ASSERT_LE(static_cast<double>(std::fabs(static_cast<long double>(y[k]) - exact) / ulp), 1.5)
                << name << ": e^" << x[k];
        }
    });
    // Beyond the vector range, the C library's.
    EXPECT_EQ(exp_plain(708.0), std::exp(708.0));
    EXPECT_EQ(exp_plain(-720.0), std::exp(-720.0));
    EXPECT_TRUE(std::isnan(exp_plain(std::numeric_limits<double>::quiet_NaN())));
}

struct Net {
    NetShape shape;
    std::vector<double> weights, exemplar;
};

Net random_net(std::mt19937_64& gen, std::int16_t nin, std::int16_t nhidden, std::int16_t nout, std::int16_t n) {
    std::uniform_real_distribution<double> weight(-3.0, 3.0), value(0.0, 1.0);
    Net net{{nin, nhidden, nout}, {}, {}};
    net.weights.resize(net.shape.weights());
    for (double& w : net.weights) w = weight(gen);
    net.exemplar.resize(net.shape.example_width() * static_cast<std::size_t>(n));
    for (double& v : net.exemplar) v = value(gen);
    return net;
}

TEST(FitnessSimd, EveryBuildGivesTheScalarResultBitForBitOnEveryShape) {
    // Counts that leave a partial group at every lane width (and one of a
    // single example).
    const std::int16_t counts[] = {1, 3, 5, 7, 9, 13, 37, 2001};
    on_every_simd_build([&](const std::string& name) {
        std::mt19937_64 gen(17);
        int c = 0;
        for (std::int16_t nin = 1; nin <= 10; ++nin)
            for (std::int16_t nh = 1; nh <= 15; ++nh)
                for (std::int16_t nout = 1; nout <= 4; ++nout) {
                    const std::int16_t n = counts[c++ % 8];
                    const Net net = random_net(gen, nin, nh, nout, n);
                    const double expected = scalar_fitness(net.weights, net.exemplar, net.shape, n);
                    ASSERT_EQ(fitness(net.weights, net.exemplar, net.shape, n), expected)
                        << name << ", " << nin << "-" << nh << "-" << nout << ", " << n << " examples";
                    const Examples examples(net.exemplar, net.shape, n);
                    ASSERT_EQ(fitness(net.weights, examples), expected) << name << ", laid out";
                }
        // Larger than the window makes: the scalar form, the same result.
        const Net big = random_net(gen, 12, 17, 5, 9);
        EXPECT_EQ(fitness(big.weights, big.exemplar, big.shape, 9),
                  scalar_fitness(big.weights, big.exemplar, big.shape, 9))
            << name;
        EXPECT_EQ(fitness(big.weights, Examples(big.exemplar, big.shape, 9)),
                  scalar_fitness(big.weights, big.exemplar, big.shape, 9))
            << name;
    });
}

// Every node of every example, as the gradient training reads them: the
// bits of feed_forward on every build, shape and partial pass; refused
// (for the caller to run feed_forward and meet the fault) when an argument
// leaves the vector range, and for a shape beyond the window's limits.
TEST(FitnessSimd, EveryBuildGivesEachExamplesNodesBitForBit) {
    on_every_simd_build([&](const std::string& name) {
        std::mt19937_64 gen(23);
        int c = 0;
        for (std::int16_t nin = 1; nin <= 10; nin += 3)
            for (std::int16_t nh = 1; nh <= 15; nh += 2)
                for (std::int16_t nout = 1; nout <= 4; ++nout) {
                    const std::int16_t n = std::array<std::int16_t, 4>{1, 7, 17, 40}[c++ % 4];
                    const Net net = random_net(gen, nin, nh, nout, n);
                    const auto count = static_cast<std::size_t>(n);
                    std::vector<double> hidden(count * static_cast<std::size_t>(nh));
                    std::vector<double> output(count * static_cast<std::size_t>(nout));
                    ASSERT_TRUE(neural::vector_nodes(net.weights.data(), net.exemplar.data(), net.shape, count,
                                                     hidden.data(), output.data()))
                        << name;
                    NodeTable nodes(net.shape);
                    for (std::size_t k = 0; k < count; ++k) {
                        const double* x = net.exemplar.data() + k * net.shape.example_width();
                        feed_forward(net.weights, {x, static_cast<std::size_t>(nin)}, nodes, net.shape);
                        for (std::size_t h = 0; h < nodes.hidden.size(); ++h)
                            ASSERT_EQ(hidden[k * nodes.hidden.size() + h], nodes.hidden[h]) << name << " " << k;
                        for (std::size_t o = 0; o < nodes.output.size(); ++o)
                            ASSERT_EQ(output[k * nodes.output.size() + o], nodes.output[o]) << name << " " << k;
                    }
                }
        const NetShape s{1, 1, 1};
        std::vector<double> exemplar;
        for (int k = 0; k < 7; ++k) exemplar.push_back(0.1 * k), exemplar.push_back(0.5);
        const std::vector<double> w{2.0, 1.0};
        std::vector<double> hidden(7), output(7);
        EXPECT_TRUE(neural::vector_nodes(w.data(), exemplar.data(), s, 7, hidden.data(), output.data())) << name;
        exemplar[2 * 5] = 707.5;  // 0.5 * 2 * 707.5: beyond 706
        EXPECT_FALSE(neural::vector_nodes(w.data(), exemplar.data(), s, 7, hidden.data(), output.data())) << name;
        exemplar[2 * 5] = std::numeric_limits<double>::quiet_NaN();
        EXPECT_FALSE(neural::vector_nodes(w.data(), exemplar.data(), s, 7, hidden.data(), output.data())) << name;
        const Net big = random_net(gen, 11, 3, 1, 5);
        std::vector<double> bh(15), bo(5);
        EXPECT_FALSE(neural::vector_nodes(big.weights.data(), big.exemplar.data(), big.shape, 5, bh.data(), bo.data()));
    });
}

// fitness over the exemplar and over its laid-out examples.
template <class Check>
void both_forms(const std::vector<double>& w, const std::vector<double>& exemplar, const NetShape& s, std::int16_t n,
                Check check) {
    check(fitness(w, exemplar, s, n));
    check(fitness(w, Examples(exemplar, s, n)));
}

// A network whose activation in one example is beyond the vector
// exponential's range: where the scalar form has a result, the same
// result; where it faults (an exponential that overflows, one that
// vanishes, an invalid operation), the same fault, on every build and in
// both forms.
TEST(FitnessSimd, BeyondTheVectorRangeEveryBuildGivesTheScalarResultOrItsFault) {
    const NetShape s{1, 1, 1};
    const auto with_input = [](double x) {
        std::vector<double> exemplar;
        for (int k = 0; k < 7; ++k) exemplar.push_back(0.1 * k), exemplar.push_back(0.5);
        exemplar[2 * 5] = x;  // the sixth example's input
        return exemplar;
    };
    const auto faults = [&](const std::vector<double>& w, const std::vector<double>& e, std::int16_t n) {
        both_forms(w, e, s, n, [](auto) {});
    };
    on_every_simd_build([&](const std::string& name) {
        // 0.5 * 2 * 707.5 = 707.5: beyond 706, yet e^x is finite.
        const std::vector<double> w{2.0, 1.0};
        for (const double x : {707.5, -707.5}) {
            const std::vector<double> e = with_input(x);
            both_forms(w, e, s, 7, [&](double f) { EXPECT_EQ(f, scalar_fitness(w, e, s, 7)) << name << ", " << x; });
        }
        EXPECT_THROW(faults(w, with_input(712.0), 7), ArithmeticError) << name;   // e^x overflows
        EXPECT_THROW(faults(w, with_input(-750.0), 7), ArithmeticError) << name;  // e^x is 0: 1/e
        EXPECT_THROW(faults(w, with_input(std::numeric_limits<double>::quiet_NaN()), 7), ArithmeticError) << name;
        // A target so large that its square overflows, in the last example.
        std::vector<double> far = with_input(0.5);
        far.back() = 1e200;
        EXPECT_THROW(faults(w, far, 7), ArithmeticError) << name;
        EXPECT_THROW(faults(w, far, 0), ArithmeticError) << name;  // no examples: 0 / 0
    });
}

// The bound that lets an evaluation skip the range checks: 0.5 * sum of
// |w| max|x| for each hidden node, 0.5 * sum of |w| for each output, at
// most 700 (the vector range, 706, less room for rounding).
TEST(FitnessSimd, TheArgumentBoundHoldsExactlyUpTo700) {
    const NetShape s{2, 1, 1};
    const std::vector<double> exemplar{10.0, -4.0, 0.5, -2.0, 10.0, 0.5};  // max |x|: 10 and 10
    const Examples examples(exemplar, s, 2);
    EXPECT_TRUE(examples.bounds(std::vector<double>{70.0, -70.0, 1.0}));   // 0.5 * 1400 = 700
    EXPECT_FALSE(examples.bounds(std::vector<double>{70.0, 70.25, 1.0}));  // 701.25
    EXPECT_TRUE(examples.bounds(std::vector<double>{1.0, 1.0, -1400.0}));  // an output: 700
    EXPECT_FALSE(examples.bounds(std::vector<double>{1.0, 1.0, 1400.5}));
    EXPECT_FALSE(examples.bounds(std::vector<double>{std::numeric_limits<double>::quiet_NaN(), 1.0, 1.0}));
    EXPECT_FALSE(examples.bounds(std::vector<double>{std::numeric_limits<double>::infinity(), 1.0, 1.0}));
    const std::vector<double> unknown{std::numeric_limits<double>::quiet_NaN(), 1.0, 0.5, 1.0, 1.0, 0.5};
    EXPECT_FALSE(Examples(unknown, s, 2).bounds(std::vector<double>{0.0, 0.0, 0.0}));
    EXPECT_THROW(Examples(exemplar, s, 3), std::invalid_argument);
    EXPECT_THROW(fitness(std::vector<double>{1.0, 1.0}, examples), std::invalid_argument);
}

// Beyond the bound the arguments are checked one by one: inputs of 1000
// under weights that cancel give arguments of 0 (in range, the vector
// result), and one example whose inputs do not cancel (beyond the range,
// the scalar form's fault), on every build.
TEST(FitnessSimd, BeyondTheBoundEveryArgumentIsChecked) {
    const NetShape s{2, 1, 1};
    const std::vector<double> w{1.0, -1.0, 1.0};
    std::vector<double> exemplar;
    for (int k = 0; k < 19; ++k) exemplar.insert(exemplar.end(), {1000.0 - k, 1000.0 - k, 0.25});
    on_every_simd_build([&](const std::string& name) {
        const Examples examples(exemplar, s, 19);
        ASSERT_FALSE(examples.bounds(w));
        EXPECT_EQ(fitness(w, examples), 0.25) << name;  // tanh(0) = 0, 0.25 from each target
        std::vector<double> uneven = exemplar;
        uneven[3 * 17] = 3000.0;  // the eighteenth example: an argument of 0.5 * 2017
        EXPECT_THROW(fitness(w, Examples(uneven, s, 19)), ArithmeticError) << name;
    });
}

// The rows of a pass are transposed in registers a vector at a time, which
// reads up to a vector past the pass: where the examples end with a whole
// pass (or too soon after one), that pass is laid out value by value. Each
// width, with counts that end a pass exactly, one example after it and
// half a pass after it, in arrays of exactly that many values (the
// sanitizer build sees any read past them): the scalar bits, on every
// build, of the fitness and of every node.
TEST(FitnessSimd, ThePassesThatEndTheExamplesAreReadWithinThem) {
    on_every_simd_build([&](const std::string& name) {
        std::mt19937_64 gen(29);
        for (std::int16_t nin = 1; nin <= 10; ++nin)
            for (const std::int16_t nout : {std::int16_t{1}, std::int16_t{4}})
                for (const std::int16_t n : {16, 17, 24, 32, 33}) {
                    const Net net = random_net(gen, nin, 3, nout, n);
                    ASSERT_EQ(fitness(net.weights, net.exemplar, net.shape, n),
                              scalar_fitness(net.weights, net.exemplar, net.shape, n))
                        << name << ", " << nin << " inputs, " << nout << " outputs, " << n << " examples";
                    const auto count = static_cast<std::size_t>(n);
                    std::vector<double> hidden(count * 3), output(count * static_cast<std::size_t>(nout));
                    ASSERT_TRUE(neural::vector_nodes(net.weights.data(), net.exemplar.data(), net.shape, count,
                                                     hidden.data(), output.data()));
                    NodeTable nodes(net.shape);
                    const std::size_t last = count - 1;
                    feed_forward(
                        net.weights,
                        {net.exemplar.data() + last * net.shape.example_width(), static_cast<std::size_t>(nin)}, nodes,
                        net.shape);
                    EXPECT_EQ(output[last * static_cast<std::size_t>(nout)], nodes.output[0]) << name;
                }
    });
}

}  // namespace
}  // namespace tvx
