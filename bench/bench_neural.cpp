// Speed of the neural-net trainings at the largest shape the creation window
// allows (10 inputs, 15 hidden nodes, 4 outputs) with 2000 examples: one
// fitness evaluation, the 2P evaluations of a generation on one core and on
// both, one whole generation, and one market iteration.
#include <benchmark/benchmark.h>

#include <numeric>

#include "core/numbers.h"
#include "neural/agoric.h"
#include "neural/genetic.h"
#include "neural/parallel.h"
#include "pricing/random.h"

namespace {

using namespace tvx;

const NetShape kShape{10, 15, 4};
constexpr std::int16_t kExamples = 2000;
constexpr std::size_t kPopulation = 50;

const Draw kDraw = [] { return application_uniform(); };

std::vector<double> examples() {
    std::vector<double> e(kShape.example_width() * kExamples);
    for (double& v : e) v = 0.01 + 0.98 * uniform();
    return e;
}

WeightSet random_set(std::size_t p) {
    WeightSet set(p, std::vector<double>(kShape.weights()));
    for (auto& w : set)
        for (double& v : w) v = uniform();
    return set;
}

void BM_fitness(benchmark::State& state) {
    const std::vector<double> e = examples();
    const std::vector<double> w = random_set(1)[0];
    for (auto _ : state) benchmark::DoNotOptimize(fitness(w, e, kShape, kExamples));
    state.SetItemsProcessed(state.iterations() * kExamples);
}
BENCHMARK(BM_fitness)->Unit(benchmark::kMicrosecond);

// The same over examples laid out once, as the trainings evaluate.
void BM_fitness_laid_out(benchmark::State& state) {
    const std::vector<double> e = examples();
    const Examples laid_out(e, kShape, kExamples);
    const std::vector<double> w = random_set(1)[0];
    for (auto _ : state) benchmark::DoNotOptimize(fitness(w, laid_out));
    state.SetItemsProcessed(state.iterations() * kExamples);
}
BENCHMARK(BM_fitness_laid_out)->Unit(benchmark::kMicrosecond);

// The 2P evaluations of one generation, on one core (range 0) or both (1).
void BM_generation_evaluations(benchmark::State& state) {
    const std::vector<double> e = examples();
    const WeightSet set = random_set(2 * kPopulation);
    const Examples laid_out(e, kShape, kExamples);
    std::vector<double> errors(set.size());
    const auto eval = [&](std::size_t k) { errors[k] = fitness(set[k], laid_out); };
    for (auto _ : state) {
        if (state.range(0) == 0) {
            for (std::size_t k = 0; k < set.size(); ++k) eval(k);
        } else {
            for_each_index_parallel(set.size(), eval);
        }
        benchmark::DoNotOptimize(errors.data());
    }
}
BENCHMARK(BM_generation_evaluations)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_genetic_generation(benchmark::State& state) {
    const std::vector<double> e = examples();
    WeightSet population = random_set(kPopulation);
    WeightSet children(kPopulation, std::vector<double>(kShape.weights(), 0.0));
    for (auto _ : state) {
        crossover(population, children, kDraw);
        select_survivors(population, children, e, kShape, kExamples);
        mutate(population, kDraw);
    }
}
BENCHMARK(BM_genetic_generation)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first iteration of a freshly seeded market (later ones trade less).
void BM_agoric_iteration(benchmark::State& state) {
    const std::vector<double> e = examples();
    const auto p = static_cast<std::int16_t>(kPopulation);
    for (auto _ : state) {
        state.PauseTiming();
        Agents agents(kPopulation, kShape.weights());
        for (std::size_t a = 0; a < kPopulation; ++a) seed_agent(agents, a, kDraw);
        state.ResumeTiming();
        collect_repayments(agents);
        adjust_prices(agents, kDraw);
        const std::vector<std::int16_t> ranking = rank_descending(agents.price);
        const Clearing market = clear_market(agents, ranking, int16_mul(50, p));
        run_trials(agents, e, kShape, kExamples, market.allocation, ranking, kDraw);
        grant_loans(agents, 0.05, 30, kDraw);
        reseed_bankrupt(agents, kDraw);
        benchmark::DoNotOptimize(agents.wealth.data());
    }
}
BENCHMARK(BM_agoric_iteration)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
