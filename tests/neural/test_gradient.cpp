// The gradient training: its derivatives, its updates and what it learns.
#include <gtest/gtest.h>

#include <cmath>

#include "core/fault.h"
#include "neural/descent.h"
#include "neural/gradient.h"
#include "support/neural_fixture.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

using test::RecordingUi;
using test::UiEvent;

// The mean over the examples of the squared distance between outputs and
// targets, straight from the forward pass.
double mean_squared(std::span<const double> w, std::span<const double> exemplar, const NetShape& s, int nexem) {
    NodeTable nodes(s);
    const std::size_t width = s.example_width();
    double sum = 0.0;
    for (int k = 0; k < nexem; ++k) {
        const auto example = exemplar.subspan(static_cast<std::size_t>(k) * width, width);
        feed_forward(w, example.first(static_cast<std::size_t>(s.nin)), nodes, s);
        for (std::size_t j = 0; j < static_cast<std::size_t>(s.nout); ++j) {
            const double d = nodes.output[j] - example[static_cast<std::size_t>(s.nin) + j];
            sum += d * d;
        }
    }
    return sum / nexem;
}

std::vector<double> uniform_values(std::size_t n, double lo, double hi, const Draw& draw) {
    std::vector<double> v(n);
    for (double& x : v) x = lo + (hi - lo) * draw();
    return v;
}

// Central differences with h = 1e-5: the truncation error is h^2/6 times a
// third derivative, which for weights within [-2, 2] and a gain of 0.5 is a
// few units at most (about 1e-10); rounding adds about eps * f / h (below
// 1e-10, f < 16). A tolerance of 1e-7 is far above both, and far below the
// size of any mistake in the chain rule (a wrong gain, index or sign moves
// a component by a sizeable share of itself, typically 1e-3 or more).
TEST(ErrorGradient, MatchesCentralDifferencesOnSeveralShapes) {
    const Draw draw = test::repeatable(5);
    for (const NetShape s : {NetShape{1, 1, 1}, NetShape{2, 5, 3}, NetShape{3, 3, 1}, NetShape{10, 15, 4}}) {
        const int nexem = 7;
        const std::vector<double> exemplar = uniform_values(s.example_width() * nexem, 0.01, 0.99, draw);
        std::vector<double> w = uniform_values(s.weights(), -2.0, 2.0, draw);
        std::vector<double> g(s.weights());
        const Errors e = error_gradient(w, exemplar, s, nexem, g);
        EXPECT_DOUBLE_EQ(e.fitness, fitness(w, exemplar, s, nexem));
        EXPECT_NEAR(e.squared, mean_squared(w, exemplar, s, nexem), 1e-15);
        const double h = 1e-5;
        double largest = 0.0;
        for (std::size_t i = 0; i < w.size(); ++i) {
            const double keep = w[i];
            w[i] = keep + h;
            const double up = mean_squared(w, exemplar, s, nexem);
            w[i] = keep - h;
            const double down = mean_squared(w, exemplar, s, nexem);
            w[i] = keep;
            EXPECT_NEAR(g[i], (up - down) / (2 * h), 1e-7)
                << "weight " << i << " of shape " << s.nin << "-" << s.nhidden << "-" << s.nout;
            largest = std::max(largest, std::fabs(g[i]));
        }
        EXPECT_GT(largest, 1e-3);  // the comparison is not between zeros
    }
}

// The residuals (each output less its target) of every example, in
// example order, output by output.
std::vector<double> residuals(std::span<const double> w, std::span<const double> exemplar, const NetShape& s,
                              int nexem) {
    NodeTable nodes(s);
    const std::size_t width = s.example_width(), nin = static_cast<std::size_t>(s.nin);
    std::vector<double> r;
    for (int k = 0; k < nexem; ++k) {
        const auto example = exemplar.subspan(static_cast<std::size_t>(k) * width, width);
        feed_forward(w, example.first(nin), nodes, s);
        for (std::size_t j = 0; j < static_cast<std::size_t>(s.nout); ++j)
            r.push_back(nodes.output[j] - example[nin + j]);
    }
    return r;
}

