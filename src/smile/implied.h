// The implied volatilities of a chain's quotes: what a quote's flag says,
// and the European inversion by the exact closed form on the expiry's
// forward and discount. A price that no volatility reaches is classified,
// never floored or dropped.
#pragma once

#include <optional>

namespace tvx {

enum class QuoteFlag {
    Ok,
    NoBid,           // no bid (none, or 0): one-sided, kept but not fitted
    NoAsk,           // no ask
    Crossed,         // the bid above the ask
    BelowIntrinsic,  // the mid at or below the least value any volatility gives
    NoSolution,      // the mid above the most any volatility gives, or not reached
    Expired,         // expiring on or before the valuation date
};

// "ok", "no_bid", "no_ask", "crossed", "below_intrinsic", "no_solution",
// "expired": the flag's word in the command line's JSON.
const char* flag_word(QuoteFlag flag);
// The same for a reader: "no bid", "below intrinsic value", ...
const char* flag_text(QuoteFlag flag);

// One price's volatility, or why there is none.
struct PriceVol {
    std::optional<double> vol;
    QuoteFlag why = QuoteFlag::Ok;  // BelowIntrinsic or NoSolution when there is no volatility
};

// The expiry's market as the European quotes see it: life in years, the
// forward and the discount factor to expiry.
struct ExpiryMarket {
    double time = 0;
    double forward = 0;
    double discount = 1;
};

// The European option's volatility from its price by the exact closed form
// (Black's formula on the forward, discounted).
PriceVol european_vol(const ExpiryMarket& market, double strike, bool call, double price);

// The European value at a volatility, by the same closed form.
double european_value(const ExpiryMarket& market, double strike, bool call, double vol);

}  // namespace tvx
