// Speed of the command line: the safeguarded implied-volatility search
// beside the window's, one command-line row, and whole batches of rows
// through the batch runner (read, run on every core, written in order).
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/commands.h"
#include "cli/report.h"
#include "options/implied_vol.h"
#include "options/robust_implied.h"
#include "options/style_values.h"
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

std::string option_rows(std::size_t n, bool implied, bool exact = false) {
    std::ostringstream s;
    s.precision(17);
    s << (implied ? "command,spot,strike,dividend,time,rate,price,put,robust"
                  : "command,spot,strike,dividend,time,rate,volatility,put")
      << (exact ? ",exact\n" : "\n");
    for (const Case& c : random_cases(n)) {
        const tvx::OptionTerms& o = c.terms;
        s << (implied ? "implied," : "option,") << o.spot << ',' << o.strike << ',' << o.yield * 100 << ',' << o.t
          << ',' << o.r * 100 << ',' << (implied ? c.price : o.sigma) << ',' << o.optype << (implied ? ",1" : "")
          << (exact ? ",1\n" : "\n");
    }
    return s.str();
}

// A whole batch in wall time: state.range(0) rows on state.range(1) threads.
void run_batch_bench(benchmark::State& state, bool implied, bool exact = false) {
    const std::string input = option_rows(static_cast<std::size_t>(state.range(0)), implied, exact);
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

// The same rows with the exact column on (--exact): analytic sensitivities
// instead of six valuations.
void BM_batch_exact_option_rows(benchmark::State& state) { run_batch_bench(state, false, true); }
BENCHMARK(BM_batch_exact_option_rows)->Args({50000, 1})->Args({50000, 2})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_batch_robust_implied_rows(benchmark::State& state) { run_batch_bench(state, true); }
BENCHMARK(BM_batch_robust_implied_rows)
    ->Args({50000, 1})
    ->Args({50000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The batch's cost for each row beside the closed form's own, on one
// thread: rows in the layout of the guide's batch example (command, spot,
// strike, volatility, put, price, robust), random terms, every row an
// option with its five sensitivities. The counter per_row is the
// processor time of one row; BM_closed_form_per_row is the valuation
// alone (the value and its six valuations' sensitivities) on the same terms.
struct LayoutRow {
    double spot, strike, volatility;
    int put;
};

std::vector<LayoutRow> layout_rows(std::size_t n) {
    std::mt19937_64 gen(45);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<LayoutRow> rows(n);
    for (LayoutRow& r : rows) {
        r.spot = std::round((20 + 180 * u(gen)) * 100) / 100;
        r.strike = std::round(r.spot * std::exp(-0.5 + u(gen)) * 100) / 100;
        r.volatility = std::round((0.05 + 0.95 * u(gen)) * 10000) / 10000;
        r.put = u(gen) < 0.5 ? 0 : 1;
    }
    return rows;
}

constexpr std::size_t kLayoutRows = 20000;

// Output that is thrown away: the rows' cost without a growing string's
// copies and fresh pages.
class Discard : public std::streambuf {
protected:
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
    int overflow(int c) override { return traits_type::not_eof(c); }
};

void per_row_counter(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kLayoutRows));
    state.counters["per_row"] = benchmark::Counter(
        static_cast<double>(kLayoutRows), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_batch_per_row(benchmark::State& state) {
    std::ostringstream s;
    s << "command,spot,strike,volatility,put,price,robust\n";
    for (const LayoutRow& r : layout_rows(kLayoutRows))
        s << "option," << r.spot << ',' << r.strike << ',' << r.volatility << ',' << r.put << ",,\n";
    const std::string input = s.str();
    tvx::cli::BatchSettings one;
    one.jobs = 1;
    Discard discard;
    for (auto _ : state) {
        std::istringstream in(input);
        std::ostream out(&discard);
        std::ostringstream err;
        benchmark::DoNotOptimize(tvx::cli::run_batch(in, out, err, one));
    }
    per_row_counter(state);
}
BENCHMARK(BM_batch_per_row)->Unit(benchmark::kMillisecond);

void BM_closed_form_per_row(benchmark::State& state) {
    std::vector<tvx::OptionTerms> terms;
    for (const LayoutRow& r : layout_rows(kLayoutRows))
        terms.push_back({0.5, r.volatility, 0.045, r.strike, r.spot, 0.021, static_cast<std::int16_t>(r.put)});
    for (auto _ : state)
        for (const tvx::OptionTerms& o : terms) benchmark::DoNotOptimize(tvx::european_sensitivities(o));
    per_row_counter(state);
}
BENCHMARK(BM_closed_form_per_row)->Unit(benchmark::kMillisecond);

// The least work that gives the batch's output for plain closed-form
// option rows (no quotes, every column present): split at the commas,
// convert the numbers, the window's six valuations, the shortest texts.
// No validation, no window lines, no general CSV: the floor that the batch
// runner's cost is measured against.
void floor_batch(const std::string& input, std::string& out) {
    out.clear();
    std::size_t at = input.find('\n') + 1;
    out.append(input, 0, at - 1);
    for (const auto& name : tvx::cli::result_columns()) out += ',', out += name;
    out += '\n';
    // After the six figures: every other result column empty (no American
    // method, no simulation, no message), then status 0.
    const std::string tail = std::string(tvx::cli::result_columns().size() - 6, ',') + "0\n";
    while (at < input.size()) {
        const std::size_t end = input.find('\n', at);
        const char* p = input.data() + at + 7;  // past "option,"
        double f[7];
        for (double& x : f) p = std::from_chars(p, input.data() + end, x).ptr + 1;
        tvx::OptionTerms o{f[3], f[5], f[4] / 100.0, f[1], f[0], f[2] / 100.0, static_cast<std::int16_t>(f[6])};
        const tvx::Sensitivities v = tvx::european_sensitivities(o);
        out.append(input, at, end - at);
        char buf[32];
        for (const double x : {v.value, v.delta, v.gamma, v.theta, v.vega, v.rho}) {
            out += ',';
            out.append(buf, std::to_chars(buf, buf + sizeof buf, x).ptr);
        }
        out += tail;
        at = end + 1;
    }
}

// Both on one thread, side by side, on the same rows.
void BM_batch_floor_option_rows(benchmark::State& state) {
    const std::string input = option_rows(static_cast<std::size_t>(state.range(0)), false);
    std::string floor_out;
    floor_batch(input, floor_out);
    std::istringstream in(input);
    std::ostringstream out, err;
    tvx::cli::BatchSettings one;
    one.jobs = 1;
    tvx::cli::run_batch(in, out, err, one);
    if (out.str() != floor_out) state.SkipWithError("the floor's output differs from the batch's");
    for (auto _ : state) {
        floor_batch(input, floor_out);
        benchmark::DoNotOptimize(floor_out.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_batch_floor_option_rows)->Arg(50000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
