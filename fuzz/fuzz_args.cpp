// The command line's words, split at the zero bytes of the input: read as
// the program reads them, and the single commands that are cheap run, so
// that what they print is checked too (a JSON object is well-formed).
// A batch is read but not run: it would read files or write them.
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/cli_ui.h"
#include "support.h"

namespace {

constexpr std::size_t kMostWords = 24;

std::vector<std::string> words_of(std::string_view text) {
    std::vector<std::string> words;
    std::size_t from = 0;
    while (from <= text.size() && words.size() < kMostWords) {
        const std::size_t end = std::min(text.find('\0', from), text.size());
        words.emplace_back(text.substr(from, end - from));
        from = end + 1;
    }
    return words;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tvx::fuzz::enter_scratch_folder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tvx::cli::CommandLine line;
    std::istringstream in;
    std::ostringstream out, err;
    const std::optional<int> status = line.parse(words_of(tvx::fuzz::text_of(data, size)), out, err);
    if (status) {
        if (*status != tvx::cli::kExitOk && *status != tvx::cli::kExitUsage) tvx::fuzz::broken("a parse status");
        return 0;
    }
    const tvx::cli::Request* request = line.request();
    if (!request || !tvx::fuzz::cheap(*request)) return 0;
    const int ran = line.run(in, out, err);
    if (ran < 0 || ran > 2) {
        if (ran != tvx::cli::kExitUsage) tvx::fuzz::broken("a command's status");
    }
    const std::string text = out.str();
    if (!text.empty() && text[0] == '{' && nlohmann::json::parse(text, nullptr, false).is_discarded())
        tvx::fuzz::broken("malformed JSON");
    return 0;
}
