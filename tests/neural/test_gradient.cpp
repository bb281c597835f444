// The gradient training: its derivatives, its updates and what it learns.
#include <gtest/gtest.h>

#include <cmath>

#include "core/fault.h"
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

TEST(RpropUpdate, StepsGrowWhileTheSignHoldsAndStopAtTheBound) {
    Descent d({0.0, kWeightBound - 0.05});
    const std::vector<double> g{-1.0, -1.0};  // both weights should rise
    rprop_update(d, g, {0.5, 0.4});
    EXPECT_DOUBLE_EQ(d.weights[0], 0.1);  // the first step
    EXPECT_EQ(d.weights[1], kWeightBound);
    rprop_update(d, g, {0.4, 0.3});
    EXPECT_DOUBLE_EQ(d.weights[0], 0.1 + 0.12);  // grown by 1.2
    EXPECT_EQ(d.weights[1], kWeightBound);
    // A change of sign with a rise of the error undoes the last change and
    // halves the step.
    rprop_update(d, std::vector<double>{1.0, -1.0}, {0.45, 0.35});
    EXPECT_DOUBLE_EQ(d.weights[0], 0.1);
    EXPECT_DOUBLE_EQ(d.step[0], 0.06);
    // The best weights are the lowest-fitness ones evaluated: the second.
    EXPECT_EQ(d.best_error, 0.4);
    EXPECT_DOUBLE_EQ(d.best[0], 0.1);
}

// Examples that need far larger weights than the bound: the inputs are
// tiny and the target near 1.
TEST(TrainGradient, WeightsStayWithinTheBound) {
    const NetShape s{1, 2, 1};
    const std::vector<double> exemplar{0.001, 0.999, 0.002, 0.998};
    std::vector<double> result(s.weights(), 0.0);
    Pmeter pm;
    RecordingUi ui;
    ASSERT_TRUE(train_gradient(s, 2, exemplar, result, 300, 4, pm, ui, test::repeatable(2)));
    double largest = 0.0;
    for (double w : result) {
        EXPECT_LE(std::fabs(w), kWeightBound);
        largest = std::max(largest, std::fabs(w));
    }
    EXPECT_EQ(largest, kWeightBound);  // the bound was reached, and held
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

TEST(TrainGradient, DrivesTheProgressFiguresOncePerIteration) {
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
    ASSERT_TRUE(train_gradient(s, 9, exemplar, result, 40, 6, pm, ui, test::repeatable(8)));
    ASSERT_EQ(seen.size(), 40u);
    for (std::size_t k = 0; k < seen.size(); ++k) {
        const Pmeter& p = seen[k];
        const int done = static_cast<int>(k) + 1;
        ASSERT_EQ(p.curve.size(), k + 1);
        EXPECT_EQ(p.curve.back().step, done);
        if (k > 0) {
            EXPECT_LE(p.curve.back().best, seen[k - 1].curve.back().best);  // the lowest so far
            EXPECT_GE(p.elapsed, seen[k - 1].elapsed);
        }
        EXPECT_NEAR(p.remaining, p.elapsed * (40 - done) / done, 1e-12);
    }
    EXPECT_EQ(seen.back().remaining, 0.0);
    // The last figure is the error of the network handed back.
    EXPECT_DOUBLE_EQ(pm.curve.back().best, fitness(result, exemplar, s, 9));
    EXPECT_EQ(ui.count(UiEvent::Kind::Show, Window::Pmeter), 1);
    EXPECT_EQ(ui.count(UiEvent::Kind::Hide, Window::Pmeter), 1);
}

}  // namespace
}  // namespace tvx
