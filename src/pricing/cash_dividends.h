// Cash dividends: a schedule of ex-dividend times and amounts, beside the
// continuous yield (both may apply), and the two ways of modelling them.
//
// Spot model: the share drops by the amount on its ex-date, and between
// ex-dates follows the lognormal law of the continuous yield. A share worth
// less than the dividend then drops to 0 and stays there (it is
// liquidated). Escrowed model: the share less the present value of the
// dividends still to come follows the lognormal law, so that a European
// option is the closed form on that reduced spot.
#pragma once

#include <span>
#include <vector>

namespace tvx {

struct CashDividend {
    double time = 0;    // the ex-dividend time, years from the valuation
    double amount = 0;  // dollars a share
};

enum class DividendModel { Spot, Escrowed };

// "spot", "escrowed": the command line's words.
const char* dividend_model_word(DividendModel model);

// The dividends an option with this life sees, in time order: those with
// 0 < time <= life (one on the valuation date has gone: the spot is quoted
// without it; one on the expiry still drops the share the option is
// exercised against), several at one time merged into one.
std::vector<CashDividend> dividends_within(std::span<const CashDividend> dividends, double life);

// Their present value at rate r (continuously compounded), from time
// `from` (0: today): each after `from` discounted over the time between.
double dividends_present_value(std::span<const CashDividend> dividends, double r, double from = 0.0);

// The schedule as valued at a life other than the one it was trimmed for
// (a sensitivity's bumped life): every time held within the new life, so
// that a dividend on the expiry stays on it.
std::vector<CashDividend> held_within(std::span<const CashDividend> dividends, double life);

}  // namespace tvx