// J'J and J'r against a Jacobian by central differences (h = 1e-5: each
// entry within about 1e-10, as for the gradient above), and J'r against
// the back-propagated gradient: the mean squared error's gradient is
// 2 J'r / n, to rounding.
TEST(NormalEquations, AreThoseOfTheResidualsJacobian) {
    const Draw draw = test::repeatable(9);
    for (const NetShape s : {NetShape{1, 1, 1}, NetShape{2, 5, 3}, NetShape{3, 4, 2}}) {
        const int nexem = 6;
        const std::vector<double> exemplar = uniform_values(s.example_width() * nexem, 0.01, 0.99, draw);
        std::vector<double> w = uniform_values(s.weights(), -2.0, 2.0, draw);
        const std::size_t n = w.size();
        const std::vector<double> r = residuals(w, exemplar, s, nexem);
        std::vector<std::vector<double>> jacobian(n);
        for (std::size_t i = 0; i < n; ++i) {
            const double keep = w[i];
            w[i] = keep + 1e-5;
            const std::vector<double> up = residuals(w, exemplar, s, nexem);
            w[i] = keep - 1e-5;
            const std::vector<double> down = residuals(w, exemplar, s, nexem);
            w[i] = keep;
            for (std::size_t k = 0; k < r.size(); ++k) jacobian[i].push_back((up[k] - down[k]) / 2e-5);
        }
        std::vector<double> jtj(n * n), jtr(n), g(n);
        const Problem p{s, static_cast<std::int16_t>(nexem), exemplar};
        std::vector<double> jacobian_out(r.size() * n), residual_out(r.size()), alone(r.size());
        const Errors e = normal_equations(w, p, jtj, jtr, jacobian_out, residual_out);
        residuals_of(w, p, alone);
        for (std::size_t k = 0; k < r.size(); ++k) {
            EXPECT_EQ(residual_out[k], r[k]);
            EXPECT_EQ(alone[k], r[k]);
            for (std::size_t i = 0; i < n; ++i) EXPECT_NEAR(jacobian_out[k * n + i], jacobian[i][k], 1e-9);
        }
        const Errors f = error_gradient(w, exemplar, s, static_cast<std::int16_t>(nexem), g);
        EXPECT_EQ(e.fitness, f.fitness);
        EXPECT_EQ(e.squared, f.squared);
        for (std::size_t i = 0; i < n; ++i) {
            double expected_jtr = 0.0;
            for (std::size_t k = 0; k < r.size(); ++k) expected_jtr += jacobian[i][k] * r[k];
            EXPECT_NEAR(jtr[i], expected_jtr, 1e-8) << "weight " << i;
            EXPECT_NEAR(2.0 * jtr[i] / nexem, g[i], 1e-14) << "weight " << i;
            for (std::size_t j = 0; j < n; ++j) {
                double expected = 0.0;
                for (std::size_t k = 0; k < r.size(); ++k) expected += jacobian[i][k] * jacobian[j][k];
                EXPECT_NEAR(jtj[i * n + j], expected, 1e-8) << i << ", " << j;
            }
        }
    }
}

TEST(CholeskySolve, SolvesAPositiveDefiniteSystemAndRefusesAnIndefiniteOne) {
    // m x = b for x = (1, -1, 2).
    std::vector<double> m{4, 2, 0, 2, 5, 1, 0, 1, 3};
    std::vector<double> b{2, -1, 5};
    ASSERT_TRUE(cholesky_factor(m, 3));
    cholesky_substitute(m, b, 3);
    EXPECT_NEAR(b[0], 1.0, 1e-15);
    EXPECT_NEAR(b[1], -1.0, 1e-15);
    EXPECT_NEAR(b[2], 2.0, 1e-15);
    std::vector<double> indefinite{1, 2, 2, 1};  // eigenvalues 3 and -1
    EXPECT_FALSE(cholesky_factor(indefinite, 2));
}

