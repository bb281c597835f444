// The strategy file: a small JSON document with the market terms, the
// optional horizon and spot volatility, and the legs.
//
//   {"spot": 100, "rate": 4.5, "dividend": 0, "horizon": 0.25,
//    "legs": [{"position": "short", "quantity": 1, "instrument": "put",
//              "style": "european", "strike": 90, "time": 0.25,
//              "volatility": 0.2, "premium": 1.05}, ...]}
//
// `rate` and `dividend` are in per cent, as in the windows; `horizon`,
// `volatility` (of the spot at the horizon) and a leg's `premium` may be
// left out (or null). A share leg has only `position`, `quantity`,
// `instrument` and, as its purchase price, `premium`. Every value must
// pass the strategy window's checks.
//
// Reading is a plain function over the text: no file is touched, so that
// any text at all can be fed to it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "strategy/position.h"

namespace tvx {

struct StrategyFile {
    std::optional<Strategy> strategy;
    // Why there is none: what is wrong and where (the leg, the key and
    // the line).
    std::string error;
};

StrategyFile read_strategy_file(std::string_view text);

// The file's text for a strategy (numbers at full precision: each reads
// back to the same double).
std::string strategy_file_text(const Strategy& s);

}  // namespace tvx
