// The Gradient training follows the settings its problem carries, not
// figures of its own: changed settings change the starts, the screening,
// the growing and the methods as they say. (The defaults' results are
// pinned in test_gradient_pins.cpp.)
#include <gtest/gtest.h>

#include <cmath>

#include "neural/descent.h"
#include "neural/gradient.h"
#include "support/neural_fixture.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

// Trains p and counts the draws taken; `bar` receives the progress bar's
// length.
int draws_of(const Problem& p, GradientMethod m, std::int16_t iterations, std::int16_t restarts, int* bar = nullptr) {
    int count = 0;
    const Draw base = test::repeatable(4);
    const Draw counting = [&] {
        ++count;
        return base();
    };
    std::vector<double> result;
    Pmeter pm;
    test::RecordingUi ui;
    EXPECT_TRUE(train_gradient_by(p, m, result, iterations, restarts, pm, ui, counting));
    if (bar) *bar = pm.pbar_max;
    return count;
}

TEST(GradientSettings, TheStartsScreeningAndGrowingFollowTheProblemsSettings) {
    // A 2-2-1 network beside a constant input: a centred start takes 6
    // draws; 10 starts asked for draw 8 each (80) by default, 3 each (30)
    // with pool_draws 3, and 4 each (40) where a pool of 20 is not
    // affordable.
    const std::vector<double> constant{0.1, 0.5, 0.2, 0.4, 0.5, 0.6, 0.7, 0.5, 0.3, 0.9, 0.5, 0.8};
    Problem p{{2, 2, 1}, 4, constant};
    EXPECT_EQ(draws_of(p, GradientMethod::Levenberg, 12, 10), 80 * 6);
    p.settings.screen.pool_draws = 3;
    EXPECT_EQ(draws_of(p, GradientMethod::Levenberg, 12, 10), 30 * 6);
    p.settings.screen.pool_work = 1.0;
    EXPECT_EQ(draws_of(p, GradientMethod::Levenberg, 12, 10), 40 * 6);

    // Small starts within their scale, and no wider.
    Problem q{{1, 2, 1}, 4, constant};
    q.settings.starts.scale = 0.01;
    double widest = 0.0;
    for (const auto& w : gradient_starts(50, q, false, test::repeatable(5)))
        for (const double x : w) widest = std::max(widest, std::fabs(x));
    EXPECT_LE(widest, 0.01);
    EXPECT_GT(widest, 0.009);

    // A 2-3-1 network is grown from 1 hidden node by two steps (four
    // phases on the bar), from 2 by one step with steps 1 (three phases),
    // and not at all with steps 3.
    int bar = 0;
    draws_of(Problem{{2, 3, 1}, 4, constant}, GradientMethod::Levenberg, 12, 4, &bar);
    EXPECT_EQ(bar, 4 * 12);
    Problem one{{2, 3, 1}, 4, constant};
    one.settings.grow.steps = 1;
    draws_of(one, GradientMethod::Levenberg, 12, 4, &bar);
    EXPECT_EQ(bar, 3 * 12);
    one.settings.grow.steps = 3;
    draws_of(one, GradientMethod::Levenberg, 12, 4, &bar);
    EXPECT_EQ(bar, 12);
}

// The method by cost: a 5-3-3 network's normal equations cost 6.75
// gradients an example (486 multiply-adds against 72), so it takes both methods under the default 16 and
// L-BFGS alone under 5.
TEST(GradientSettings, TheMethodAndTheDescentsFollowTheProblemsSettings) {
    Problem p{NetShape{5, 3, 3}, 1, {}};
    EXPECT_EQ(gradient_method(p), GradientMethod::Both);
    p.settings.method.levenberg_gradients = 5.0;
    EXPECT_EQ(gradient_method(p), GradientMethod::Lbfgs);

    // A descent stops once its error has fallen by less than `fall` of
    // itself since `window` iterations back: with a fall of 1 (any fall is
    // less), at the first iteration that has one that far back, the 8th
    // for a window of 7, whichever the method.
    const NetShape s{1, 2, 1};
    const std::vector<double> exemplar{0.2, 0.3, 0.5, 0.6, 0.8, 0.4};
    Problem q{s, 3, exemplar};
    q.settings.stop.fall = 1.0;
    q.settings.stop.window = 7;
    q.settings.levenberg.exact_fit = 10.0;  // and no distance phase after it
    const std::vector<double> start{0.3, -0.2, 0.4, 0.1};
    const auto iterations = [&](auto descent) {
        int n = 0;
        while (!descent.stopped() && n < 100) descent.iterate(q), ++n;
        return n;
    };
    EXPECT_EQ(iterations(Levenberg(start, q)), 8);
    EXPECT_EQ(iterations(Lbfgs(start, q)), 8);
}

}  // namespace
}  // namespace tvx
