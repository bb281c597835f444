#include "pricing/pipeline.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include <time.h>

namespace tvx {
namespace {

// The processor time the calling thread has had.
std::chrono::nanoseconds thread_time() {
#ifdef CLOCK_THREAD_CPUTIME_ID
    timespec t{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t) == 0)
        return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
#endif
    return std::chrono::nanoseconds(0);
}

// One call of run_pipeline: what has been claimed and finished.
struct Run {
    std::size_t count = 0;
    std::size_t ahead = 1;
    const PipelineStage* first = nullptr;
    const PipelineStage* second = nullptr;
    std::size_t next_first = 0;  // the next item to take
    bool first_busy = false;     // somebody is in the first stage
    std::vector<char> second_done;
    unsigned helpers_in = 0;  // helper threads inside this run (and so in its stages)
    std::exception_ptr error;
};

class Pool {
public:
    Pool() { start(default_helpers()); }
    ~Pool() { stop(); }
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;

    unsigned helpers() const { return static_cast<unsigned>(threads_.size()); }

    void resize(unsigned count) {
        stop();
        start(count);
        std::lock_guard lock(mutex_);
        skip_ = backoff_ = 0;
    }

    void run(Run& r) {
        using Clock = std::chrono::steady_clock;
        std::unique_lock lock(mutex_);
        // Helpers are called in unless a recent run found them too slow to
        // answer (below).
        const bool with_helpers = !threads_.empty() && skip_ == 0;
        if (skip_ > 0) --skip_;
        if (with_helpers) {
            current_ = &r;
            call();
        }
        const Clock::time_point start = Clock::now();
        const std::chrono::nanoseconds cpu_start = thread_time();
        Clock::duration waited{};
        work(r, lock, &waited);
        const auto finished = [&] { return r.helpers_in == 0; };
        while (!finished()) wait(lock, finished, &waited);
        current_ = nullptr;
        // When other programs keep the cores busy, the helpers only get in
        // the way: the system shares the cores among more threads, and a
        // helper kept off the processor holds up the caller, which must wait
        // for it at the end of a run, or for the first stage it is in. When
        // the caller has lost more than half of a run that way (waiting,
        // or kept off the processor itself), the next runs go without
        // helpers, more of them each time it happens again.
        if (with_helpers) {
            const auto wall = Clock::now() - start;
            const auto off_processor = wall - (thread_time() - cpu_start);
            if ((waited + off_processor) * 2 > wall) {
                backoff_ = std::min<unsigned>(backoff_ == 0 ? 2 : 2 * backoff_, 1024);
                skip_ = backoff_;
            } else {
                backoff_ = 0;
            }
        }
        lock.unlock();
        if (r.error) std::rethrow_exception(r.error);
    }

private:
    static unsigned default_helpers() {
        const unsigned cores = std::thread::hardware_concurrency();
        return cores > 1 ? std::min(cores - 1, 3u) : 0u;
    }

    void start(unsigned count) {
        stopping_ = false;
        for (unsigned k = 0; k < count; ++k) threads_.emplace_back([this] { helper(); });
    }

    void stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            call();
        }
        for (std::thread& t : threads_) t.join();
        threads_.clear();
    }

    void helper() {
        std::unique_lock lock(mutex_);
        unsigned long long seen = generation_.load(std::memory_order_relaxed);
        const auto called = [&] {
            return stopping_ || (current_ != nullptr && generation_.load(std::memory_order_relaxed) != seen);
        };
        for (;;) {
            while (!called()) wait_on(lock, generation_, call_, called, nullptr);
            if (stopping_) return;
            seen = generation_.load(std::memory_order_relaxed);
            Run& r = *current_;
            ++r.helpers_in;
            work(r, lock);
            --r.helpers_in;
            changed();
        }
    }

    // Takes items until none is left to take (or a stage has failed): the
    // next item's first stage as soon as nobody else is in it, then that
    // item's second stage right away, on the same thread, while another
    // thread takes the next item's first stage. Called and returns with the
    // lock held.
    void work(Run& r, std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::duration* waited = nullptr) {
        const auto can_take = [&] {
            const std::size_t i = r.next_first;
            return r.error || i >= r.count || (!r.first_busy && (i < r.ahead || r.second_done[i - r.ahead]));
        };
        for (;;) {
            while (!can_take()) wait(lock, can_take, waited);
            if (r.error || r.next_first >= r.count) return;
            const std::size_t i = r.next_first++;
            r.first_busy = true;
            stage(r, *r.first, i, lock);
            r.first_busy = false;
            changed();
            if (r.error) return;
            stage(r, *r.second, i, lock);
            r.second_done[i] = 1;
            changed();
        }
    }

    void stage(Run& r, const PipelineStage& f, std::size_t i, std::unique_lock<std::mutex>& lock) {
        lock.unlock();
        std::exception_ptr error;
        try {
            f(i);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        if (error && !r.error) r.error = error;
    }

    // A new run for the helpers, or the end: bumps the generation and wakes
    // the idle helpers.
    void call() {
        generation_.fetch_add(1, std::memory_order_release);
        call_.notify_all();
    }

    // Every change of state within a run bumps the version and wakes the
    // threads waiting in it.
    void changed() {
        version_.fetch_add(1, std::memory_order_release);
        wake_.notify_all();
    }

    // Waits, with the lock held on entry and return, until `counter` has
    // changed (with a notification of `cv`) or `ready` holds. The stages of
    // one item take microseconds, and waking a sleeping thread can take as
    // long: a waiter first spins for a while with the lock released, and
    // only then sleeps. The time waited is added to *waited when that is
    // given.
    template <class Ready>
    void wait_on(std::unique_lock<std::mutex>& lock, const std::atomic<unsigned long long>& counter,
                 std::condition_variable& cv, Ready ready, std::chrono::steady_clock::duration* waited) {
        if (ready()) return;
        const auto began = std::chrono::steady_clock::now();
        const unsigned long long seen = counter.load(std::memory_order_acquire);
        lock.unlock();
        const auto until = began + std::chrono::microseconds(50);
        for (unsigned spins = 1; counter.load(std::memory_order_acquire) == seen; ++spins) {
            pause();
            // Now and then the processor goes to any other thread that
            // waits for it: this one may be spinning on the core that the
            // thread it waits for needs.
            if (spins % 16 == 0) {
                std::this_thread::yield();
                if (std::chrono::steady_clock::now() > until) break;
            }
        }
        lock.lock();
        cv.wait(lock, [&] { return counter.load(std::memory_order_acquire) != seen || ready(); });
        if (waited) *waited += std::chrono::steady_clock::now() - began;
    }

    // Within a run: until its state changes.
    template <class Ready>
    void wait(std::unique_lock<std::mutex>& lock, Ready ready, std::chrono::steady_clock::duration* waited = nullptr) {
        wait_on(lock, version_, wake_, ready, waited);
    }

    static void pause() {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#else
        std::this_thread::yield();
#endif
    }

    std::atomic<unsigned long long> version_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<unsigned long long> generation_{0};
    std::condition_variable call_;
    Run* current_ = nullptr;
    bool stopping_ = false;
    unsigned skip_ = 0;     // runs still to go without helpers
    unsigned backoff_ = 0;  // how many the last back-off skipped
    std::vector<std::thread> threads_;
};

Pool& pool() {
    static Pool p;
    return p;
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
    pool().run(r);
}

unsigned pipeline_helpers() { return pool().helpers(); }

void set_pipeline_helpers(unsigned count) { pool().resize(count); }

}  // namespace tvx
