// Speed of the volatility smile: a chain of 20 expiries x 50 strikes x
// calls and puts (2,000 American quotes, a rate of 5 % and a yield of 2 %,
// so that calls and puts alike may be exercised early) read from its CSV
// text, its volatilities inverted through the exercise-boundary method and
// its SVI slices and SSVI surface fitted: the mids alone, and bid, mid and
// ask. Beside them, one SVI slice of 50 quotes fitted.
#include <benchmark/benchmark.h>

#include <cmath>
#include <sstream>

#include "smile/smile.h"
#include "smile/svi_fit.h"
#include "support/smile_chains.h"

namespace {

using tvx::test::KnownSlice;

// Expiries from two weeks to two years, each slice's strikes spanning
// about three standard deviations below the forward and two above it.
std::string american_chain() {
    tvx::test::SyntheticChain c;
    c.spot = 100;
    c.rate = 0.05;
    c.yield = 0.02;
    c.american = true;
    c.half_spread = 0.005;
    std::string text;
    for (int e = 0; e < 20; ++e) {
        const int days = 14 + e * 37;
        const double t = days / 365.0;
        const KnownSlice slice{days, {0.02 * t, 0.08 + 0.01 * std::sqrt(t), -0.55, 0.02, 0.05 + 0.1 * std::sqrt(t)}};
        c.slices = {slice};
        const double spread = 0.25 * std::sqrt(t);
        c.ks = tvx::test::spread_ks(-3.0 * spread, 2.0 * spread, 50);
        const std::string part = tvx::test::chain_csv(c);
        text += e == 0 ? part : part.substr(part.find('\n') + 1);
    }
    return text;
}

const std::string& chain_text() {
    static const std::string text = american_chain();
    return text;
}

void smile_of_chain(benchmark::State& state, bool bid_ask) {
    tvx::SmileSettings settings;
    settings.american = true;
    settings.rate = 0.05;
    settings.yield = 0.02;
    settings.bid_ask = bid_ask;
    for (auto _ : state) {
        std::istringstream in(chain_text());
        const tvx::ChainRead read = tvx::read_chain(in);
        if (!read.chain) state.SkipWithError("the chain was not read");
        const tvx::SmileReport r = tvx::build_smile(*read.chain, settings);
        benchmark::DoNotOptimize(r.expiries.data());
        state.counters["rmse"] = r.rmse;
    }
}

void BM_smile_american_mids(benchmark::State& state) { smile_of_chain(state, false); }
BENCHMARK(BM_smile_american_mids)->Unit(benchmark::kMillisecond);

void BM_smile_american_bid_mid_ask(benchmark::State& state) { smile_of_chain(state, true); }
BENCHMARK(BM_smile_american_bid_mid_ask)->Unit(benchmark::kMillisecond);

// One slice: 50 quotes' total variances a little off a known smile, each
// weighing the same.
void BM_svi_slice_fit(benchmark::State& state) {
    const tvx::SviParams known{0.01, 0.12, -0.5, 0.03, 0.15};
    tvx::SviData data;
    for (int i = 0; i < 50; ++i) {
        const double k = -0.5 + 0.8 * i / 49.0;
        data.k.push_back(k);
        data.w.push_back(tvx::svi_w(known, k) * (1.0 + 0.002 * std::sin(7.0 * i)));
        data.weight.push_back(1.0);
    }
    for (auto _ : state) {
        const tvx::SviParams fit = tvx::fit_svi(data);
        benchmark::DoNotOptimize(fit.a);
    }
}
BENCHMARK(BM_svi_slice_fit)->Unit(benchmark::kMicrosecond);

}  // namespace
