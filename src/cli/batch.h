// The batch command: one command a CSV row, every row independent, the
// results written in input order as they are ready. The input is read in
// chunks of rows, so memory stays flat however long it is.
#pragma once

#include <istream>
#include <ostream>

namespace tvx::cli {

struct BatchSettings {
    bool json = false;         // one JSON object a line instead of CSV
    unsigned jobs = 0;         // threads; 0 for one a processor
    std::size_t chunk = 1024;  // rows read ahead at a time
};

// The batch's exit status: 0 when every row succeeded, 1 otherwise, 64 when
// the header is unusable (no rows are run then).
int run_batch(std::istream& in, std::ostream& out, std::ostream& err, const BatchSettings& settings);

}  // namespace tvx::cli
