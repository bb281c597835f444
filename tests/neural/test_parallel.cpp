// The evaluation loop over the pool: every index once, results as a loop's
// whatever the number of threads, the pump called while a long batch runs,
// errors brought back.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <stdexcept>
#include <thread>
#include <vector>

#include "neural/agoric.h"
#include "neural/genetic.h"
#include "neural/gradient.h"
#include "neural/parallel.h"
#include "support/neural_fixture.h"
#include "support/recording_ui.h"
#include "support/thread_counts.h"

namespace tvx {
namespace {

TEST(ParallelEvaluation, EveryIndexOnceWithOrWithoutAPump) {
    for (const bool pumped : {false, true}) {
        for (std::size_t n : {0u, 1u, 2u, 7u, 100u}) {
            std::vector<int> hits(n, 0);
            int pumps = 0;
            const Pump pump = [&] { ++pumps; };
            for_each_index_parallel(
                n, [&](std::size_t i) { ++hits[i]; }, pumped ? pump : Pump{});
            EXPECT_EQ(hits, std::vector<int>(n, 1)) << n;
        }
    }
}

TEST(ParallelEvaluation, ThePumpRunsOnTheCallingThreadDuringALongBatch) {
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<bool> release{false};
    int pumps = 0;
    bool on_caller = true;
    for_each_index_parallel(
        2,
        [&](std::size_t) {
            while (!release) std::this_thread::yield();
        },
        [&] {
            on_caller = on_caller && std::this_thread::get_id() == caller;
            if (++pumps == 2) release = true;
        });
    EXPECT_GE(pumps, 2);  // once more if a half is still ending
    EXPECT_TRUE(on_caller);
}

TEST(ParallelEvaluation, AnErrorInEitherHalfIsRethrownAfterBoth) {
    for (const bool pumped : {false, true}) {
        for (std::size_t bad : {0u, 5u}) {
            std::atomic<int> done{0};
            EXPECT_THROW(for_each_index_parallel(
                             6,
                             [&](std::size_t i) {
                                 if (i == bad) throw std::runtime_error("fault");
                                 ++done;
                             },
                             pumped ? Pump{[] {}} : Pump{}),
                         std::runtime_error);
        }
    }
}

// With no pool thread free the caller does the work itself, and still
// pumps between evaluations.
TEST(ParallelEvaluation, WithoutPoolThreadsTheCallerWorksAndStillPumps) {
    const test::WithPoolThreads with(0);
    std::vector<int> hits(4, 0);
    int pumps = 0;
    for_each_index_parallel(
        hits.size(),
        [&](std::size_t i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
            ++hits[i];
        },
        [&] { ++pumps; });
    EXPECT_EQ(hits, std::vector<int>(4, 1));
    EXPECT_GE(pumps, 1);  // 240 ms of work, a pump due every 100 ms
}

// Each evaluation of a training writes only its own result, in whatever
// order the threads take them: the three trainings end on the same weights,
// to the last bit, with no pool thread, one, or three.
TEST(ParallelEvaluation, TheTrainingsEndOnTheSameWeightsWithAnyNumberOfThreads) {
    const NetShape s{1, 3, 1};
    std::vector<double> exemplar;
    for (int k = 0; k < 12; ++k) {
        const double x = 0.05 + 0.075 * k;
        exemplar.push_back(x), exemplar.push_back(0.5 + 0.4 * std::sin(3.0 * x));
    }
    using Training = bool (*)(const NetShape&, std::int16_t, std::span<const double>, std::vector<double>&,
                              std::int16_t, std::int16_t, Pmeter&, UserInterface&, const Draw&);
    const struct {
        const char* name;
        Training train;
        std::int16_t steps, size;
    } trainings[] = {
        {"genetic", train_genetic, 20, 12}, {"agoric", train_agoric, 15, 10}, {"gradient", train_gradient, 30, 6}};
    for (const auto& t : trainings) {
        std::vector<std::vector<double>> results;
        for (const unsigned threads : {0u, 1u, 3u}) {
            const test::WithPoolThreads with(threads);
            std::vector<double> result(s.weights(), 0.0);
            Pmeter pm;
            test::RecordingUi ui;
            ASSERT_TRUE(t.train(s, 12, exemplar, result, t.steps, t.size, pm, ui, test::repeatable(7))) << t.name;
            results.push_back(result);
        }
        EXPECT_EQ(results[1], results[0]) << t.name << ": one thread against none";
        EXPECT_EQ(results[2], results[0]) << t.name << ": three threads against none";
    }
}

}  // namespace
}  // namespace tvx