// The damped step within the bound, against steps solved by hand. The
// systems are 3 x 3, the bound 64.
TEST(StepWithinBound, HoldsAtTheBoundEachWeightTheStepWouldCarryPastItAndSolvesForTheRest) {
    const auto solve = [](const std::vector<double>& damped, const std::vector<double>& slope,
                          const std::vector<double>& weights, std::vector<char>& held) {
        std::vector<double> factor(9), step(3);
        held.assign(3, 0);
        EXPECT_TRUE(step_within_bound(damped, slope, weights, factor, step, held));
        return step;
    };
    const auto expect_step = [](const std::vector<double>& step, const std::vector<double>& expected) {
        for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(step[i], expected[i], 1e-12) << i;
    };
    std::vector<char> held;
    const std::vector<double> d{4, 1, 0, 1, 3, 1, 0, 1, 2};
    // Free of the bound, the step solves d v = -slope: (2.5, -2, 0.5). From
    // 63 the first weight would reach 65.5; held at 64 (a step of 1), the
    // others solve [3 1; 1 2] (v2, v3) = (-3 - 1, -1): (-1.4, 0.2), not the
    // (-2, 0.5) that clamping the free step would take.
    expect_step(solve(d, {-8, 3, 1}, {63, 0, -10}, held), {1, -1.4, 0.2});
    EXPECT_EQ(held, (std::vector<char>{1, 0, 0}));
    // At the bound with the slope pushing outward, the first weight keeps a
    // step of 0: [3 1; 1 2] (v2, v3) = (-3, -1), (-1, 0).
    expect_step(solve(d, {-8, 3, 1}, {64, 0, 0}, held), {0, -1, 0});
    EXPECT_EQ(held, (std::vector<char>{1, 0, 0}));
    // With the slope pointing inward it is free: d v = (-8, -3, -1),
    // (-35/18, -2/9, -7/18).
    expect_step(solve(d, {8, 3, 1}, {64, 0, 0}, held), {-35.0 / 18.0, -2.0 / 9.0, -7.0 / 18.0});
    EXPECT_EQ(held, (std::vector<char>{0, 0, 0}));
    // A weight carried past the bound only once another is held. Free of
    // the bound, e v = (8, 1.5, 0) gives (77/34, 5/34, 18/17): the first
    // weight reaches 65.26 from 63, the second 63.85 from 63.7. With the
    // first held at a step of 1, [3 1; 1 2] (v2, v3) = (1.5, 1) gives
    // (0.4, 0.3), and the second would reach 64.1: held at a step of 0.3,
    // the third solves 2 v3 = 0 + 1 - 0.3, 0.35.
    const std::vector<double> e{4, 0, -1, 0, 3, 1, -1, 1, 2};
    expect_step(solve(e, {-8, -1.5, 0}, {63, 63.7, 0}, held), {1, 0.3, 0.35});
    EXPECT_EQ(held, (std::vector<char>{1, 1, 0}));
    // Not positive definite: refused.
    std::vector<double> factor(4), step(2);
    std::vector<char> two(2);
    EXPECT_FALSE(step_within_bound(std::vector<double>{1, 2, 2, 1}, std::vector<double>{1, 1},
                                   std::vector<double>{0, 0}, factor, step, two));
}

// The stopping rule: a fall of less than stall_fall of the error over the
// last ten iterations, or an error of 0; and the best weights by fitness,
// the first of equals.
TEST(DescentRecord, StopsWhenTheErrorStopsFallingAndKeepsTheBestWeights) {
    Record falling({0.0}, 1e-4, 10);
    double e = 1.0;
    for (int k = 0; k < 50; ++k) EXPECT_FALSE(falling.stalled_after(e *= 0.999)) << k;  // 1 % over ten
    Record flat({0.0}, 1e-4, 10);
    for (int k = 0; k < 10; ++k) EXPECT_FALSE(flat.stalled_after(1.0 - 9e-6 * k)) << k;
    EXPECT_TRUE(flat.stalled_after(1.0 - 9e-5));  // 0.9e-4 below the error ten iterations back
    Record exact({0.0}, 1e-4, 10);
    EXPECT_TRUE(exact.stalled_after(0.0));
    Record r({0.0}, 1e-4, 10);
    r.saw(std::vector<double>{1.0}, {0.5, 0.25});
    r.saw(std::vector<double>{2.0}, {0.5, 0.20});
    r.saw(std::vector<double>{3.0}, {0.7, 0.10});
    EXPECT_EQ(r.best_error(), 0.5);
    EXPECT_EQ(r.best(), std::vector<double>{1.0});
}

