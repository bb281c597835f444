// The batch command: one command a CSV row, every row independent, the
// results written in input order as they are ready. The input is read in
// chunks of rows, so memory stays flat however long it is.
#pragma once

#include <functional>
#include <istream>
#include <ostream>

#include "cli/commands.h"

namespace tvx::cli {

// The most threads a batch may be given (--jobs).
inline constexpr unsigned kMaxJobs = 1024;

struct BatchSettings {
    bool json = false;         // one JSON object a line instead of CSV
    unsigned jobs = 0;         // threads; 0 for one a processor
    std::size_t chunk = 1024;  // rows read ahead at a time
    // How a row's request runs (the fuzzing harness leaves out the slow
    // commands).
    std::function<Outcome(const Request&)> run = run_request;
};

// The batch's exit status: 0 when every row succeeded, 1 otherwise, 64 when
// the header is unusable (no rows are run then).
int run_batch(std::istream& in, std::ostream& out, std::ostream& err, const BatchSettings& settings);

}  // namespace tvx::cli
