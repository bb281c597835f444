// An option chain as read from a file: one day's quotes of calls and puts
// on one underlying, at many strikes and expiries, in one of the layouts
// the reader recognises by the file's header.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "smile/dates.h"

namespace tvx {

enum class ChainLayout {
    Generic,   // expiration, strike, option_type, bid, ask (quote_date, underlying_price, style)
    Exchange,  // an exchange's end-of-day file: bid_1545/ask_1545 or bid_eod/ask_eod
    Academic,  // exdate, cp_flag, strike_price in thousandths, best_bid, best_offer
    Web,       // contractSymbol (expiry and type within it), strike, bid, ask
};

// "generic", "exchange end-of-day", "academic", "web".
const char* layout_name(ChainLayout layout);

enum class Exercise { European, American };

struct ChainQuote {
    Date expiry;
    double strike = 0;
    bool call = true;
    std::optional<double> bid, ask;  // none where the file has no price
    std::optional<Exercise> style;   // the row's own choice; none: the file's
    std::size_t line = 0;            // where it stands in the file, from 1
};

struct Chain {
    ChainLayout layout = ChainLayout::Generic;
    std::optional<Date> quote_date;    // the file's, when it gives one
    std::optional<double> underlying;  // the underlying's price, when the file gives it
    std::vector<ChainQuote> quotes;    // in the file's order
};

// Why a file was refused: where (line and column from 1; column 0 for the
// line as a whole, line 0 for the file) and what.
struct ChainError {
    std::size_t line = 0;
    std::size_t column = 0;
    std::string column_name;
    std::string what;
};

// "line 7, column 4 (bid): "1..5" is not a number".
std::string chain_error_text(const ChainError& error);

// A chain read whole, or the first fault found and no chain at all.
struct ChainRead {
    std::optional<Chain> chain;
    ChainError error;
};

ChainRead read_chain(std::istream& in);
ChainRead read_chain_file(const std::string& path);

}  // namespace tvx