// Targets made by a network of the same shape, from a start near the
// teacher: Levenberg-Marquardt fits them to rounding within a few dozen
// iterations (it converges quadratically there), L-BFGS to a
// hundred-thousandth of the output's range, and each then stops by itself,
// well before a cap of 500 iterations.
TEST(Descents, BothMethodsFitARealisableProblemAndStop) {
    const NetShape s{2, 3, 1};
    const std::vector<double> teacher{1.5, -2.0, 0.7, -1.0, 2.5, 0.3, 1.2, -1.8, 2.2};
    std::vector<double> exemplar;
    NodeTable nodes(s);
    for (double a : {0.1, 0.3, 0.5, 0.7, 0.9})
        for (double b : {0.2, 0.5, 0.8}) {
            const std::vector<double> x{a, b};
            feed_forward(teacher, x, nodes, s);
            exemplar.insert(exemplar.end(), {a, b, nodes.output[0]});
        }
    const Problem p{s, 15, exemplar};
    std::vector<double> start = teacher;
    for (std::size_t i = 0; i < start.size(); ++i) start[i] += i % 2 ? 0.3 : -0.3;
    const auto run = [&](auto descent, double within) {
        int iterations = 0;
        while (!descent.stopped() && iterations < 500) descent.iterate(p), ++iterations;
        EXPECT_TRUE(descent.stopped());
        EXPECT_LT(descent.record().best_error(), within);
        return iterations;
    };
    EXPECT_LT(run(Levenberg(start, p), 1e-12), 60);
    EXPECT_LT(run(Lbfgs(start, p), 1e-4), 500);
}

// A network whose only input is constant gives one output for every
// example, so its mean distance to the targets 0.1, 0.2 and 0.9 is least
// at their median, 0.2: (0.1 + 0 + 0.7) / 3 = 0.26667. The least mean
// squared distance is at their mean, 0.4, where the mean distance is
// (0.3 + 0.2 + 0.5) / 3 = 0.33333. The training reports the first, as its
// distance phase minimises the mean distance itself (smoothed by a
// hundredth of it, which moves this optimum by well under 1e-3).
TEST(TrainGradient, EndsAtTheLeastMeanDistanceNotTheLeastSquares) {
    const NetShape s{1, 2, 1};
    const std::vector<double> exemplar{0.5, 0.1, 0.5, 0.2, 0.5, 0.9};
    for (const GradientMethod m : {GradientMethod::Levenberg, GradientMethod::Both}) {
        std::vector<double> result(s.weights(), 0.0);
        Pmeter pm;
        RecordingUi ui;
        ASSERT_TRUE(train_gradient_by({s, 3, exemplar}, m, result, 1000, 4, pm, ui, test::repeatable(3)));
        EXPECT_NEAR(fitness(result, exemplar, s, 3), 0.8 / 3.0, 1e-3);
    }
}

TEST(GradientMethod, BothForSmallNetworksLevenbergWithAConstantInputLbfgsForTheLargest) {
    const std::vector<double> none;
    EXPECT_EQ(gradient_method({NetShape{2, 8, 1}, 1, none}), GradientMethod::Both);
    EXPECT_EQ(gradient_method({NetShape{4, 3, 1}, 1, none}), GradientMethod::Both);
    EXPECT_EQ(gradient_method({NetShape{5, 3, 3}, 1, none}), GradientMethod::Both);
    EXPECT_EQ(gradient_method({NetShape{10, 15, 4}, 1, none}), GradientMethod::Lbfgs);
    EXPECT_EQ(gradient_method({NetShape{10, 15, 1}, 1, none}), GradientMethod::Lbfgs);
    // A constant input column: Levenberg-Marquardt alone.
    const std::vector<double> varying{0.1, 0.5, 0.2, 0.2, 0.6, 0.3, 0.4, 0.7, 0.9};
    const std::vector<double> constant{0.1, 0.5, 0.2, 0.2, 0.5, 0.3, 0.4, 0.5, 0.9};
    EXPECT_EQ(gradient_method({NetShape{2, 3, 1}, 3, varying}), GradientMethod::Both);
    EXPECT_EQ(gradient_method({NetShape{2, 3, 1}, 3, constant}), GradientMethod::Levenberg);
}

