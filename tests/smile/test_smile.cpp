// From a chain to its smile and surface: round trips from chains priced
// from known SVI slices (European, and American with a given rate and
// yield), the published index grid read and fitted, and what a chain that
// cannot be fitted gets.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "smile/smile.h"
#include "support/smile_chains.h"

namespace tvx {
namespace {

using test::KnownSlice;
using test::SyntheticChain;

SmileReport smile_of(const std::string& csv, const SmileSettings& settings) {
    std::istringstream in(csv);
    const ChainRead r = read_chain(in);
    EXPECT_TRUE(r.chain) << chain_error_text(r.error);
    return build_smile(*r.chain, settings);
}

// Each slice's forward (to 1e-6 relative), every mid volatility and the
// fitted total variance at every fitted strike, against the slice the
// chain was priced from.
void expect_round_trip(const SyntheticChain& c, const SmileReport& r, double vol_tolerance, double w_tolerance,
                       bool out_of_the_money_only) {
    ASSERT_EQ(r.expiries.size(), c.slices.size());
    for (std::size_t i = 0; i < c.slices.size(); ++i) {
        const KnownSlice& known = c.slices[i];
        const SliceReport& s = r.expiries[i];
        EXPECT_NEAR(s.market.forward / test::known_forward(c, known), 1.0, 1e-6);
        EXPECT_NEAR(s.market.time, known.days / 365.0, 1e-15);
        ASSERT_TRUE(s.svi);
        EXPECT_EQ(s.fitted, static_cast<int>(c.ks.size()));  // one out-of-the-money quote a strike
        for (const QuoteResult& q : s.quotes) {
            const bool out = q.quote.call == (q.k >= 0.0);
            if (out_of_the_money_only && !out) continue;
            ASSERT_TRUE(q.iv_mid) << q.quote.strike;
            const double k = std::log(q.quote.strike / test::known_forward(c, known));
            EXPECT_NEAR(*q.iv_mid, test::known_vol(known, k), vol_tolerance)
                << known.days << " days, strike " << q.quote.strike << (q.quote.call ? " call" : " put");
            if (q.fitted) {
                EXPECT_NEAR(svi_w(*s.svi, q.k), svi_w(known.svi, k), w_tolerance) << q.quote.strike;
            }
        }
        EXPECT_GE(s.g.value, 0.0);
    }
    EXPECT_TRUE(r.calendar.empty());
    EXPECT_LT(r.rmse, 100 * vol_tolerance * 10);
}

TEST(SmileRoundTrip, EuropeanChainFromKnownSlices) {
    SyntheticChain c;
    c.rate = 0.04;
    c.yield = 0.015;
    c.slices = test::equity_slices();
    c.ks = test::spread_ks(-0.35, 0.25, 25);
    // The typed rate and yield are not the chain's: parity finds the forward.
    SmileSettings settings;
    settings.rate = 0.10;
    const SmileReport r = smile_of(chain_csv(c), settings);
    for (const SliceReport& s : r.expiries) {
        EXPECT_TRUE(s.from_parity);
        EXPECT_NEAR(*s.rate, 0.04, 1e-9);
        EXPECT_NEAR(*s.yield, 0.015, 1e-9);
    }
    EXPECT_TRUE(r.notes.empty());
    expect_round_trip(c, r, 1e-6, 1e-6, false);
}

TEST(SmileRoundTrip, AmericanChainFromKnownSlices) {
    SyntheticChain c;
    c.rate = 0.05;
    c.yield = 0.02;  // both calls and puts may be exercised early
    c.american = true;
    c.slices = test::equity_slices();
    c.ks = test::spread_ks(-0.3, 0.2, 21);
    SmileSettings settings;
    settings.american = true;
    settings.rate = c.rate;
    settings.yield = c.yield;
    const SmileReport r = smile_of(chain_csv(c), settings);
    for (const SliceReport& s : r.expiries) EXPECT_FALSE(s.from_parity);
    expect_round_trip(c, r, 1e-5, 1e-5, true);
}

TEST(SmileRoundTrip, SsviSurfaceOfSsviSlicesIsExact) {
    // Slices that are one SSVI surface's: the surface fit finds it.
    const SsviParams surface{-0.6, 0.9, 0.35};
    SyntheticChain c;
    c.rate = 0.03;
    for (const auto& [days, theta] : {std::pair{45, 0.006}, {120, 0.015}, {300, 0.035}, {700, 0.08}})
        c.slices.push_back({days, ssvi_slice(surface, theta)});
    c.ks = test::spread_ks(-0.4, 0.3, 21);
    SmileSettings settings;
    settings.fit = FitKind::Ssvi;
    const SmileReport r = smile_of(chain_csv(c), settings);
    ASSERT_TRUE(r.ssvi);
    EXPECT_NEAR(r.ssvi->rho, surface.rho, 1e-4);
    EXPECT_NEAR(r.ssvi->eta, surface.eta, 1e-4);
    EXPECT_NEAR(r.ssvi->gamma, surface.gamma, 1e-4);
    EXPECT_LT(r.ssvi_rmse, 1e-3);
    expect_round_trip(c, r, 1e-6, 1e-6, false);
}

// The published grid: puts below the spot and calls above, so no pairs;
// the forward comes from the typed rate and yield (0, as published) and
// the report says so. Every quote's volatility is the grid's own.
TEST(SmilePublishedGrid, AndreasenHugeReadAndFitted) {
    const ChainRead read = read_chain_file(TVX_SMILE_DATA "/andreasen-huge-2010.csv");
    ASSERT_TRUE(read.chain);
    const SmileReport r = build_smile(*read.chain, {});
    ASSERT_EQ(r.expiries.size(), 12u);
    ASSERT_EQ(r.notes.size(), 1u);  // one note names every expiry without pairs
    EXPECT_TRUE(r.notes[0].starts_with(smile_text::typed_forward + std::string("2010-03-10, 2010-04-06, ")));
    // The grid's times to the day: floor(365 T) / 365.
    EXPECT_NEAR(r.expiries.front().market.time, 0.025, 1.0 / 365);
    EXPECT_NEAR(r.expiries.back().market.time, 5.774, 1.0 / 365);
    // The file's vol column, read here beside the reader.
    std::ifstream file(TVX_SMILE_DATA "/andreasen-huge-2010.csv");
    std::string line;
    std::getline(file, line);
    std::map<std::pair<int, double>, double> published;
    while (std::getline(file, line)) {
        std::vector<std::string> cells;
        std::stringstream cut(line);
        for (std::string cell; std::getline(cut, cell, ',');) cells.push_back(cell);
        published[{parse_date(cells[1])->days, std::stod(cells[2])}] = std::stod(cells[7]);
    }
    int fitted = 0;
    for (const SliceReport& s : r.expiries) {
        EXPECT_FALSE(s.from_parity);
        EXPECT_DOUBLE_EQ(s.market.forward, 2772.7);
        ASSERT_TRUE(s.svi);
        EXPECT_LT(s.rmse, 0.5) << iso_date(s.expiry);  // volatility points
        for (const QuoteResult& q : s.quotes) {
            ASSERT_TRUE(q.iv_mid);
            EXPECT_NEAR(*q.iv_mid, (published[{s.expiry.days, q.quote.strike}]), 1e-6) << q.quote.strike;
            fitted += q.fitted;
        }
    }
    EXPECT_EQ(fitted, 155);
    ASSERT_TRUE(r.ssvi);
    EXPECT_LT(r.rmse, 0.3);
}

TEST(SmileQuotes, OneSidedQuotesKeptFlaggedAndLeftOutOfTheFit) {
    SyntheticChain c;
    c.slices = {test::equity_slices()[2]};
    c.ks = test::spread_ks(-0.3, 0.3, 13);
    std::string csv = chain_csv(c);
    csv += "2024-01-02,2024-07-02,150,C,0,0.01,100\n";   // no bid
    csv += "2024-01-02,2024-07-02,150,P,50,,100\n";      // no ask
    csv += "2024-01-02,2024-07-02,151,C,0.2,0.1,100\n";  // crossed
    csv += "2024-01-02,2024-07-02,152,P,40,40,100\n";    // below the put's intrinsic value of 52
    csv += "2024-01-02,2024-01-02,100,C,1,1.1,100\n";    // expiring today
    const SmileReport r = smile_of(csv, {});
    ASSERT_EQ(r.expiries.size(), 2u);
    EXPECT_EQ(r.expiries[0].quotes.size(), 1u);
    EXPECT_EQ(r.expiries[0].quotes[0].flag, QuoteFlag::Expired);
    EXPECT_FALSE(r.expiries[0].svi);
    const SliceReport& s = r.expiries[1];
    const auto flag_at = [&s](double strike, bool call) {
        for (const QuoteResult& q : s.quotes)
            if (q.quote.strike == strike && q.quote.call == call) return q;
        ADD_FAILURE() << strike;
        return QuoteResult{};
    };
    EXPECT_EQ(flag_at(150, true).flag, QuoteFlag::NoBid);
    EXPECT_TRUE(flag_at(150, true).iv_ask);  // the ask's volatility stands
    EXPECT_FALSE(flag_at(150, true).iv_mid);
    EXPECT_EQ(flag_at(150, false).flag, QuoteFlag::NoAsk);
    EXPECT_EQ(flag_at(151, true).flag, QuoteFlag::Crossed);
    EXPECT_EQ(flag_at(152, false).flag, QuoteFlag::BelowIntrinsic);
    EXPECT_EQ(s.fitted, 13);
    for (const QuoteResult& q : s.quotes) EXPECT_TRUE(q.flag == QuoteFlag::Ok || !q.fitted);
}

TEST(SmileRefusal, MissingDayOrSpotSaySo) {
    std::istringstream web("contractSymbol,strike,bid,ask\nAAPL240119C00150000,150,35.1,35.4\n");
    const Chain chain = *read_chain(web).chain;
    EXPECT_THROW(
        {
            try {
                build_smile(chain, {});
            } catch (const SmileRefused& e) {
                EXPECT_STREQ(e.what(), smile_text::no_date);
                throw;
            }
        },
        SmileRefused);
    SmileSettings dated;
    dated.valuation_date = make_date(2024, 1, 2);
    try {
        build_smile(chain, dated);
        ADD_FAILURE() << "no spot, and no pairs to find the forward by";
    } catch (const SmileRefused& e) {
        EXPECT_STREQ(e.what(), smile_text::no_spot);
    }
    dated.spot = 185.0;
    const SmileReport r = build_smile(chain, dated);
    EXPECT_EQ(r.expiries.size(), 1u);
    EXPECT_FALSE(r.expiries[0].svi);  // one quote: too few to fit
    EXPECT_EQ(r.notes.back(), "2024-01-19" + std::string(smile_text::too_few));
}

TEST(SmileSurface, VolatilityBetweenAndBeyondExpiries) {
    SyntheticChain c;
    c.slices = test::equity_slices();
    c.ks = test::spread_ks(-0.3, 0.3, 13);
    const SmileReport r = smile_of(chain_csv(c), {});
    const double t1 = 91 / 365.0, t2 = 182 / 365.0;
    // At a quoted expiry: its own slice; between two: total variance
    // linear in time at the same k; before the first: in proportion.
    EXPECT_NEAR(*surface_vol(r, 100.0, 100.0, t1), test::known_vol(c.slices[1], 0.0), 1e-6);
    const double mid_t = 0.5 * (t1 + t2);
    const double w = 0.5 * (svi_w(c.slices[1].svi, 0.1) + svi_w(c.slices[2].svi, 0.1));
    EXPECT_NEAR(*surface_vol(r, 100.0 * std::exp(0.1), 100.0, mid_t), std::sqrt(w / mid_t), 1e-6);
    EXPECT_NEAR(*surface_vol(r, 100.0, 100.0, 0.01), test::known_vol(c.slices[0], 0.0), 1e-6);
    EXPECT_FALSE(surface_vol(r, 100.0, 100.0, 0.0));
}

}  // namespace
}  // namespace tvx
