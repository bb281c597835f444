// The two-stage pipeline the simulation spreads its batches with, run with
// no helper thread, one, and three: the rules each stage relies on, a
// failing stage, and reuse after it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "pricing/pipeline.h"
#include "support/thread_counts.h"

namespace tvx {
namespace {

// Keeps a stage busy long enough for the threads to overlap.
void busy(std::chrono::microseconds d) {
    const auto until = std::chrono::steady_clock::now() + d;
    while (std::chrono::steady_clock::now() < until) {}
}

using WithHelpers = test::WithCount<pipeline_helpers, set_pipeline_helpers>;

TEST(Pipeline, FirstStagesInOrderAloneAndSecondStagesAfterTheirOwn) {
    for (const unsigned helpers : {0u, 1u, 3u}) {
        WithHelpers with(helpers);
        constexpr std::size_t count = 60, ahead = 3;
        std::vector<std::size_t> order;  // first stages, as they ran
        std::vector<std::atomic<int>> firsts(count), seconds(count);
        std::atomic<int> in_first{0}, overlaps{0}, early{0}, crowded{0};
        const PipelineStage first = [&](std::size_t i) {
            if (in_first.fetch_add(1) != 0) ++overlaps;
            // The item `ahead` places back must be through both stages.
            if (i >= ahead && seconds[i - ahead].load() == 0) ++crowded;
            order.push_back(i);  // safe: first stages never overlap
            busy(std::chrono::microseconds(20));
            firsts[i] = 1;
            in_first.fetch_sub(1);
        };
        const PipelineStage second = [&](std::size_t i) {
            if (firsts[i].load() == 0) ++early;
            busy(std::chrono::microseconds(i % 3 == 0 ? 80 : 30));
            seconds[i].fetch_add(1);
        };
        run_pipeline(count, ahead, first, second);
        ASSERT_EQ(order.size(), count) << helpers << " helpers";
        for (std::size_t i = 0; i < count; ++i) {
            EXPECT_EQ(order[i], i) << helpers << " helpers";
            EXPECT_EQ(seconds[i].load(), 1) << helpers << " helpers, item " << i;
        }
        EXPECT_EQ(overlaps.load(), 0) << helpers << " helpers: two first stages at once";
        EXPECT_EQ(early.load(), 0) << helpers << " helpers: a second stage before its first";
        EXPECT_EQ(crowded.load(), 0) << helpers << " helpers: more than `ahead` items between the stages";
    }
}

TEST(Pipeline, AFailingStageStopsTheRunAndIsRethrown) {
    for (const unsigned helpers : {0u, 1u, 3u}) {
        WithHelpers with(helpers);
        for (const bool in_first : {true, false}) {
            constexpr std::size_t count = 40, failing = 7;
            std::atomic<std::size_t> started{0}, running{0}, after_return{0};
            const PipelineStage first = [&](std::size_t i) {
                ++started;
                if (in_first && i == failing) throw std::runtime_error("first");
            };
            const PipelineStage second = [&](std::size_t i) {
                ++running;
                busy(std::chrono::microseconds(10));
                if (!in_first && i == failing) {
                    --running;
                    throw std::runtime_error("second");
                }
                --running;
            };
            EXPECT_THROW(run_pipeline(count, 4, first, second), std::runtime_error)
                << helpers << " helpers, failing in the " << (in_first ? "first" : "second") << " stage";
            // Every stage has returned before the exception reaches the caller,
            // and the run stopped well before its end.
            EXPECT_EQ(running.load(), 0u) << helpers << " helpers";
            EXPECT_LT(started.load(), count) << helpers << " helpers";
            after_return = started.load();
            busy(std::chrono::microseconds(200));
            EXPECT_EQ(started.load(), after_return.load()) << helpers << " helpers: a stage started after the run";

            // The pipeline still works.
            std::atomic<std::size_t> done{0};
            run_pipeline(
                count, 2, [](std::size_t) {}, [&](std::size_t) { ++done; });
            EXPECT_EQ(done.load(), count) << helpers << " helpers";
        }
    }
}

TEST(Pipeline, NothingToDoCallsNothing) {
    int calls = 0;
    run_pipeline(
        0, 4, [&](std::size_t) { ++calls; }, [&](std::size_t) { ++calls; });
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace tvx