// Where an input holds one nonzero value in every example (a bias) and the
// network has one output, a centred start puts each hidden node's steepest
// point (argument 0) on one of the examples, with steep slopes (up to 16 /
// sqrt 2 for two inputs beside the bias), and its output weights are the
// ridge least squares fit of 2 atanh(target) on the hidden nodes' values:
// the slope of sum_k (sum_h v_h h_k - z_k)^2 + ridge |v|^2 by each v_h is
// 0 (ridge 1e-4 per example). With several outputs or no centring asked,
// the small starts.
TEST(GradientStarts, CentreEachHiddenNodeOnAnExampleWhereAnInputIsABias) {
    const auto problem_with = [](NetShape s, double bias, std::vector<double>& exemplar) {
        for (int k = 0; k < 6; ++k) {
            exemplar.insert(exemplar.end(), {0.1 + 0.15 * k, bias, 0.9 - 0.1 * k});
            exemplar.insert(exemplar.end(), static_cast<std::size_t>(s.nout), 0.3);
        }
        return Problem{s, 6, exemplar};
    };
    const NetShape s{3, 4, 1};
    std::vector<double> with_bias, zero_column, two_outputs;
    const Problem p = problem_with(s, 0.5, with_bias);
    double steepest = 0.0;
    for (const auto& w : gradient_starts(20, p, true, test::repeatable(5))) {
        for (std::size_t h = 0; h < 4; ++h) {
            EXPECT_LE(std::fabs(w[h]), kCentredSlope / std::sqrt(2.0));
            EXPECT_LE(std::fabs(w[8 + h]), kCentredSlope / std::sqrt(2.0));
            steepest = std::max(steepest, std::fabs(w[h]));
            double closest = 1.0;
            for (std::size_t k = 0; k < 6; ++k) {
                const double* x = with_bias.data() + k * 4;
                closest = std::min(closest, std::fabs(w[h] * x[0] + w[4 + h] * x[1] + w[8 + h] * x[2]));
            }
            EXPECT_LT(closest, 1e-12);
        }
        double hidden[6][4];
        for (std::size_t k = 0; k < 6; ++k)
            for (std::size_t h = 0; h < 4; ++h) {
                const double* x = with_bias.data() + k * 4;
                hidden[k][h] = std::tanh(0.5 * (w[h] * x[0] + w[4 + h] * x[1] + w[8 + h] * x[2]));
            }
        for (std::size_t h = 0; h < 4; ++h) {
            double slope = 6 * 1e-4 * w[12 + h];
            for (std::size_t k = 0; k < 6; ++k) {
                double sum = 0.0;
                for (std::size_t j = 0; j < 4; ++j) sum += w[12 + j] * hidden[k][j];
                slope += hidden[k][h] * (sum - 2.0 * std::atanh(0.3));
            }
            EXPECT_NEAR(slope, 0.0, 1e-9);
            EXPECT_LE(std::fabs(w[12 + h]), kWeightBound);
        }
    }
    EXPECT_GT(steepest, 8.0);  // the slopes span their range
    // A target of 1 (no training file's scaled target is) asks for an
    // infinite sum: the output weights stay as drawn.
    std::vector<double> at_one = with_bias;
    at_one[3] = 1.0;
    for (const auto& w : gradient_starts(5, Problem{s, 6, at_one}, true, test::repeatable(5)))
        for (std::size_t x = s.output_block(); x < s.weights(); ++x) EXPECT_LE(std::fabs(w[x]), kCentredOutput);
    const auto small = [](const std::vector<std::vector<double>>& starts) {
        for (const auto& w : starts)
            for (const double x : w)
                if (std::fabs(x) > kStartScale) return false;
        return true;
    };
    EXPECT_TRUE(small(gradient_starts(20, p, false, test::repeatable(5))));
    EXPECT_TRUE(small(gradient_starts(20, problem_with({3, 4, 2}, 0.5, two_outputs), true, test::repeatable(5))));
    // A zero column is no bias: the start is a wide one (below).
    EXPECT_FALSE(small(gradient_starts(20, problem_with(s, 0.0, zero_column), true, test::repeatable(5))));
}

