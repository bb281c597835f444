// The quotes' implied volatilities: European by the closed form on the
// forward, American through the exercise-boundary method, every price no
// volatility reaches classified; and the forward and discount from parity.
#include <gtest/gtest.h>

#include <cmath>

#include "smile/american_implied.h"
#include "smile/forwards.h"
#include "smile/implied.h"

namespace tvx {
namespace {

TEST(EuropeanVol, RoundTripAndClassification) {
    const ExpiryMarket m{0.5, 105.0, std::exp(-0.03 * 0.5)};
    for (const double strike : {60.0, 95.0, 105.0, 130.0, 200.0}) {
        for (const bool call : {true, false}) {
            for (const double vol : {0.05, 0.2, 0.8, 2.5}) {
                const double price = european_value(m, strike, call, vol);
                const double intrinsic = std::max(0.0, m.discount * (call ? m.forward - strike : strike - m.forward));
                if (price - intrinsic < 1e-8 * strike) continue;  // no time value to speak of: no quote has it
                const PriceVol v = european_vol(m, strike, call, price);
                ASSERT_TRUE(v.vol) << strike << " " << call << " " << vol;
                EXPECT_NEAR(*v.vol, vol, 1e-9 * std::max(1.0, vol / (price / strike)));
            }
        }
    }
    // Parity's bounds: D (F - K)+ below, D F (call) or D K (put) above.
    const double d = m.discount;
    EXPECT_EQ(european_vol(m, 95.0, true, d * 10.0).why, QuoteFlag::BelowIntrinsic);
    EXPECT_EQ(european_vol(m, 95.0, true, d * 9.999).why, QuoteFlag::BelowIntrinsic);
    EXPECT_EQ(european_vol(m, 95.0, true, d * 105.0).why, QuoteFlag::NoSolution);
    EXPECT_EQ(european_vol(m, 95.0, false, d * 95.0).why, QuoteFlag::NoSolution);
    EXPECT_EQ(european_vol(m, 130.0, false, d * 24.0).why, QuoteFlag::BelowIntrinsic);
}

// Each price of an expiry's puts (and calls) back to the volatility it was
// valued at, the one boundary per node serving every strike; out of the
// money as the fits need it (1e-5), and in the money too.
TEST(AmericanVol, RoundTripThroughTheBoundaryMethod) {
    for (const double t : {0.08, 0.5, 2.0}) {
        const AmericanMarket m{t, 100.0, 0.05, 0.02};
        for (const bool call : {false, true}) {
            std::vector<AmericanPrice> prices;
            std::vector<double> vols;
            for (int i = 0; i <= 16; ++i) {
                const double strike = 70.0 + 4.0 * i;
                const double vol = 0.18 + 0.25 * std::fabs(strike - 100.0) / 100.0 + (call ? 0.0 : 0.05);
                const double price = american_value(m, call, strike, vol);
                // A cent of time value at least, as a quote has: deep in the
                // money, inside the exercise region, every volatility up to
                // some level gives the exercise value.
                if (price - std::max(0.0, call ? 100.0 - strike : strike - 100.0) < 0.01) continue;
                prices.push_back({strike, price});
                vols.push_back(vol);
            }
            const std::vector<PriceVol> got = american_vols(m, call, prices);
            for (std::size_t i = 0; i < got.size(); ++i) {
                ASSERT_TRUE(got[i].vol) << t << " " << prices[i].strike;
                EXPECT_NEAR(*got[i].vol, vols[i], 1e-6)
                    << "t " << t << " strike " << prices[i].strike << " call " << call;
            }
        }
    }
}

TEST(AmericanVol, ClassifiesPricesNoVolatilityReaches) {
    const AmericanMarket m{0.5, 100.0, 0.05, 0.0};
    const std::vector<PriceVol> got = american_vols(m, false,
                                                    {{120.0, 19.99},  // below exercising now
                                                     {120.0, 20.0},   // exactly that: no volatility stands out
                                                     {120.0, 120.0},  // the strike: beyond any volatility
                                                     {100.0, 6.0}});  // an ordinary price
    EXPECT_EQ(got[0].why, QuoteFlag::BelowIntrinsic);
    EXPECT_EQ(got[1].why, QuoteFlag::BelowIntrinsic);
    EXPECT_EQ(got[2].why, QuoteFlag::NoSolution);
    ASSERT_TRUE(got[3].vol);
    // Within 1e-7 in volatility: a price within vega (about 27) times that.
    EXPECT_NEAR(american_value(m, false, 100.0, *got[3].vol), 6.0, 27 * 1e-7);
    // A call without a yield is never exercised early: its European volatility.
    const std::vector<PriceVol> call = american_vols(m, true, {{100.0, 8.0}});
    const PriceVol euro = european_vol(rate_market(100.0, 0.05, 0.0, 0.5), 100.0, true, 8.0);
    ASSERT_TRUE(call[0].vol && euro.vol);
    EXPECT_DOUBLE_EQ(*call[0].vol, *euro.vol);
}

TEST(ParityForward, RegressionOverPairsNearTheMoney) {
    const double t = 0.75, f = 102.3, d = std::exp(-0.04 * t);
    std::vector<ParityPair> pairs;
    for (int i = 0; i < 12; ++i) {
        const double k = 80.0 + 4.0 * i;
        // Any call price; the put follows from parity. Far from the money
        // a stale price that parity does not hold: left out of the ten.
        const double call = 5.0 + 0.1 * i;
        pairs.push_back({k, call, call - d * (f - k) + (i == 0 ? 3.0 : 0.0)});
    }
    const std::optional<ExpiryMarket> m = parity_market(pairs, t);
    ASSERT_TRUE(m);
    EXPECT_NEAR(m->forward / f, 1.0, 1e-12);
    EXPECT_NEAR(m->discount / d, 1.0, 1e-12);
    pairs.resize(kParityLeast - 1);
    EXPECT_FALSE(parity_market(pairs, t));
}

}  // namespace
}  // namespace tvx
