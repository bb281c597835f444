// Genetic evolution: its parts with scripted draws, and a whole run.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "neural/genetic.h"
#include "support/neural_fixture.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

using test::RecordingUi;
using test::scripted;
using test::UiEvent;

// Individual k holds W copies of k + 1, so every weight names its parent.
WeightSet labelled(std::size_t p, std::size_t w) {
    WeightSet set;
    for (std::size_t k = 0; k < p; ++k) set.emplace_back(w, static_cast<double>(k + 1));
    return set;
}

TEST(RandomPermutation, FollowsTheSwapRule) {
    // All draws 0: j = 0 each time. t = 0123 -> perm(3) = 0, t = 3123;
    // perm(2) = 3, t = 2123; perm(1) = 2, t = 1; perm(0) = 1.
    EXPECT_EQ(random_permutation(4, scripted({0, 0, 0, 0})), (std::vector<std::int16_t>{1, 2, 3, 0}));
    // Draws near 1: j = nearest(0.99 c) = c, every element stays.
    EXPECT_EQ(random_permutation(4, scripted({0.99, 0.99, 0.99, 0.99})), (std::vector<std::int16_t>{0, 1, 2, 3}));
}

TEST(RandomPermutation, AlwaysYieldsAPermutation) {
    const Draw draw = test::repeatable(7);
    for (std::int16_t n : {1, 2, 5, 17, 100}) {
        std::vector<std::int16_t> p = random_permutation(n, draw);
        std::sort(p.begin(), p.end());
        std::vector<std::int16_t> all(static_cast<std::size_t>(n));
        std::iota(all.begin(), all.end(), std::int16_t{0});
        EXPECT_EQ(p, all) << n;
    }
}

TEST(RankAscending, OrdersByValueWithTiesByIndex) {
    const std::vector<double> v{0.5, 0.2, 0.5, 0.1, 0.2};
    EXPECT_EQ(rank_ascending(v), (std::vector<std::int16_t>{3, 1, 4, 0, 2}));
}

TEST(Crossover, FourIndividualsPairTheHalvesOfThePermutation) {
    // Cut: nearest(0.5 * 2) + 1 = 2. Permutation draws near 1: identity.
    // Pairs (0, 2) and (1, 3): positions 0..1 from one parent, 2 from the other.
    const WeightSet pop = labelled(4, 3);
    WeightSet children(4, std::vector<double>(3, 0.0));
    crossover(pop, children, scripted({0.5, 0.99, 0.99, 0.99, 0.99}));
    EXPECT_EQ(children[0], (std::vector<double>{1, 1, 3}));
    EXPECT_EQ(children[2], (std::vector<double>{3, 3, 1}));
    EXPECT_EQ(children[1], (std::vector<double>{2, 2, 4}));
    EXPECT_EQ(children[3], (std::vector<double>{4, 4, 2}));
}

TEST(Crossover, FiveIndividualsLeaveSlotThreeUnwritten) {
    // h = 2.5: pairs (0, 2), (1, 4), (2, 4); the later pairs win slots 2 and 4.
    // Cut: nearest(0.99 * 3) + 1 = 4 = W, so children are plain copies.
    const WeightSet pop = labelled(5, 4);
    WeightSet children(5, std::vector<double>(4, -1.0));
    crossover(pop, children, scripted({0.99, 0.99, 0.99, 0.99, 0.99, 0.99}));
    EXPECT_EQ(children[0], pop[0]);
    EXPECT_EQ(children[1], pop[1]);
    EXPECT_EQ(children[2], pop[2]);  // first of the pair (2, 4)
    EXPECT_EQ(children[3], std::vector<double>(4, -1.0));
    EXPECT_EQ(children[4], pop[4]);
}

TEST(Crossover, OneWeightCopiesTheParents) {
    const WeightSet pop = labelled(4, 1);
    WeightSet children(4, std::vector<double>(1, 0.0));
    crossover(pop, children, scripted({0.7, 0.99, 0.99, 0.99, 0.99}));
    for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(children[k], pop[k]);
}

TEST(SelectSurvivors, KeepsTheLowestErrorsCopiedFromTheSetsAsTheyStood) {
    // One node per layer, one example x = 0.5, target 0.9: the output grows
    // with both (positive) weights, so larger weights mean a smaller error.
    // Errors: parent 1 < parent 0 < child 0 < child 1. The survivors are
    // parent 1 then parent 0: slot 1 needs parent 0 as it was before slot
    // 0 was overwritten.
    const NetShape s{1, 1, 1};
    const std::vector<double> exemplar{0.5, 0.9};
    WeightSet pop{{0.6, 0.6}, {0.9, 0.9}};
    const WeightSet children{{0.3, 0.3}, {0.1, 0.1}};
    const std::vector<double> errors = select_survivors(pop, children, exemplar, s, 1);
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_LT(errors[1], errors[0]);
    EXPECT_LT(errors[0], errors[2]);
    EXPECT_LT(errors[2], errors[3]);
    EXPECT_EQ(pop[0], (std::vector<double>{0.9, 0.9}));
    EXPECT_EQ(pop[1], (std::vector<double>{0.6, 0.6}));
}