// Without a bias, a centred start keeps each node's steepest point at the
// inputs' origin but draws the same steep slopes, up to 16 / sqrt(inputs):
// on a sine of 8 examples in (0, 1), 3 hidden nodes, single descents of
// 1000 iterations came within 1.5 times the best in 66 of 100, against 9
// from small starts. Its output weights are fitted as above.
TEST(GradientStarts, DrawWideSlopesWhereNoInputIsABias) {
    std::vector<double> exemplar;
    for (int k = 0; k < 8; ++k) {
        const double u = 0.05 + 0.9 * (k + 0.5) / 8.0;
        exemplar.insert(exemplar.end(), {u, 0.5 + 0.4 * std::sin(6.0 * u - 3.0)});
    }
    const Problem p{NetShape{1, 3, 1}, 8, exemplar};
    double steepest = 0.0;
    for (const auto& w : gradient_starts(20, p, true, test::repeatable(5))) {
        for (std::size_t h = 0; h < 3; ++h) {
            EXPECT_LE(std::fabs(w[h]), kCentredSlope);
            steepest = std::max(steepest, std::fabs(w[h]));
        }
        for (std::size_t h = 0; h < 3; ++h) {
            double slope = 8 * 1e-4 * w[3 + h];
            for (std::size_t k = 0; k < 8; ++k) {
                const double u = exemplar[2 * k], z = 2.0 * std::atanh(exemplar[2 * k + 1]);
                double sum = 0.0;
                for (std::size_t j = 0; j < 3; ++j) sum += w[3 + j] * std::tanh(0.5 * w[j] * u);
                slope += std::tanh(0.5 * w[h] * u) * (sum - z);
            }
            EXPECT_NEAR(slope, 0.0, 1e-9);
        }
    }
    EXPECT_GT(steepest, 8.0);
}

// A step of 8 examples with a constant input, fitted by two hidden nodes,
// which soon settle in a fit they cannot better. Every descent stops by
// the rule, about 50 iterations after it settles when 1000 are allowed and
// about 150 when 3000 are (the twentieth it watches then; the last to
// stop need not be the same descent, so the training ends later by most
// of the 100 more), and ends where it would have anyway (to five digits).
// The iterations allowed are the most a descent may take: 30 cut every
// descent short, at the 30th.
TEST(TrainGradient, MoreIterationsAllowedMakeTheStoppingRulePatient) {
    std::vector<double> exemplar;
    for (int k = 0; k < 8; ++k) {
        const double u = (k + 0.5) / 8.0;
        exemplar.insert(exemplar.end(), {0.05 + 0.9 * u, 0.5, u < 0.5 ? 0.1 : 0.9});
    }
    const NetShape s{2, 2, 1};
    const auto train = [&](std::int16_t iterations, double& fit) {
        std::vector<double> result;
        Pmeter pm;
        RecordingUi ui;
        int last = 0;  // the last iteration before every descent had stopped
        ui.on_yield = [&](int) {
            if (pm.pbar_value < iterations) last = std::max(last, pm.pbar_value);
        };
        EXPECT_TRUE(train_gradient(s, 8, exemplar, result, iterations, 4, pm, ui, test::repeatable(3)));
        fit = fitness(result, exemplar, s, 8);
        return last;
    };
    double fit1000 = 0.0, fit3000 = 0.0, fit30 = 0.0;
    const int run1000 = train(1000, fit1000), run3000 = train(3000, fit3000), run30 = train(30, fit30);
    EXPECT_LT(run1000, 250);
    EXPECT_GT(run3000, run1000 + 50);
    EXPECT_NEAR(fit3000, fit1000, 1e-5 * fit1000);
    EXPECT_EQ(run30, 29);
    EXPECT_GT(fit30, fit1000);
}

