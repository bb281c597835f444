// The batch runner on any input, CSV and JSON out. The first byte sets the
// format (bit 0) and the chunk size (bits 1 to 3: 1 to 8 rows, so that
// chunks end within small inputs); the rest is the CSV. Every row is
// answered in order; CSV output repeats each row's cells byte for byte, and
// every JSON line is well-formed.
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/cli_ui.h"
#include "core/csv_reader.h"
#include "support.h"

namespace {

using tvx::fuzz::broken;

std::vector<tvx::CsvRecord> records(const std::string& text) {
    std::istringstream in(text);
    tvx::CsvReader reader(in);
    std::vector<tvx::CsvRecord> all;
    for (tvx::CsvRecord r; reader.next(r);) all.push_back(r);
    return all;
}

void check_csv(const std::string& input, const std::string& output) {
    const auto in = records(input);
    const auto out = records(output);
    if (out.size() != in.size()) broken("a CSV row missing or added");
    const std::size_t width = in.at(0).cells.size();
    for (std::size_t k = 1; k < in.size(); ++k) {
        std::vector<std::string> cells = in[k].cells;
        cells.resize(width);  // the header's cells, the missing ones empty
        if (out[k].cells.size() < width || !std::equal(cells.begin(), cells.end(), out[k].cells.begin()))
            broken("a CSV row's cells changed");
    }
}

void check_json(const std::string& input, const std::string& output) {
    std::istringstream lines(output);
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        const auto j = nlohmann::json::parse(line, nullptr, false);
        if (!j.is_object() || j["row"] != count + 1) broken("a JSON line is malformed or out of order");
    }
    if (count + 1 != records(input).size()) broken("a JSON row missing or added");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tvx::fuzz::enter_scratch_folder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    tvx::cli::BatchSettings settings;
    settings.json = (data[0] & 1) != 0;
    settings.chunk = 1 + ((data[0] >> 1) & 7);
    settings.jobs = 1;
    settings.run = tvx::fuzz::run_cheap;
    const std::string input(tvx::fuzz::text_of(data + 1, size - 1));
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = tvx::cli::run_batch(in, out, err, settings);
    if (status == tvx::cli::kExitUsage) {
        if (!out.str().empty() || err.str().empty()) broken("an unusable header ran rows");
        return 0;
    }
    if (status != 0 && status != 1) broken("a batch status other than 0, 1 or 64");
    settings.json ? check_json(input, out.str()) : check_csv(input, out.str());
    return 0;
}
