// Sets the thread pool's size for one test and puts the old size back.
#pragma once

#include "core/thread_pool.h"

namespace tvx::test {

class WithPoolThreads {
public:
    explicit WithPoolThreads(unsigned n) : old_(pool_threads()) { set_pool_threads(n); }
    ~WithPoolThreads() { set_pool_threads(old_); }
    WithPoolThreads(const WithPoolThreads&) = delete;
    WithPoolThreads& operator=(const WithPoolThreads&) = delete;

private:
    unsigned old_;
};

}  // namespace tvx::test