// How many starts a training draws: with at most 20 asked for, eight for
// each, at most 80 (but four for each); with more, or where such a pool
// would cost too much (3000 examples of a 2-2-1 network: 80 descents of
// 200 iterations, 1.7e9 multiply-adds), four for each. A centred start of
// a 2-2-1 network takes 6 draws (a slope and an example for each hidden
// node, then the two output weights); a small start of a 1-2-1 network,
// one for each of its 4 weights. (Networks of two hidden nodes are not
// grown, which would draw more.)
TEST(TrainGradient, FewStartsAreScreenedFromEightEachAtMostEighty) {
    const auto draws = [](const NetShape& s, std::int16_t nexem, const std::vector<double>& exemplar,
                          std::int16_t restarts) {
        int count = 0;
        const Draw base = test::repeatable(4);
        const Draw counting = [&] {
            ++count;
            return base();
        };
        std::vector<double> result;
        Pmeter pm;
        RecordingUi ui;
        EXPECT_TRUE(train_gradient(s, nexem, exemplar, result, 12, restarts, pm, ui, counting));
        return count;
    };
    const std::vector<double> constant{0.1, 0.5, 0.2, 0.4, 0.5, 0.6, 0.7, 0.5, 0.3, 0.9, 0.5, 0.8};
    EXPECT_EQ(draws({2, 2, 1}, 4, constant, 1), 8 * 6);
    EXPECT_EQ(draws({2, 2, 1}, 4, constant, 10), 80 * 6);
    EXPECT_EQ(draws({2, 2, 1}, 4, constant, 20), 80 * 6);
    EXPECT_EQ(draws({2, 2, 1}, 4, constant, 30), 120 * 6);
    std::vector<double> many;
    for (int k = 0; k < 3000; ++k) many.insert(many.end(), {(k + 0.5) / 3000.0, 0.5, 0.1 + 0.4 * (k % 3)});
    EXPECT_EQ(draws({2, 2, 1}, 3000, many, 10), 40 * 6);
    const std::vector<double> plain{0.1, 0.2, 0.4, 0.6, 0.7, 0.3, 0.9, 0.8};
    EXPECT_EQ(draws({1, 2, 1}, 4, plain, 5), 40 * 4);
    // Three hidden nodes are grown from one where the pool is affordable:
    // six centred starts of a 2-1-1 network (3 draws each), then twice a
    // split of each of at most two networks (a node, two spreads and a
    // share: 4 draws); not where it is not (3000 examples, 3.2e9).
    const int grown = draws({2, 3, 1}, 4, constant, 1);
    EXPECT_GE(grown, 8 * 9 + 6 * 3 + 2 * 4);
    EXPECT_LE(grown, 8 * 9 + 6 * 3 + 2 * 2 * 4);
    EXPECT_EQ(draws({2, 3, 1}, 3000, many, 10), 40 * 9);
}

// A node split with the draws at their middle (no spread, even shares)
// leaves every output as it was: the two halves sum to the node. At the
// draws' top, the new node's input weights are 1.01 times the node's
// (clamped to the bound) and it takes 0.2 of each output weight.
TEST(SplitNode, KeepsTheOutputsAndCarriesEveryOtherWeight) {
    const NetShape s{2, 3, 2}, grown{2, 4, 2};
    const std::vector<double> w{1.5, -2.0, 63.9, 0.3, 0.7, -1.1, 2.0, -3.0, 0.5, 1.5, -0.25, 4.0};
    const std::vector<double> even = split_node(w, s, 2, [] { return 0.5; });
    ASSERT_EQ(even.size(), grown.weights());
    NodeTable before(s), after(grown);
    for (const std::vector<double>& input : {std::vector<double>{0.2, 0.5}, std::vector<double>{0.9, 0.5}}) {
        feed_forward(w, input, before, s);
        feed_forward(even, input, after, grown);
        for (std::size_t o = 0; o < 2; ++o) EXPECT_NEAR(after.output[o], before.output[o], 1e-15);
    }
    const std::vector<double> top = split_node(w, s, 2, [] { return 1.0; });
    // Input weights, input by input: the three nodes, then the new one.
    EXPECT_EQ(std::vector<double>(top.begin(), top.begin() + 8),
              (std::vector<double>{1.5, -2.0, 63.9, 64.0, 0.3, 0.7, -1.1, -1.1 * 1.01}));
    // Output weights, node by node: the split node keeps 0.8 of its own.
    const std::vector<double> outputs(top.begin() + 8, top.end());
    EXPECT_EQ(std::vector<double>(outputs.begin(), outputs.begin() + 4), (std::vector<double>{2.0, -3.0, 0.5, 1.5}));
    EXPECT_DOUBLE_EQ(outputs[4], -0.25 * 0.8);
    EXPECT_DOUBLE_EQ(outputs[5], 4.0 * 0.8);
    EXPECT_DOUBLE_EQ(outputs[6], -0.25 * 0.2);
    EXPECT_DOUBLE_EQ(outputs[7], 4.0 * 0.2);
}