TEST(Mutate, ChangesAtMostOneWeightWhenTheDrawIsAtMostEightHundredths) {
    WeightSet pop(3, std::vector<double>(4, 0.5));
    // Individual 0: 0.08 mutates position nearest(0.5 * 3) = 2 to 0.7;
    // individual 1: 0.09 does not; individual 2: position nearest(0.99 * 3) = 3.
    mutate(pop, scripted({0.08, 0.5, 0.7, 0.09, 0.0, 0.99, 0.1}));
    EXPECT_EQ(pop[0], (std::vector<double>{0.5, 0.5, 0.7, 0.5}));
    EXPECT_EQ(pop[1], (std::vector<double>(4, 0.5)));
    EXPECT_EQ(pop[2], (std::vector<double>{0.5, 0.5, 0.5, 0.1}));
}

// Examples whose targets a known network (weights 0.95) produces: the
// task is learnable to an error near 0.
std::vector<double> learnable_examples(const NetShape& s, int count) {
    const std::vector<double> teacher(s.weights(), 0.95);
    NodeTable nodes(s);
    std::vector<double> exemplar;
    for (int k = 0; k < count; ++k) {
        const double x = 0.05 + 0.9 * k / (count - 1);
        feed_forward(teacher, std::vector<double>{x}, nodes, s);
        exemplar.push_back(x);
        exemplar.push_back(nodes.output[0]);
    }
    return exemplar;
}

double mean_random_error(const NetShape& s, const std::vector<double>& exemplar, std::int16_t nexem) {
    const Draw draw = test::repeatable(99);
    double sum = 0.0;
    for (int k = 0; k < 200; ++k) {
        std::vector<double> w(s.weights());
        for (double& v : w) v = draw();
        sum += fitness(w, exemplar, s, nexem);
    }
    return sum / 200;
}

TEST(TrainGenetic, ARunDrivesTheProgressWindowAndLearns) {
    const NetShape s{1, 3, 1};
    const std::vector<double> exemplar = learnable_examples(s, 10);
    std::vector<double> result(s.weights(), 0.0);
    Pmeter pm;
    RecordingUi ui;
    std::vector<std::string> messages;
    ui.on_yield = [&](int) {
        // Once per generation (a long one may also wait in between).
        if (pm.pbar_value > 0 && (messages.empty() || messages.back() != pm.message)) messages.push_back(pm.message);
    };
    ASSERT_TRUE(train_genetic(s, 10, exemplar, result, 200, 20, pm, ui, test::repeatable(1)));

    EXPECT_EQ(ui.count(UiEvent::Kind::Show, Window::Pmeter), 1);
    EXPECT_EQ(ui.count(UiEvent::Kind::Hide, Window::Pmeter), 1);
    EXPECT_EQ(pm.pbar_max, 200);
    EXPECT_EQ(pm.pbar_value, 200);
    ASSERT_EQ(messages.size(), 200u);
    EXPECT_EQ(messages[0], "0.5% of neural net training complete");
    EXPECT_EQ(messages[199], "100% of neural net training complete");
    // Well below a random network's error.
    EXPECT_LT(fitness(result, exemplar, s, 10), 0.1 * mean_random_error(s, exemplar, 10));
    for (double w : result) EXPECT_TRUE(w >= 0.0 && w < 1.0);
}

TEST(TrainGenetic, ProgressTextHasUpToFifteenDigits) {
    EXPECT_EQ(training_progress_text(1, 3), "33.3333333333333% of neural net training complete");
    EXPECT_EQ(training_progress_text(0, 3), "0% of neural net training complete");
}

TEST(TrainGenetic, CancelEndsTheRunWithoutAResult) {
    const NetShape s{1, 2, 1};
    const std::vector<double> exemplar = learnable_examples(s, 4);
    std::vector<double> result(s.weights(), 0.0);
    Pmeter pm;
    pm.kill = 1;  // an earlier run's Cancel does not stop this one
    RecordingUi ui;
    ui.on_yield = [&](int) {
        if (pm.pbar_value == 1) Command1_Click(pm);
    };
    EXPECT_FALSE(train_genetic(s, 4, exemplar, result, 50, 4, pm, ui, test::repeatable(3)));
    EXPECT_EQ(result, std::vector<double>(s.weights(), 0.0));
    EXPECT_EQ(pm.pbar_value, 2);  // seen at the check of the second generation
    EXPECT_EQ(ui.count(UiEvent::Kind::Hide, Window::Pmeter), 1);
}

}  // namespace
}  // namespace tvx
