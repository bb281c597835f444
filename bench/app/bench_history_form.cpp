// The History window on screen (offscreen platform unless another is
// set): one result more, from the model to the table (painted again), with
// 10, 10,000 and 100,000 rows in it already. The windows that add to the
// history wait for this much, so it must not grow with the rows.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>

#include "app/history_form.h"
#include "support/null_ui.h"

namespace {

tvx::HistoryRow yield_row(double price) {
    return {std::chrono::system_clock::now(),
            "Straight Bonds",
            "Yield",
            {{"par", "1000.0"}, {"coupon", "8.5"}, {{}, "Annual"}, {"time", "3.5"}, {"price", "105"}},
            {{"yield", price / 15.0}},
            {},
            false};
}

// With the table painted again each time (state.range(1) 1), or only told
// of the row (0), as a window's command does: Qt paints later, once for
// however many rows came meanwhile.
void BM_history_window_add(benchmark::State& state) {
    tvx::HistoryWindow model;
    tvx::bench::NullUi ui;
    for (std::int64_t i = 0; i < state.range(0); ++i) model.rows.push_back(yield_row(static_cast<double>(i)));
    tvx::HistoryForm form(model, ui);
    form.resize(form.sizeHint());
    form.show();
    form.draw();
    QApplication::processEvents();
    double price = 100.0;
    for (auto _ : state) {
        model.rows.push_back(yield_row(price));
        price += 0.01;
        form.draw();
        if (state.range(1) != 0) form.table()->viewport()->repaint();
    }
    state.counters["rows"] = static_cast<double>(model.rows.size());
}
BENCHMARK(BM_history_window_add)
    ->ArgsProduct({{10, 10000, 100000}, {0, 1}})
    ->ArgNames({"rows", "paint"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