// Examples that need far larger weights than the bound: the inputs are
// tiny and the target near 1.
TEST(TrainGradient, WeightsStayWithinTheBoundByEitherMethod) {
    const NetShape s{1, 2, 1};
    const std::vector<double> exemplar{0.001, 0.999, 0.002, 0.998};
    for (const GradientMethod m : {GradientMethod::Levenberg, GradientMethod::Lbfgs}) {
        std::vector<double> result(s.weights(), 0.0);
        Pmeter pm;
        RecordingUi ui;
        ASSERT_TRUE(train_gradient_by({s, 2, exemplar}, m, result, 300, 4, pm, ui, test::repeatable(2)));
        double largest = 0.0;
        for (double w : result) {
            EXPECT_LE(std::fabs(w), kWeightBound);
            largest = std::max(largest, std::fabs(w));
        }
        EXPECT_EQ(largest, kWeightBound);  // the bound was reached, and held
    }
}

TEST(TrainGradient, AFaultInTheArithmeticIsRaised) {
    // A value far outside (0, 1), as no training file can give: the sums
    // overflow the exponential.
    const NetShape s{1, 1, 1};
    const std::vector<double> exemplar{1e300, 0.5, 0.5, 0.5};
    std::vector<double> result(s.weights(), 0.0);
    Pmeter pm;
    RecordingUi ui;
    EXPECT_THROW(train_gradient(s, 2, exemplar, result, 10, 4, pm, ui, test::repeatable(4)), ArithmeticError);
    EXPECT_EQ(result, std::vector<double>(s.weights(), 0.0));
}

// Once per iteration until every descent has stopped, well before the
// cap of 1000 on this easy fit; then the bar at the end of the phase. A
// network of three hidden nodes is also grown (from one node, by two
// splits), so the bar runs over four phases of 1000.
TEST(TrainGradient, DrivesTheProgressFiguresOncePerIterationUntilTheDescentsStop) {
    const NetShape s{2, 3, 1};
    // y = x1 * (1 - x2) + 0.1 on a small grid.
    std::vector<double> exemplar;
    for (double a : {0.2, 0.5, 0.8})
        for (double b : {0.2, 0.5, 0.8}) exemplar.insert(exemplar.end(), {a, b, a * (1 - b) + 0.1});
    std::vector<double> result(s.weights(), 0.0);
    Pmeter pm;
    RecordingUi ui;
    std::vector<Pmeter> seen;
    ui.on_yield = [&](int) {
        if (pm.pbar_value > 0 && (seen.empty() || seen.back().pbar_value != pm.pbar_value)) seen.push_back(pm);
    };
    ASSERT_TRUE(train_gradient(s, 9, exemplar, result, 1000, 6, pm, ui, test::repeatable(8)));
    ASSERT_GE(seen.size(), 8u);
    EXPECT_EQ(pm.pbar_max, 4000);
    std::vector<int> phase_ends;
    for (std::size_t k = 0; k < seen.size(); ++k) {
        const Pmeter& p = seen[k];
        const int done = p.pbar_value, before = k > 0 ? seen[k - 1].pbar_value : 0;
        if (done % 1000 == 0)
            phase_ends.push_back(done);
        else
            EXPECT_EQ(done, before + 1);  // one iteration on
        ASSERT_EQ(p.curve.size(), k + 1);
        EXPECT_EQ(p.curve.back().step, done);
        if (k > 0) {
            EXPECT_LE(p.curve.back().best, seen[k - 1].curve.back().best);  // the lowest so far
            EXPECT_GE(p.elapsed, seen[k - 1].elapsed);
        }
        EXPECT_NEAR(p.remaining, p.elapsed * (4000 - done) / done, 1e-12);
    }
    // Every phase ended before its cap: at most one step in four ran.
    EXPECT_EQ(phase_ends, (std::vector<int>{1000, 2000, 3000, 4000}));
    EXPECT_LT(seen.size(), 1000u);
    EXPECT_EQ(seen.back().remaining, 0.0);
    // The last figure is the error of the network handed back.
    EXPECT_DOUBLE_EQ(pm.curve.back().best, fitness(result, exemplar, s, 9));
    EXPECT_EQ(ui.count(UiEvent::Kind::Show, Window::Pmeter), 1);
    EXPECT_EQ(ui.count(UiEvent::Kind::Hide, Window::Pmeter), 1);
}

}  // namespace
}  // namespace tvx
