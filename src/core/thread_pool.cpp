#include "core/thread_pool.h"

#include <algorithm>
#include <deque>
#include <vector>

#include <sched.h>

namespace tvx {

// The threads and the teams with calls still to come, first come first
// served.
class ThreadPool {
public:
    explicit ThreadPool(unsigned count) { start(count); }
    ~ThreadPool() { stop(); }
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    static ThreadPool& the() {
        static ThreadPool pool(processors());
        return pool;
    }

    unsigned size() {
        const std::lock_guard lock(mutex_);
        return static_cast<unsigned>(threads_.size());
    }

    void resize(unsigned count) {
        const std::lock_guard resizing(resize_mutex_);
        stop();
        start(count);
    }

    void reserve(unsigned count) {
        const std::lock_guard resizing(resize_mutex_);
        const std::lock_guard lock(mutex_);
        while (threads_.size() < count) add_thread();
    }

    void post(Team::State& t) {
        unsigned wake = 0;
        {
            const std::lock_guard lock(mutex_);
            if (t.to_come == 0) return;
            open_.push_back(&t);
            posted_.fetch_add(1, std::memory_order_release);
            // The threads spinning see the open teams themselves; sleeping
            // ones are woken for the calls still to come beyond those.
            unsigned to_come = 0;
            for (const Team::State* o : open_) to_come += o->to_come;
            wake = to_come > spinning_ ? std::min(to_come - spinning_, idle_ - spinning_) : 0;
        }
        for (unsigned k = 0; k < wake; ++k) posted_cv_.notify_one();
    }

    void close(Team::State& t) {
        const std::lock_guard lock(mutex_);
        if (t.to_come == 0) return;
        t.to_come = 0;
        open_.erase(std::find(open_.begin(), open_.end(), &t));
    }

    void wait_ended(Team::State& t) {
        std::unique_lock lock(mutex_);
        spin_wait(lock, ended_cv_, ended_, [&] { return t.running == 0; });
    }

    bool settle(Team::State& t, std::chrono::steady_clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        const auto settled = [&] { return t.running == 0 && t.to_come == 0; };
        ended_cv_.wait_until(lock, deadline, [&] { return settled() || stalled_locked(t); });
        return settled();
    }

    bool stalled(const Team::State& t) {
        const std::lock_guard lock(mutex_);
        return stalled_locked(t);
    }

private:
    bool stalled_locked(const Team::State& t) const { return t.to_come > 0 && t.running == 0 && idle_ == 0; }

    void start(unsigned count) {
        const std::lock_guard lock(mutex_);
        stopping_ = false;
        for (unsigned k = 0; k < count; ++k) add_thread();
    }

    // A thread counts as idle from the start, so that a team posted before
    // it first runs waits for it.
    void add_thread() {
        ++idle_;
        threads_.emplace_back([this] { serve(); });
    }

    void stop() {
        std::vector<std::thread> threads;
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
            posted_.fetch_add(1, std::memory_order_release);
            threads.swap(threads_);
        }
        posted_cv_.notify_all();
        for (std::thread& t : threads) t.join();
    }

    // A pool thread: makes the calls of the first team with any to come.
    void serve() {
        std::unique_lock lock(mutex_);
        const auto called = [&] { return stopping_ || !open_.empty(); };
        for (;;) {
            // After a call the next team often follows at once (the next
            // batch of a simulation): the thread spins for it a while, then
            // sleeps until woken. A thread that another beat to the team
            // sleeps at once.
            if (!called()) {
                ++spinning_;
                const unsigned long long seen = posted_.load(std::memory_order_acquire);
                lock.unlock();
                spin_while_unchanged(posted_, seen);
                lock.lock();
                --spinning_;
                posted_cv_.wait(lock, called);
            }
            --idle_;
            if (stopping_) return;
            Team::State& t = *open_.front();
            if (--t.to_come == 0) open_.pop_front();
            ++t.running;
            lock.unlock();
            std::exception_ptr error;
            try {
                t.body();
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            if (error && !t.error) t.error = error;
            --t.running;
            ++idle_;
            ended_.fetch_add(1, std::memory_order_release);
            ended_cv_.notify_all();
        }
    }

    std::mutex resize_mutex_;  // one resize at a time
    std::mutex mutex_;
    std::vector<std::thread> threads_;
    std::deque<Team::State*> open_;
    unsigned idle_ = 0;      // threads not in a call
    unsigned spinning_ = 0;  // idle threads spinning for the next team
    bool stopping_ = false;
    std::atomic<unsigned long long> posted_{0};  // bumped by each team posted, and to stop
    std::condition_variable posted_cv_;
    std::atomic<unsigned long long> ended_{0};  // bumped by each call that ends
    std::condition_variable ended_cv_;
};

unsigned processors() {
#ifdef CPU_COUNT
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
#endif
    return std::max(1u, std::thread::hardware_concurrency());
}

unsigned pool_threads() { return ThreadPool::the().size(); }

void set_pool_threads(unsigned count) { ThreadPool::the().resize(count); }

void reserve_pool_threads(unsigned count) { ThreadPool::the().reserve(count); }

Team::Team(unsigned helpers, std::function<void()> body) {
    state_.body = std::move(body);
    state_.to_come = helpers;
    ThreadPool::the().post(state_);
}

Team::~Team() {
    if (joined_) return;
    close();
    ThreadPool::the().wait_ended(state_);
}

void Team::close() { ThreadPool::the().close(state_); }

void Team::join() {
    joined_ = true;
    close();
    ThreadPool::the().wait_ended(state_);
    if (state_.error) std::rethrow_exception(state_.error);
}

bool Team::settle(std::chrono::steady_clock::time_point deadline) { return ThreadPool::the().settle(state_, deadline); }

bool Team::stalled() const { return ThreadPool::the().stalled(state_); }

}  // namespace tvx
