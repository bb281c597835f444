// Option chains priced from known SVI smiles, as the generic layout's CSV
// text: the round trips of the smile tests and the benchmarks' chains.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "core/numbers.h"
#include "smile/american_implied.h"
#include "smile/dates.h"
#include "smile/forwards.h"
#include "smile/svi.h"

namespace tvx::test {

struct KnownSlice {
    int days = 0;  // from the quote date
    SviParams svi;
};

struct SyntheticChain {
    double spot = 100, rate = 0, yield = 0;
    bool american = false;
    std::vector<KnownSlice> slices;
    std::vector<double> ks;  // log-moneyness of the strikes, each with a call and a put
    double half_spread = 0;  // bid and ask at the volatility less and plus this; 0: both the price
    Date quote_date = *make_date(2024, 1, 2);
};

inline double known_vol(const KnownSlice& s, double k) { return std::sqrt(svi_w(s.svi, k) / (s.days / 365.0)); }

inline double known_price(const SyntheticChain& c, const KnownSlice& s, double strike, bool call, double vol) {
    const double t = s.days / 365.0;
    if (c.american) return american_value({t, c.spot, c.rate, c.yield}, call, strike, vol);
    return european_value(rate_market(c.spot, c.rate, c.yield, t), strike, call, vol);
}

inline double known_forward(const SyntheticChain& c, const KnownSlice& s) {
    return rate_market(c.spot, c.rate, c.yield, s.days / 365.0).forward;
}

inline std::string chain_csv(const SyntheticChain& c) {
    std::string text = "quote_date,expiration,strike,option_type,bid,ask,underlying_price\n";
    for (const KnownSlice& s : c.slices) {
        const double forward = known_forward(c, s);
        for (const double k : c.ks) {
            const double strike = forward * std::exp(k);
            const double vol = known_vol(s, k);
            for (const bool call : {true, false}) {
                const double bid = known_price(c, s, strike, call, vol - c.half_spread);
                const double ask = c.half_spread > 0 ? known_price(c, s, strike, call, vol + c.half_spread) : bid;
                text += iso_date(c.quote_date) + "," + iso_date({c.quote_date.days + s.days}) + "," +
                        exact_text(strike) + "," + (call ? "C" : "P") + "," + exact_text(bid) + "," + exact_text(ask) +
                        "," + exact_text(c.spot) + "\n";
            }
        }
    }
    return text;
}

// Four expiries of an equity-like smile, each slice's total variance above
// the last at every k, all free of butterfly arbitrage.
inline std::vector<KnownSlice> equity_slices() {
    return {{30, {0.002, 0.06, -0.6, 0.02, 0.08}},
            {91, {0.006, 0.09, -0.55, 0.03, 0.12}},
            {182, {0.012, 0.11, -0.5, 0.04, 0.16}},
            {365, {0.025, 0.13, -0.45, 0.05, 0.22}}};
}

inline std::vector<double> spread_ks(double from, double to, int n) {
    std::vector<double> ks;
    for (int i = 0; i < n; ++i) ks.push_back(from + (to - from) * i / (n - 1));
    return ks;
}

}  // namespace tvx::test
