// Runs independent evaluations on both cores.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <future>

namespace tvx {

// Called on the calling thread every tenth of a second while the two halves
// run, so that the window stays responsive during a long batch.
using Pump = std::function<void()>;

// Calls work(i) for i = 0 .. n-1, split in two halves that run at once.
// Each call must touch only its own results; the outcome is then the same
// as a loop's. Without a pump the calling thread runs the second half
// itself; with one, both halves run on their own threads while the calling
// thread waits and pumps. An exception of either half is rethrown here,
// after both halves have ended.
template <class F>
void for_each_index_parallel(std::size_t n, const F& work, const Pump& pump = {}) {
    if (n < 2) {
        for (std::size_t i = 0; i < n; ++i) work(i);
        return;
    }
    const std::size_t half = n / 2;
    auto first = std::async(std::launch::async, [&] {
        for (std::size_t i = 0; i < half; ++i) work(i);
    });
    if (!pump) {
        try {
            for (std::size_t i = half; i < n; ++i) work(i);
        } catch (...) {
            first.wait();
            throw;
        }
        first.get();
        return;
    }
    auto second = std::async(std::launch::async, [&] {
        for (std::size_t i = half; i < n; ++i) work(i);
    });
    try {
        using namespace std::chrono_literals;
        while (first.wait_for(100ms) != std::future_status::ready || second.wait_for(0ms) != std::future_status::ready)
            pump();
    } catch (...) {
        first.wait();
        second.wait();
        throw;
    }
    first.get();
    second.get();
}

}  // namespace tvx
