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
// left out (or null). An option leg may give its life as "expiry", a date
// YYYY-MM-DD (or YYYY-MM-DDTHH:MM) counted Actual/365 Fixed from now, in
// place of "time". "dividends" holds the share's cash dividends as the
// command line writes them ("0.5:7,2027-03-15:0.5", dates counted the same
// way) and "dividend_model" their model ("spot", the default, or
// "escrowed"). A share leg has only `position`, `quantity`,
// `instrument` and, as its purchase price, `premium`. Every value must
// pass the strategy window's checks.
//
// Reading is a plain function over the text: no file is touched, so that
// any text at all can be fed to it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/dates.h"
#include "strategy/position.h"

namespace tvx {

struct StrategyFile {
    std::optional<Strategy> strategy;
    // Why there is none: what is wrong and where (the leg, the key and
    // the line).
    std::string error;
};

StrategyFile read_strategy_file(std::string_view text, const Moment& now = local_now());

// The file's text for a strategy (numbers at full precision: each reads
// back to the same double; lives and ex-dividend times in years).
std::string strategy_file_text(const Strategy& s);

}  // namespace tvx
