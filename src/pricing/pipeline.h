// A two-stage pipeline over the cores, for work whose first stage must run
// in order and one item at a time (drawing from the one random generator)
// and whose second stage may run on any core (everything computed from
// those draws). The calling thread takes part, so that the work goes on at
// full speed on one core when the helpers are busy elsewhere or there are
// none; the helpers are the program's pool threads (core/thread_pool.h).
#pragma once

#include <cstddef>
#include <functional>

namespace tvx {

using PipelineStage = std::function<void(std::size_t)>;

// Runs first(i) for i = 0 .. count-1 in that order, never two at once, and
// second(i) for each i after first(i) has returned, on whichever thread is
// free, several at once. first(i) waits until second(i - ahead) has
// returned, so that at most `ahead` items (ahead >= 1) are between the
// stages and their buffers can be reused in turn. Returns when every
// second(i) has returned. If a stage throws, no further item is started
// and the first exception is rethrown here once every running stage has
// returned.
void run_pipeline(std::size_t count, std::size_t ahead, const PipelineStage& first, const PipelineStage& second);

// The helper threads beside the caller: by default one fewer than the
// processors, at most three. Tests and benchmarks set 0 (the caller alone)
// or any other count (the pool grows to it), which stays in force until set
// again.
unsigned pipeline_helpers();
void set_pipeline_helpers(unsigned count);

}  // namespace tvx
