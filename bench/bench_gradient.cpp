// Speed of the gradient training's inner costs at the largest shape the
// creation window allows (10 inputs, 15 hidden nodes, 4 outputs) with 2000
// examples, and at a small one (a constant and one input, 8 hidden nodes,
// one output, 80 examples): one error and gradient (an L-BFGS trial), the
// errors alone (a Levenberg-Marquardt trial) and the normal equations (a
// Levenberg-Marquardt iteration), beside one fitness evaluation (see
// bench_neural.cpp) for the ratio between them.
#include <benchmark/benchmark.h>

#include <cmath>

#include "core/random.h"
#include "core/thread_pool.h"
#include "neural/gradient.h"
#include "pricing/random.h"
#include "support/null_ui.h"

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

// Whole trainings, the same draws every time: range(0) 0, the sine of 40
// examples beside a constant input with 8 hidden nodes (the gradient
// study's hardest case: Levenberg-Marquardt, the screening's pool and the
// growing), 10 starts, at most 300 iterations; 1, the largest shape with
// 200 examples (L-BFGS), 10 starts, at most 100 iterations. On the
// calling thread alone, so that its processor time is the training's.
void BM_gradient_training(benchmark::State& state) {
    const unsigned threads = pool_threads();
    set_pool_threads(0);
    const bool largest = state.range(0) == 1;
    Case c = make_case(largest ? 0 : 1);
    if (largest) {
        c.examples = 200;
        c.exemplar.resize(c.shape.example_width() * 200);
    } else {
        c.examples = 40;
        c.exemplar.resize(3 * 40);
        for (int k = 0; k < c.examples; ++k) {
            const double u = (k + 0.5) / c.examples;
            c.exemplar[3 * k] = 0.05 + 0.9 * u, c.exemplar[3 * k + 1] = 0.5;
            c.exemplar[3 * k + 2] = 0.1 + 0.8 * (0.5 + 0.5 * std::sin(6.0 * u - 3.0));
        }
    }
    const Problem p = c.problem();
    std::vector<double> result;
    for (auto _ : state) {
        Mt19937 generator(250);
        Pmeter pm;
        bench::NullUi ui;
        train_gradient_by(p, gradient_method(p), result, largest ? 100 : 300, 10, pm, ui,
                          [&generator] { return uniform_of(generator()); });
        benchmark::DoNotOptimize(result.data());
    }
    set_pool_threads(threads);
}
BENCHMARK(BM_gradient_training)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
