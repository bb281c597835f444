#include "pricing/pipeline.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <vector>

#include <time.h>

#include "core/thread_pool.h"

namespace tvx {
namespace {

using Clock = std::chrono::steady_clock;

// The processor time the calling thread has had.
std::chrono::nanoseconds thread_time() {
#ifdef CLOCK_THREAD_CPUTIME_ID
    timespec t{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t) == 0)
        return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
#endif
    return std::chrono::nanoseconds(0);
}

// One call of run_pipeline: what has been claimed and finished, under its
// mutex. Every change of state bumps the version and wakes the threads
// waiting in the run.
struct Run {
    std::size_t count = 0;
    std::size_t ahead = 1;
    const PipelineStage* first = nullptr;
    const PipelineStage* second = nullptr;
    std::size_t next_first = 0;  // the next item to take
    bool first_busy = false;     // somebody is in the first stage
    std::vector<char> second_done;
    std::exception_ptr error;
    std::mutex mutex;
    std::condition_variable wake;
    std::atomic<unsigned long long> version{0};

    void changed() {
        version.fetch_add(1, std::memory_order_release);
        wake.notify_all();
    }

    void stage(const PipelineStage& f, std::size_t i, std::unique_lock<std::mutex>& lock) {
        lock.unlock();
        std::exception_ptr failure;
        try {
            f(i);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure && !error) error = failure;
    }

    // Takes items until none is left to take (or a stage has failed): the
    // next item's first stage as soon as nobody else is in it, then that
    // item's second stage right away, on the same thread, while another
    // thread takes the next item's first stage. Returns the time it waited.
    Clock::duration work() {
        std::unique_lock lock(mutex);
        const auto can_take = [&] {
            const std::size_t i = next_first;
            return error || i >= count || (!first_busy && (i < ahead || second_done[i - ahead]));
        };
        Clock::duration waited{};
        for (;;) {
            waited += spin_wait(lock, wake, version, can_take);
            if (error || next_first >= count) return waited;
            const std::size_t i = next_first++;
            first_busy = true;
            stage(*first, i, lock);
            first_busy = false;
            changed();
            if (error) return waited;
            stage(*second, i, lock);
            second_done[i] = 1;
            changed();
        }
    }
};

// When other programs keep the cores busy, the helpers only get in the way:
// the system shares the cores among more threads, and a helper kept off the
// processor holds up the caller, which must wait for it at the end of a
// run, or for the first stage it is in. When the caller has lost more than
// half of a run that way (waiting, or kept off the processor itself), the
// next runs go without helpers, more of them each time it happens again.
class Backoff {
public:
    // Whether this run calls the helpers in.
    bool with_helpers() {
        const std::lock_guard lock(mutex_);
        if (skip_ == 0) return true;
        --skip_;
        return false;
    }
    void record(Clock::duration wall, Clock::duration lost) {
        const std::lock_guard lock(mutex_);
        if (lost * 2 > wall) {
            backoff_ = std::min<unsigned>(backoff_ == 0 ? 2 : 2 * backoff_, 1024);
            skip_ = backoff_;
        } else {
            backoff_ = 0;
        }
    }
    void reset() {
        const std::lock_guard lock(mutex_);
        skip_ = backoff_ = 0;
    }

private:
    std::mutex mutex_;
    unsigned skip_ = 0;     // runs still to go without helpers
    unsigned backoff_ = 0;  // how many the last back-off skipped
};

Backoff& backoff() {
    static Backoff b;
    return b;
}

std::atomic<unsigned>& helpers_setting() {
    static std::atomic<unsigned> helpers{std::min(processors() - 1, 3u)};
    return helpers;
}

}  // namespace

void run_pipeline(std::size_t count, std::size_t ahead, const PipelineStage& first, const PipelineStage& second) {
    if (count == 0) return;
    Run r;
    r.count = count;
    r.ahead = std::max<std::size_t>(ahead, 1);
    r.first = &first;
    r.second = &second;
    r.second_done.assign(count, 0);
    const unsigned helpers = pipeline_helpers();
    const bool with_helpers = helpers > 0 && backoff().with_helpers();
    std::optional<Team> team;
    if (with_helpers) team.emplace(helpers, [&r] { r.work(); });
    const Clock::time_point start = Clock::now();
    const std::chrono::nanoseconds cpu_start = thread_time();
    Clock::duration waited = r.work();
    if (team) {
        const Clock::time_point joining = Clock::now();
        team->join();
        waited += Clock::now() - joining;
        const auto wall = Clock::now() - start;
        backoff().record(wall, waited + (wall - (thread_time() - cpu_start)));
    }
    if (r.error) std::rethrow_exception(r.error);
}

unsigned pipeline_helpers() { return helpers_setting().load(); }

void set_pipeline_helpers(unsigned count) {
    reserve_pool_threads(count);
    helpers_setting().store(count);
    backoff().reset();
}

}  // namespace tvx
