#include "smile/implied.h"

#include <algorithm>

#include "core/fault.h"
#include "options/robust_implied.h"
#include "pricing/exact_closed_form.h"

namespace tvx {

namespace {

// Black's formula as the closed form with a yield: the spot F D and no
// yield carry the forward, the rate the discount.
OptionTerms terms_of(const ExpiryMarket& m, double strike, bool call) {
    OptionTerms o;
    o.t = m.time;
    o.r = -flog(m.discount) / m.time;
    o.strike = strike;
    o.spot = chk(m.forward * m.discount);
    o.yield = 0.0;
    o.optype = call ? 0 : 1;
    return o;
}

}  // namespace

const char* flag_word(QuoteFlag flag) {
    switch (flag) {
        case QuoteFlag::Ok: return "ok";
        case QuoteFlag::NoBid: return "no_bid";
        case QuoteFlag::NoAsk: return "no_ask";
        case QuoteFlag::Crossed: return "crossed";
        case QuoteFlag::BelowIntrinsic: return "below_intrinsic";
        case QuoteFlag::NoSolution: return "no_solution";
        case QuoteFlag::Expired: return "expired";
    }
    return "";
}

const char* flag_text(QuoteFlag flag) {
    switch (flag) {
        case QuoteFlag::Ok: return "";
        case QuoteFlag::NoBid: return "no bid";
        case QuoteFlag::NoAsk: return "no ask";
        case QuoteFlag::Crossed: return "bid above ask";
        case QuoteFlag::BelowIntrinsic: return "below intrinsic value";
        case QuoteFlag::NoSolution: return "no solution";
        case QuoteFlag::Expired: return "expired";
    }
    return "";
}

PriceVol european_vol(const ExpiryMarket& m, double strike, bool call, double price) {
    // The value runs from the discounted forward intrinsic (no volatility)
    // to the discounted forward or strike (unbounded volatility).
    const double intrinsic = std::max(0.0, m.discount * (call ? m.forward - strike : strike - m.forward));
    const double ceiling = m.discount * (call ? m.forward : strike);
    if (!(price > intrinsic)) return {std::nullopt, QuoteFlag::BelowIntrinsic};
    if (!(price < ceiling)) return {std::nullopt, QuoteFlag::NoSolution};
    const SearchResult r = robust_implied_euro(price, terms_of(m, strike, call), Precision::Exact);
    if (r.outcome != SearchOutcome::Success) return {std::nullopt, QuoteFlag::NoSolution};
    return {r.sigma, QuoteFlag::Ok};
}

double european_value(const ExpiryMarket& m, double strike, bool call, double vol) {
    const OptionTerms o = terms_of(m, strike, call);
    return solver_euro_exact(o.t, vol, o.r, o.strike, o.spot, o.yield, o.optype);
}

}  // namespace tvx
