// Speed of the valuations with a cash dividend schedule: a one-year option
// at the money (S = K = 100, r = 5 %, q = 0, sigma = 0.3) with four
// quarterly dividends of 1, as an American put by the finite-difference
// solver (the value, and its value with the five sensitivities), and as a
// European call by the spot model's exact integrals and by the escrowed
// closed form. The American value is allowed 1 ms.
#include <benchmark/benchmark.h>

#include <vector>

#include "pricing/dividend_sensitivities.h"

namespace {

const std::vector<tvx::CashDividend> kFour{{0.125, 1.0}, {0.375, 1.0}, {0.625, 1.0}, {0.875, 1.0}};

tvx::DividendOption option(std::int16_t type, tvx::DividendModel model) {
    return {1.0, 0.3, 0.05, 100.0, 100.0, 0.0, type, kFour, model};
}

void BM_dividend_american_four(benchmark::State& state) {
    tvx::DividendOption o = option(1, tvx::DividendModel::Spot);
    for (auto _ : state) {
        double spot = 100.0;
        benchmark::DoNotOptimize(spot);
        o.spot = spot;
        benchmark::DoNotOptimize(tvx::american_dividend_value(o));
    }
}
BENCHMARK(BM_dividend_american_four)->Unit(benchmark::kMicrosecond);

void BM_dividend_american_four_sensitivities(benchmark::State& state) {
    tvx::DividendOption o = option(1, tvx::DividendModel::Spot);
    for (auto _ : state) {
        double spot = 100.0;
        benchmark::DoNotOptimize(spot);
        o.spot = spot;
        benchmark::DoNotOptimize(tvx::american_dividend_sensitivities(o));
    }
}
BENCHMARK(BM_dividend_american_four_sensitivities)->Unit(benchmark::kMicrosecond);

void BM_dividend_european_four(benchmark::State& state) {
    tvx::DividendOption o = option(0, tvx::DividendModel::Spot);
    for (auto _ : state) {
        double spot = 100.0;
        benchmark::DoNotOptimize(spot);
        o.spot = spot;
        benchmark::DoNotOptimize(tvx::european_dividend_value(o));
    }
}
BENCHMARK(BM_dividend_european_four)->Unit(benchmark::kMicrosecond);

void BM_dividend_european_four_sensitivities(benchmark::State& state) {
    tvx::DividendOption o = option(0, tvx::DividendModel::Spot);
    for (auto _ : state) {
        double spot = 100.0;
        benchmark::DoNotOptimize(spot);
        o.spot = spot;
        benchmark::DoNotOptimize(tvx::european_dividend_sensitivities(o));
    }
}
BENCHMARK(BM_dividend_european_four_sensitivities)->Unit(benchmark::kMicrosecond);

void BM_dividend_european_four_escrowed(benchmark::State& state) {
    tvx::DividendOption o = option(0, tvx::DividendModel::Escrowed);
    for (auto _ : state) {
        double spot = 100.0;
        benchmark::DoNotOptimize(spot);
        o.spot = spot;
        benchmark::DoNotOptimize(tvx::european_dividend_sensitivities(o));
    }
}
BENCHMARK(BM_dividend_european_four_escrowed)->Unit(benchmark::kMicrosecond);

}  // namespace
