// A position of several legs on one asset, as numbers: the market terms,
// the legs (long or short, a quantity of calls, puts or shares) and the
// horizon at which its profit and loss is weighed. This is what the
// strategy window reads from its fields, what a strategy file holds and
// what the analysis takes.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "pricing/cash_dividends.h"

namespace tvx {

inline constexpr int kMaxLegs = 8;
// A quantity is a count: a whole number of at most a 16-bit integer's.
inline constexpr int kMaxQuantity = 32767;

enum class Side { Long, Short };
enum class Instrument { Call, Put, Share };
enum class LegStyle { European, American };

struct Leg {
    Side side = Side::Long;
    int quantity = 1;
    Instrument instrument = Instrument::Call;
    // The option's terms; a share leg has none of them.
    LegStyle style = LegStyle::European;
    double strike = 0;
    double time = 0;  // years to expiry
    double volatility = 0;
    // What one unit cost (or brought in, when short); a share's purchase
    // price. None: its model value today (a share: the spot), so that the
    // leg starts at no profit and no loss.
    std::optional<double> premium;

    bool option() const { return instrument != Instrument::Share; }
    // +quantity long, -quantity short.
    double signed_quantity() const { return side == Side::Long ? quantity : -quantity; }
};

struct Market {
    double spot = 0;
    double rate = 0;      // per cent, as typed
    double dividend = 0;  // continuous yield, per cent, as typed
};

struct Strategy {
    Market market;
    // Years from today; none: the first expiry of an option leg.
    std::optional<double> horizon;
    // The volatility of the spot's distribution at the horizon; none: the
    // mean of the option legs' volatilities.
    std::optional<double> volatility;
    std::vector<Leg> legs;
    // The share's cash dividends (years from today), and their model.
    std::vector<CashDividend> dividends{};
    DividendModel dividend_model = DividendModel::Spot;
};

// The words of a strategy file and of the command line.
std::string_view side_word(Side side);                    // "long", "short"
std::string_view instrument_word(Instrument instrument);  // "call", "put", "share"
std::string_view style_word(LegStyle style);              // "european", "american"
std::optional<Side> side_of(std::string_view word);
std::optional<Instrument> instrument_of(std::string_view word);
std::optional<LegStyle> style_of(std::string_view word);

// The earliest expiry of an option leg; none when there is no option leg.
std::optional<double> first_expiry(const std::vector<Leg>& legs);

}  // namespace tvx
