// Speed of the command line: the safeguarded implied-volatility search
// beside the window's, one command-line row, and whole batches of rows
// through the batch runner (read, run on every core, written in order).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/commands.h"
#include "options/implied_vol.h"
#include "options/robust_implied.h"
#include "pricing/closed_form.h"

namespace {

struct Case {
    tvx::OptionTerms terms;
    double price;
};

// Realistic random options: log-moneyness within +-0.7, life 0.02-5 years,
// volatility 5-120 %, rate 0-10 %, yield 0-5 %, calls and puts.
std::vector<Case> random_cases(std::size_t n) {
    std::mt19937_64 gen(20261207);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<Case> cases;
    while (cases.size() < n) {
        tvx::OptionTerms o;
        o.spot = 100.0;
        o.strike = 100.0 * std::exp(-0.7 + 1.4 * u(gen));
        o.t = 0.02 + 4.98 * u(gen);
        o.sigma = 0.05 + 1.15 * u(gen);
        o.r = 0.1 * u(gen);
        o.yield = 0.05 * u(gen);
        o.optype = u(gen) < 0.5 ? 0 : 1;
        cases.push_back({o, tvx::solver_euro(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype)});
    }
    return cases;
}

void BM_robust_implied_euro(benchmark::State& state) {
    const auto cases = random_cases(4096);
    std::size_t i = 0;
    for (auto _ : state) {
        const Case& c = cases[i++ & 4095];
        benchmark::DoNotOptimize(tvx::robust_implied_euro(c.price, c.terms));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_robust_implied_euro);

// The window's search on the same cases (it fails on many of them).
void BM_window_implied_euro(benchmark::State& state) {
    const auto cases = random_cases(4096);
    tvx::SearchVariant v;
    v.routine = tvx::valuation_of(tvx::solver_euro);
    std::size_t i = 0;
    for (auto _ : state) {
        const Case& c = cases[i++ & 4095];
        try {
            benchmark::DoNotOptimize(tvx::implied_vol(v, c.price, c.terms));
        } catch (const std::exception&) {}
    }
}
BENCHMARK(BM_window_implied_euro);

void BM_cli_option_row(benchmark::State& state) {
    const tvx::cli::Request r = tvx::cli::default_request(*tvx::cli::find_command("option"));
    for (auto _ : state) benchmark::DoNotOptimize(tvx::cli::run_request(r));
}
BENCHMARK(BM_cli_option_row)->Unit(benchmark::kMicrosecond);

std::string option_rows(std::size_t n, bool implied) {
    std::ostringstream s;
    s.precision(17);
    s << (implied ? "command,spot,strike,dividend,time,rate,price,put,robust\n"
                  : "command,spot,strike,dividend,time,rate,volatility,put\n");
    for (const Case& c : random_cases(n)) {
        const tvx::OptionTerms& o = c.terms;
        s << (implied ? "implied," : "option,") << o.spot << ',' << o.strike << ',' << o.yield * 100 << ',' << o.t
          << ',' << o.r * 100 << ',' << (implied ? c.price : o.sigma) << ',' << o.optype << (implied ? ",1\n" : "\n");
    }
    return s.str();
}

// A whole batch in wall time: state.range(0) rows on state.range(1) threads.
void run_batch_bench(benchmark::State& state, bool implied) {
    const std::string input = option_rows(static_cast<std::size_t>(state.range(0)), implied);
    tvx::cli::BatchSettings settings;
    settings.jobs = static_cast<unsigned>(state.range(1));
    for (auto _ : state) {
        std::istringstream in(input);
        std::ostringstream out, err;
        benchmark::DoNotOptimize(tvx::cli::run_batch(in, out, err, settings));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_batch_option_rows(benchmark::State& state) { run_batch_bench(state, false); }
BENCHMARK(BM_batch_option_rows)->Args({50000, 1})->Args({50000, 2})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_batch_robust_implied_rows(benchmark::State& state) { run_batch_bench(state, true); }
BENCHMARK(BM_batch_robust_implied_rows)
    ->Args({50000, 1})
    ->Args({50000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
