// The program's thread pool: its size, the calls a team gets, a caller left
// alone when no thread is free (no pool at all, or every thread busy in
// another team, as when a team starts a team), and a helper's failure.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "core/thread_pool.h"
#include "support/thread_counts.h"

namespace tvx {
namespace {

using test::WithPoolThreads;

// A supply of `count` short tasks that every thread of a team draws from.
struct Supply {
    explicit Supply(std::size_t n) : count(n) {}
    void drain() {
        {
            const std::lock_guard lock(mutex);
            threads.insert(std::this_thread::get_id());
        }
        while (next.fetch_add(1) < count) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(20);
            while (std::chrono::steady_clock::now() < until) {}
            ++done;
        }
    }
    std::size_t count;
    std::atomic<std::size_t> next{0}, done{0};
    std::mutex mutex;
    std::set<std::thread::id> threads;
};

TEST(ThreadPool, OneThreadForEachProcessor) {
    EXPECT_GE(processors(), 1u);
    EXPECT_LE(processors(), std::max(1u, std::thread::hardware_concurrency()));
    EXPECT_EQ(pool_threads(), processors());
}

TEST(ThreadPool, ATeamGetsNoMoreCallsThanAskedAndEveryTaskRunsOnce) {
    const WithPoolThreads with(3);
    for (const unsigned helpers : {0u, 1u, 2u, 5u}) {
        Supply s(2000);
        Team team(helpers, [&] { s.drain(); });
        s.drain();
        team.join();
        EXPECT_EQ(s.done.load(), 2000u) << helpers << " helpers";
        // The caller and at most `helpers` threads, never more than the pool.
        EXPECT_LE(s.threads.size(), 1 + std::min(helpers, 3u)) << helpers << " helpers";
        EXPECT_EQ(s.threads.count(std::this_thread::get_id()), 1u);
    }
}

TEST(ThreadPool, WithNoThreadFreeTheCallerFinishesAlone) {
    {
        const WithPoolThreads with(0);
        Supply s(100);
        Team team(4, [&] { s.drain(); });
        EXPECT_TRUE(team.stalled());
        s.drain();
        team.join();
        EXPECT_EQ(s.done.load(), 100u);
        EXPECT_EQ(s.threads.size(), 1u);
    }
    // Each pool thread starts a team of its own while every thread is busy
    // in the outer one: the inner teams' callers do their work alone.
    const WithPoolThreads with(2);
    std::atomic<std::size_t> inner_done{0};
    std::atomic<int> outer_calls{0};
    Team outer(2, [&] {
        ++outer_calls;
        Supply inner(50);
        Team team(2, [&] { inner.drain(); });
        inner.drain();
        team.join();
        inner_done += inner.done.load();
    });
    while (outer_calls.load() < 2) std::this_thread::yield();
    outer.join();
    EXPECT_EQ(inner_done.load(), 100u);
}

TEST(ThreadPool, JoinRethrowsAHelpersFailureAfterEveryCallHasEnded) {
    const WithPoolThreads with(2);
    std::atomic<int> started{0}, running{0};
    Team team(2, [&] {
        ++started, ++running;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        --running;
        throw std::runtime_error("helper");
    });
    while (started.load() == 0) std::this_thread::yield();
    EXPECT_THROW(team.join(), std::runtime_error);
    EXPECT_EQ(running.load(), 0);
    // The pool goes on working.
    Supply s(100);
    Team next(2, [&] { s.drain(); });
    next.join();
    s.drain();
    EXPECT_EQ(s.done.load(), 100u);
}

}  // namespace
}  // namespace tvx
