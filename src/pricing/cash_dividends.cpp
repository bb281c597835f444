#include "pricing/cash_dividends.h"

#include <algorithm>

#include "core/fault.h"

namespace tvx {

const char* dividend_model_word(DividendModel model) { return model == DividendModel::Spot ? "spot" : "escrowed"; }

std::vector<CashDividend> dividends_within(std::span<const CashDividend> dividends, double life) {
    std::vector<CashDividend> within;
    for (const CashDividend& d : dividends)
        if (d.time > 0.0 && d.time <= life) within.push_back(d);
    std::stable_sort(within.begin(), within.end(),
                     [](const CashDividend& a, const CashDividend& b) { return a.time < b.time; });
    std::vector<CashDividend> merged;
    for (const CashDividend& d : within) {
        if (!merged.empty() && merged.back().time == d.time) {
            merged.back().amount = chk(merged.back().amount + d.amount);
        } else {
            merged.push_back(d);
        }
    }
    return merged;
}

double dividends_present_value(std::span<const CashDividend> dividends, double r, double from) {
    double pv = 0.0;
    for (const CashDividend& d : dividends)
        if (d.time > from) pv = chk(pv + chk(d.amount * fexp(chk(-r * chk(d.time - from)))));
    return pv;
}

std::vector<CashDividend> held_within(std::span<const CashDividend> dividends, double life) {
    std::vector<CashDividend> held(dividends.begin(), dividends.end());
    for (CashDividend& d : held) d.time = std::min(d.time, life);
    return dividends_within(held, life);
}

}  // namespace tvx
