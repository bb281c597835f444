// The program's helper threads: one pool, started on first use with a
// thread for each processor, shared by everything that spreads its work
// over the cores (the simulation's pipeline, the batch, the trainings).
//
// Work goes to the pool as a team: a body that several threads call at
// once, each call taking its share from a supply the body keeps itself (an
// atomic index, say) and returning when nothing is left. The caller takes
// part as well, or waits. A pool thread that is busy elsewhere simply does
// not join, so the caller never depends on one: a team started from a pool
// thread, or while every pool thread works for another team, goes on at
// the caller's own pace.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace tvx {

class ThreadPool;

// The processors this process may run on, at least one.
unsigned processors();

// The pool's threads: one for each processor unless set. set_pool_threads
// is for tests and benchmarks; a count set stays until set again. Any
// work in progress then finishes with the threads it has.
unsigned pool_threads();
void set_pool_threads(unsigned count);
// At least `count` threads: for a caller that was asked for more than the
// processors (the batch's --jobs).
void reserve_pool_threads(unsigned count);

class Team {
public:
    // Calls body on up to `helpers` free pool threads, once on each.
    Team(unsigned helpers, std::function<void()> body);
    // Joins, dropping a helper's exception (join() rethrows it).
    ~Team();
    Team(const Team&) = delete;
    Team& operator=(const Team&) = delete;

    // The calls not yet begun never will be.
    void close();
    // Closes, waits for the calls running and rethrows the first exception
    // any call threw.
    void join();
    // Waits until no call is running and none is still to come (true), or
    // until `deadline` or while the team is stalled (false).
    bool settle(std::chrono::steady_clock::time_point deadline);
    // Calls are still to come, but none is running and no pool thread is
    // free to make one: the caller must do the work itself.
    bool stalled() const;

private:
    friend class ThreadPool;
    struct State {
        std::function<void()> body;
        unsigned to_come = 0;  // calls not yet begun
        unsigned running = 0;  // calls in progress
        std::exception_ptr error;
    };

    State state_;
    bool joined_ = false;
};

// Spins for about 50 microseconds, or until `counter` is no longer `seen`.
// A short piece of work can take less time than waking a sleeping thread:
// a thread that expects another's answer soon spins before it sleeps.
inline void spin_while_unchanged(const std::atomic<unsigned long long>& counter, unsigned long long seen) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until = Clock::now() + std::chrono::microseconds(50);
    for (unsigned spins = 1; counter.load(std::memory_order_acquire) == seen; ++spins) {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
        // Now and then the processor goes to any other thread that waits
        // for it: this one may be spinning on the core that the thread it
        // waits for needs.
        if (spins % 16 == 0) {
            std::this_thread::yield();
            if (Clock::now() > until) return;
        }
    }
}

// Waits, with `lock` held on entry and return, until `ready()` holds; the
// threads that change what `ready` reads do it under the lock, then bump
// `counter` and notify `cv`. After each change it spins before it sleeps
// (the lock released). Returns the time it waited.
template <class Ready>
std::chrono::steady_clock::duration spin_wait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                                              const std::atomic<unsigned long long>& counter, Ready ready) {
    using Clock = std::chrono::steady_clock;
    if (ready()) return {};
    const Clock::time_point began = Clock::now();
    while (!ready()) {
        const unsigned long long seen = counter.load(std::memory_order_acquire);
        lock.unlock();
        spin_while_unchanged(counter, seen);
        lock.lock();
        cv.wait(lock, [&] { return counter.load(std::memory_order_acquire) != seen || ready(); });
    }
    return Clock::now() - began;
}

}  // namespace tvx
