// The session's history below the windows: what a result costs to keep
// when thousands are kept already (the same whatever the count), and Copy
// and Save as CSV of ten thousand rows.
#include <benchmark/benchmark.h>

#include "core/history_window.h"
#include "support/null_ui.h"

namespace {

// Keeps every result as the windows' front end does.
class KeepingUi : public tvx::bench::NullUi {
public:
    tvx::HistoryWindow history;
    void record(const tvx::HistoryRow& row) override { history.rows.push_back(row); }
};

// A Compute of the main window: five terms and six figures.
void add_compute(tvx::UserInterface& ui, double spot) {
    tvx::record_result(ui, "Equity Options", "Compute",
                       {{"spot", "50"}, {"strike", "55"}, {"time", "0.25"}, {"rate", "4.5"}, {"volatility", "0.3"}},
                       {{"value", spot / 3.0},
                        {"delta", 0.37747},
                        {"gamma", 0.04461},
                        {"theta", 3.65127},
                        {"vega", 15.99964},
                        {"rho", 10.28893}});
}

void fill(KeepingUi& ui, std::int64_t rows) {
    for (std::int64_t i = 0; i < rows; ++i) add_compute(ui, static_cast<double>(i));
}

// One more result with state.range(0) kept before it.
void BM_history_add(benchmark::State& state) {
    KeepingUi ui;
    fill(ui, state.range(0));
    double spot = 1.0;
    for (auto _ : state) {
        add_compute(ui, spot);
        spot += 1.0;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_history_add)->Arg(10)->Arg(10000)->Arg(100000);

void BM_history_copy_all(benchmark::State& state) {
    KeepingUi ui;
    fill(ui, state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(tvx::history_tsv(ui.history));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_history_copy_all)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_history_csv(benchmark::State& state) {
    KeepingUi ui;
    fill(ui, state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(tvx::history_csv(ui.history));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_history_csv)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
