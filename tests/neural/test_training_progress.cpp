// The progress window's figures beside its bar: the lowest error so far,
// its curve, the time taken and the time left.
#include <gtest/gtest.h>

#include "core/numbers.h"
#include "neural/agoric.h"
#include "neural/genetic.h"
#include "neural/training_progress.h"
#include "support/neural_fixture.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

using test::RecordingUi;

TEST(TrainingProgress, FigureTexts) {
    EXPECT_EQ(clock_text(0), "0:00");
    EXPECT_EQ(clock_text(59.4), "0:59");
    EXPECT_EQ(clock_text(59.6), "1:00");
    EXPECT_EQ(clock_text(3599.4), "59:59");
    EXPECT_EQ(clock_text(3725), "1:02:05");
    EXPECT_EQ(clock_text(-3), "0:00");

    Pmeter pm;
    EXPECT_EQ(best_error_text(pm), "");
    EXPECT_EQ(training_time_text(pm), "Elapsed 0:00");
    pm.curve = {{1, 0.25}, {2, 0.0123456789}};
    pm.elapsed = 7;
    pm.remaining = 65;
    EXPECT_EQ(best_error_text(pm), "Lowest average error so far: 0.0123457");
    EXPECT_EQ(training_time_text(pm), "Elapsed 0:07, about 1:05 left");

    // Fewer significant digits, the same rule otherwise.
    EXPECT_EQ(general_text(10.0000002, 4), "10");
    EXPECT_EQ(general_text(-0.000123456, 4), "-0.0001235");
    EXPECT_EQ(general_text(123456, 4), "1.235E+05");
}

TEST(TrainingProgress, StartClearsTheFiguresOfAnEarlierRun) {
    Pmeter pm;
    pm.curve = {{1, 0.5}};
    pm.elapsed = 12;
    pm.remaining = 3;
    RecordingUi ui;
    training_progress_start(pm, ui, 10);
    EXPECT_TRUE(pm.curve.empty());
    EXPECT_EQ(pm.elapsed, 0.0);
    EXPECT_LT(pm.remaining, 0.0);
    EXPECT_FALSE(training_progress_step(pm, ui, 1, 10, std::nullopt));
    EXPECT_TRUE(pm.curve.empty());  // no error known yet: no point
    EXPECT_NEAR(pm.remaining, 9 * pm.elapsed, 1e-12);
}

// 1 input, 3 hidden, 1 output; targets rising with the input.
std::vector<double> rising(int n) {
    std::vector<double> e;
    for (int k = 1; k <= n; ++k) e.insert(e.end(), {k / (n + 1.0), 0.1 + 0.5 * k / (n + 1.0)});
    return e;
}

TEST(TrainingProgress, BothEvolutionsDrawTheirLowestErrorSoFar) {
    const NetShape s{1, 3, 1};
    const std::vector<double> e = rising(6);
    std::vector<double> result(s.weights());
    {
        Pmeter pm;
        RecordingUi ui;
        ASSERT_TRUE(train_genetic(s, 6, e, result, 30, 8, pm, ui, test::repeatable(21)));
        ASSERT_EQ(pm.curve.size(), 30u);
        for (std::size_t k = 1; k < pm.curve.size(); ++k) EXPECT_LE(pm.curve[k].best, pm.curve[k - 1].best);
        // The lowest error ever seen is no higher than that of the network
        // handed back (chosen after the last mutation).
        EXPECT_LE(pm.curve.back().best, fitness(result, e, s, 6));
    }
    {
        Pmeter pm;
        RecordingUi ui;
        ASSERT_TRUE(train_agoric(s, 6, e, result, 30, 8, pm, ui, test::repeatable(22)));
        // The first iteration's check comes before its trials: no error yet.
        ASSERT_FALSE(pm.curve.empty());
        EXPECT_GE(pm.curve.front().step, 2);
        EXPECT_EQ(pm.curve.back().step, 30);
        for (std::size_t k = 1; k < pm.curve.size(); ++k) EXPECT_LE(pm.curve[k].best, pm.curve[k - 1].best);
        EXPECT_LT(pm.curve.back().best, 4.0);
    }
}

}  // namespace
}  // namespace tvx
