// Speed of the gradient training's inner costs at the largest shape the
// creation window allows (10 inputs, 15 hidden nodes, 4 outputs) with 2000
// examples, and at a small one (a constant and one input, 8 hidden nodes,
// one output, 80 examples): one error and gradient (an L-BFGS trial), the
// errors alone (a Levenberg-Marquardt trial) and the normal equations (a
// Levenberg-Marquardt iteration), beside one fitness evaluation (see
// bench_neural.cpp) for the ratio between them.
#include <benchmark/benchmark.h>

#include "neural/gradient.h"
#include "pricing/random.h"

namespace {

using namespace tvx;

struct Case {
    NetShape shape;
    std::int16_t examples;
    std::vector<double> exemplar, weights;
    Problem problem() const { return {shape, examples, exemplar}; }
};

// range(0): 0 the largest shape, 1 the small one.
Case make_case(std::int64_t which) {
    Case c{which == 0 ? NetShape{10, 15, 4} : NetShape{2, 8, 1},
           static_cast<std::int16_t>(which == 0 ? 2000 : 80),
           {},
           {}};
    c.exemplar.resize(c.shape.example_width() * static_cast<std::size_t>(c.examples));
    for (double& v : c.exemplar) v = 0.01 + 0.98 * uniform();
    c.weights.resize(c.shape.weights());
    for (double& v : c.weights) v = 2.0 * uniform() - 1.0;
    return c;
}

void BM_error_gradient(benchmark::State& state) {
    const Case c = make_case(state.range(0));
    std::vector<double> g(c.weights.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(error_gradient(c.weights, c.exemplar, c.shape, c.examples, g));
        benchmark::DoNotOptimize(g.data());
    }
    state.SetItemsProcessed(state.iterations() * c.examples);
}
BENCHMARK(BM_error_gradient)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_errors_of(benchmark::State& state) {
    const Case c = make_case(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(errors_of(c.weights, c.problem()));
    state.SetItemsProcessed(state.iterations() * c.examples);
}
BENCHMARK(BM_errors_of)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_normal_equations(benchmark::State& state) {
    const Case c = make_case(state.range(0));
    const std::size_t n = c.weights.size();
    std::vector<double> jtj(n * n), jtr(n);
    for (auto _ : state) {
        benchmark::DoNotOptimize(normal_equations(c.weights, c.problem(), jtj, jtr));
        benchmark::DoNotOptimize(jtj.data());
    }
    state.SetItemsProcessed(state.iterations() * c.examples);
}
BENCHMARK(BM_normal_equations)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
