#include "neural/parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>

#include "core/thread_pool.h"

namespace tvx {
namespace {

// The indices still to take, shared by every thread of one call.
class Indices {
public:
    Indices(std::size_t n, const std::function<void(std::size_t)>& work) : n_(n), work_(work) {}

    // Runs one index, unless none is left or a call has failed; false then.
    bool run_one() {
        if (failed_.load()) return false;
        const std::size_t i = next_.fetch_add(1);
        if (i >= n_) return false;
        try {
            work_(i);
        } catch (...) {
            const std::lock_guard lock(mutex_);
            if (!error_) error_ = std::current_exception();
            failed_.store(true);
        }
        return true;
    }
    void run_all() {
        while (run_one()) {}
    }
    bool exhausted() const { return failed_.load() || next_.load() >= n_; }
    // No further index is taken.
    void stop() { failed_.store(true); }
    void rethrow() {
        if (error_) std::rethrow_exception(error_);
    }

private:
    std::size_t n_;
    const std::function<void(std::size_t)>& work_;
    std::atomic<std::size_t> next_{0};
    std::atomic<bool> failed_{false};
    std::mutex mutex_;
    std::exception_ptr error_;
};

// The caller pumps every tenth of a second until every index is done,
// doing one itself whenever no pool thread can.
void pump_until_done(Indices& indices, Team& team, const Pump& pump) {
    using Clock = std::chrono::steady_clock;
    constexpr auto period = std::chrono::milliseconds(100);
    Clock::time_point next_pump = Clock::now() + period;
    for (;;) {
        if (indices.exhausted()) team.close();
        // Settled: no pool thread works on the indices, nor will.
        const bool settled = team.settle(next_pump);
        if (settled && indices.exhausted()) return;
        if (settled || team.stalled()) indices.run_one();
        if (Clock::now() >= next_pump) {
            pump();
            next_pump = Clock::now() + period;
        }
    }
}

}  // namespace

void for_each_index_parallel(std::size_t n, const std::function<void(std::size_t)>& work, const Pump& pump) {
    if (n == 0) return;
    Indices indices(n, work);
    // With a pump every pool thread may help; without, the caller is one
    // of the threads that work.
    const std::size_t workers = std::min<std::size_t>(pool_threads(), n);
    const std::size_t helpers = pump || workers == 0 ? workers : workers - 1;
    Team team(static_cast<unsigned>(helpers), [&indices] { indices.run_all(); });
    if (pump) {
        try {
            pump_until_done(indices, team, pump);
        } catch (...) {
            indices.stop();  // the team, when it ends here, waits for the calls running
            throw;
        }
    } else {
        indices.run_all();
    }
    team.join();
    indices.rethrow();
}

}  // namespace tvx
