// The strategy file's reader on any text: a strategy, or the reason there
// is none; a strategy read, written and read again gives the same text.
// Built once the strategy layer is in the program (fuzz/CMakeLists.txt).
#include <string>

#include "strategy/strategy_file.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const tvx::StrategyFile file = tvx::read_strategy_file(tvx::fuzz::text_of(data, size));
    if (!file.strategy) {
        if (file.error.empty()) tvx::fuzz::broken("no strategy and no reason");
        return 0;
    }
    const std::string text = tvx::strategy_file_text(*file.strategy);
    const tvx::StrategyFile again = tvx::read_strategy_file(text);
    if (!again.strategy || tvx::strategy_file_text(*again.strategy) != text)
        tvx::fuzz::broken("a strategy file reads back changed");
    return 0;
}
