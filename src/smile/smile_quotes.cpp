// Each expiry's market and its quotes' implied volatilities.
#include <algorithm>
#include <cmath>
#include <map>

#include "core/fault.h"
#include "smile/american_implied.h"
#include "smile/forwards.h"
#include "smile/smile.h"

namespace tvx {

namespace {

bool two_sided(const ChainQuote& q) { return q.bid && *q.bid > 0.0 && q.ask && *q.ask > 0.0 && *q.bid <= *q.ask; }

QuoteFlag market_flag(const ChainQuote& q) {
    if (!q.bid || *q.bid <= 0.0) return QuoteFlag::NoBid;
    if (!q.ask || *q.ask <= 0.0) return QuoteFlag::NoAsk;
    if (*q.bid > *q.ask) return QuoteFlag::Crossed;
    return QuoteFlag::Ok;
}

double mid(const ChainQuote& q) { return 0.5 * (*q.bid + *q.ask); }

std::optional<double> positive(const std::optional<double>& x) { return x && *x > 0.0 ? x : std::nullopt; }

// The expiry's forward and discount: from parity when every quote is
// European and enough pairs are quoted, else from the typed terms.
ExpiryMarket market_of(SliceReport& s, const SmileSettings& settings, const std::optional<double>& spot) {
    const double t = s.market.time;
    const bool any_american =
        std::any_of(s.quotes.begin(), s.quotes.end(), [](const QuoteResult& q) { return q.american; });
    if (!any_american) {
        std::map<double, ParityPair> by_strike;
        std::map<double, int> sides;
        for (const QuoteResult& q : s.quotes) {
            if (!two_sided(q.quote)) continue;
            ParityPair& p = by_strike[q.quote.strike];
            p.strike = q.quote.strike;
            (q.quote.call ? p.call : p.put) = mid(q.quote);
            sides[q.quote.strike] |= q.quote.call ? 1 : 2;
        }
        std::vector<ParityPair> pairs;
        for (const auto& [strike, p] : by_strike)
            if (sides[strike] == 3) pairs.push_back(p);
        if (const std::optional<ExpiryMarket> m = parity_market(pairs, t)) {
            s.from_parity = true;
            return *m;
        }
        s.typed_forward = true;
    }
    if (!spot) throw SmileRefused(smile_text::no_spot);
    return rate_market(*spot, settings.rate, settings.yield, t);
}

// The European quotes' volatilities by the closed form on the forward.
void european_vols(SliceReport& s, bool bid_ask) {
    for (QuoteResult& q : s.quotes) {
        if (q.american) continue;
        const auto vol = [&](double price) { return european_vol(s.market, q.quote.strike, q.quote.call, price); };
        if (bid_ask && positive(q.quote.bid)) q.iv_bid = vol(*q.quote.bid).vol;
        if (bid_ask && positive(q.quote.ask)) q.iv_ask = vol(*q.quote.ask).vol;
        if (q.flag != QuoteFlag::Ok) continue;
        const PriceVol m = vol(mid(q.quote));
        q.iv_mid = m.vol;
        if (!m.vol) q.flag = m.why;
    }
}

// The American quotes' volatilities, calls and puts each in one call.
void american_vols_of(SliceReport& s, const SmileSettings& settings, double spot) {
    const AmericanMarket m{s.market.time, spot, settings.rate, settings.yield};
    for (const bool call : {true, false}) {
        std::vector<AmericanPrice> prices;
        std::vector<std::optional<double>*> into;
        std::vector<QuoteResult*> of;
        for (QuoteResult& q : s.quotes) {
            if (!q.american || q.quote.call != call) continue;
            const auto add = [&](const std::optional<double>& price, std::optional<double>& vol) {
                if (!positive(price)) return;
                prices.push_back({q.quote.strike, *price});
                into.push_back(&vol);
                of.push_back(&q);
            };
            if (settings.bid_ask) add(q.quote.bid, q.iv_bid), add(q.quote.ask, q.iv_ask);
            if (q.flag == QuoteFlag::Ok) {
                prices.push_back({q.quote.strike, mid(q.quote)});
                into.push_back(&q.iv_mid);
                of.push_back(&q);
            }
        }
        const std::vector<PriceVol> vols = american_vols(m, call, prices);
        for (std::size_t i = 0; i < vols.size(); ++i) {
            *into[i] = vols[i].vol;
            if (into[i] == &of[i]->iv_mid && !vols[i].vol) of[i]->flag = vols[i].why;
        }
    }
}

}  // namespace

std::vector<SliceReport> slice_quotes(const Chain& chain, const SmileSettings& settings, Date valuation,
                                      std::vector<std::string>& notes) {
    const std::optional<double> spot = settings.spot ? settings.spot : chain.underlying;
    std::map<Date, SliceReport> by_expiry;
    for (const ChainQuote& q : chain.quotes) {
        SliceReport& s = by_expiry[q.expiry];
        s.expiry = q.expiry;
        QuoteResult r;
        r.quote = q;
        r.american = q.style ? *q.style == Exercise::American : settings.american;
        r.flag = market_flag(q);
        s.quotes.push_back(r);
    }
    std::vector<SliceReport> slices;
    for (auto& [expiry, s] : by_expiry) {
        std::stable_sort(s.quotes.begin(), s.quotes.end(), [](const QuoteResult& a, const QuoteResult& b) {
            return a.quote.strike != b.quote.strike ? a.quote.strike < b.quote.strike : a.quote.call > b.quote.call;
        });
        s.market.time = years_between(valuation, expiry);
        if (!(s.market.time > 0.0)) {
            for (QuoteResult& q : s.quotes) q.flag = QuoteFlag::Expired;
            slices.push_back(std::move(s));
            continue;
        }
        s.market = market_of(s, settings, spot);
        s.rate = -flog(s.market.discount) / s.market.time;
        if (spot) s.yield = *s.rate - flog(fdiv(s.market.forward, *spot)) / s.market.time;
        for (QuoteResult& q : s.quotes) q.k = flog(fdiv(q.quote.strike, s.market.forward));
        european_vols(s, settings.bid_ask);
        if (std::any_of(s.quotes.begin(), s.quotes.end(), [](const QuoteResult& q) { return q.american; }))
            american_vols_of(s, settings, *spot);
        slices.push_back(std::move(s));
    }
    if (std::all_of(slices.begin(), slices.end(), [](const SliceReport& s) { return !(s.market.time > 0.0); }))
        throw SmileRefused(smile_text::all_expired);
    std::string typed;
    for (const SliceReport& s : slices)
        if (s.typed_forward) typed += (typed.empty() ? "" : ", ") + iso_date(s.expiry);
    if (!typed.empty()) notes.push_back(smile_text::typed_forward + typed);
    return slices;
}

SmileReport build_smile(const Chain& chain, const SmileSettings& settings) {
    SmileReport report;
    report.layout = chain.layout;
    report.fit = settings.fit;
    report.spot = settings.spot ? settings.spot : chain.underlying;
    if (report.spot && !(*report.spot > 0.0)) throw SmileRefused(smile_text::spot_positive);
    if (!settings.valuation_date && !chain.quote_date) throw SmileRefused(smile_text::no_date);
    report.valuation_date = settings.valuation_date ? *settings.valuation_date : *chain.quote_date;
    report.expiries = slice_quotes(chain, settings, report.valuation_date, report.notes);
    fit_smile(report);
    return report;
}

}  // namespace tvx
