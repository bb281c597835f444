// Runs independent evaluations on the program's pool threads
// (core/thread_pool.h).
#pragma once

#include <cstddef>
#include <functional>

namespace tvx {

// Called on the calling thread every tenth of a second while the pool
// works, so that the window stays responsive during a long batch.
using Pump = std::function<void()>;

// Calls work(i) for i = 0 .. n-1, each once, several at once on the pool's
// threads, which take the indices in turn. Each call must touch only its
// own results; the outcome is then the same as a loop's, however many
// threads there are. Without a pump the calling thread takes indices too;
// with one, it waits and pumps, and takes indices only while no pool
// thread is free to. After a failure no further index is taken, and the
// first exception is rethrown here once every call running has ended.
void for_each_index_parallel(std::size_t n, const std::function<void(std::size_t)>& work, const Pump& pump = {});

}  // namespace tvx
