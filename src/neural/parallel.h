// Runs independent evaluations on both cores.
#pragma once

#include <cstddef>
#include <future>

namespace tvx {

// Calls work(i) for i = 0 .. n-1: the first half on a second thread, the
// rest on this one. Each call must touch only its own results; the outcome
// is then the same as a loop's. An exception of either half is rethrown
// here, after both halves have ended.
template <class F>
void for_each_index_parallel(std::size_t n, const F& work) {
    if (n < 2) {
        for (std::size_t i = 0; i < n; ++i) work(i);
        return;
    }
    const std::size_t half = n / 2;
    auto first = std::async(std::launch::async, [&] {
        for (std::size_t i = 0; i < half; ++i) work(i);
    });
    try {
        for (std::size_t i = half; i < n; ++i) work(i);
    } catch (...) {
        first.wait();
        throw;
    }
    first.get();
}

}  // namespace tvx
