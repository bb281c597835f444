// The CSV reader on any bytes: it ends, and every sound record it reads
// comes back the same when written with append_csv_field and read again.
#include <sstream>
#include <string>

#include "core/csv_reader.h"
#include "support.h"

namespace {

using tvx::CsvReader;
using tvx::CsvRecord;

void check_round_trip(const CsvRecord& record) {
    // A lone empty cell is written as an empty line, which the reader
    // skips; any other record reads back as it was. A first line comes
    // before it, so that a cell starting with a byte-order mark is not
    // taken for one.
    if (record.cells.size() == 1 && record.cells[0].empty()) return;
    std::string text = "first\n";
    for (std::size_t c = 0; c < record.cells.size(); ++c) {
        if (c) text += ',';
        tvx::append_csv_field(text, record.cells[c]);
    }
    text += "\r\n";
    std::istringstream in(text);
    CsvReader reader(in);
    CsvRecord first, again;
    if (!reader.next(first) || !reader.next(again)) tvx::fuzz::broken("a written record is not read back");
    if (!again.error.empty() || again.cells != record.cells) tvx::fuzz::broken("a record reads back changed");
    if (reader.next(again)) tvx::fuzz::broken("a written record reads back as two");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in{std::string(tvx::fuzz::text_of(data, size))};
    CsvReader reader(in);
    CsvRecord record;
    std::size_t last_line = 0;
    while (reader.next(record)) {
        if (record.line <= last_line && last_line) tvx::fuzz::broken("records out of line order");
        last_line = record.line;
        if (record.error.empty()) check_round_trip(record);
    }
    return 0;
}
