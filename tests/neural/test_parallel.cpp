// The two-core evaluation loop: every index once, results as a loop's,
// the pump called while a long batch runs, errors brought back.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "neural/parallel.h"

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

}  // namespace
}  // namespace tvx
