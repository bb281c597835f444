// Speed of the gradient training's inner cost at the largest shape the
// creation window allows (10 inputs, 15 hidden nodes, 4 outputs) with 2000
// examples: one error and gradient, beside one fitness evaluation (see
// bench_neural.cpp) for the ratio between them.
#include <benchmark/benchmark.h>

#include "neural/gradient.h"
#include "pricing/random.h"

namespace {

using namespace tvx;

const NetShape kShape{10, 15, 4};
constexpr std::int16_t kExamples = 2000;

void BM_error_gradient(benchmark::State& state) {
    std::vector<double> e(kShape.example_width() * kExamples);
    for (double& v : e) v = 0.01 + 0.98 * uniform();
    std::vector<double> w(kShape.weights());
    for (double& v : w) v = 2.0 * uniform() - 1.0;
    std::vector<double> g(w.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(error_gradient(w, e, kShape, kExamples, g));
        benchmark::DoNotOptimize(g.data());
    }
    state.SetItemsProcessed(state.iterations() * kExamples);
}
BENCHMARK(BM_error_gradient)->Unit(benchmark::kMicrosecond);

}  // namespace
