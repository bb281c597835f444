// Sets a thread count (the pool's threads, the pipeline's helpers) for one
// test and puts the old count back.
#pragma once

#include "core/thread_pool.h"

namespace tvx::test {

template <unsigned (*get)(), void (*set)(unsigned)>
class WithCount {
public:
    explicit WithCount(unsigned n) : old_(get()) { set(n); }
    ~WithCount() { set(old_); }
    WithCount(const WithCount&) = delete;
    WithCount& operator=(const WithCount&) = delete;

private:
    unsigned old_;
};

using WithPoolThreads = WithCount<pool_threads, set_pool_threads>;

}  // namespace tvx::test
