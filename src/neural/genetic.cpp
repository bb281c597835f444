#include "neural/genetic.h"

#include <algorithm>
#include <numeric>

#include "core/numbers.h"
#include "neural/parallel.h"

namespace tvx {

std::vector<std::int16_t> random_permutation(std::int16_t n, const Draw& draw) {
    std::vector<std::int16_t> t(static_cast<std::size_t>(std::max<std::int16_t>(n, 0)));
    std::iota(t.begin(), t.end(), std::int16_t{0});
    std::vector<std::int16_t> perm(t.size());
    for (int c = n - 1; c >= 0; --c) {
        const auto j = static_cast<std::size_t>(nearest(draw() * c));
        perm[static_cast<std::size_t>(c)] = t[j];
        t[j] = t[static_cast<std::size_t>(c)];
    }
    return perm;
}

std::vector<std::int16_t> rank_ascending(std::span<const double> values) {
    // The same order as repeatedly picking the first smallest remaining
    // value, in n log n.
    std::vector<std::int16_t> order(values.size());
    std::iota(order.begin(), order.end(), std::int16_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::int16_t a, std::int16_t b) {
        return values[static_cast<std::size_t>(a)] < values[static_cast<std::size_t>(b)];
    });
    return order;
}

void crossover(const WeightSet& population, WeightSet& children, const Draw& draw) {
    const auto p = static_cast<std::int16_t>(population.size());
    const std::size_t w = population.front().size();
    const auto cut = static_cast<std::size_t>(nearest(draw() * static_cast<double>(w - 1)) + 1);
    const std::vector<std::int16_t> perm = random_permutation(p, draw);
    const double h = p / 2.0;
    for (int l = 0; l <= nearest(h - 1); ++l) {
        const auto m = static_cast<std::size_t>(nearest(h + l));
        const std::vector<double>& a = population[static_cast<std::size_t>(perm[static_cast<std::size_t>(l)])];
        const std::vector<double>& b = population[static_cast<std::size_t>(perm[m])];
        std::vector<double>& first = children[static_cast<std::size_t>(l)];
        std::vector<double>& second = children[m];
        for (std::size_t k = 0; k < w; ++k) {
            first[k] = k < cut ? a[k] : b[k];
            second[k] = k < cut ? b[k] : a[k];
        }
    }
}

std::vector<double> select_survivors(WeightSet& population, const WeightSet& children, std::span<const double> exemplar,
                                     const NetShape& shape, std::int16_t nexem, const Pump& pump) {
    const std::size_t p = population.size();
    const Examples examples(exemplar, shape, nexem);
    std::vector<double> errors(2 * p);
    for_each_index_parallel(
        2 * p,
        [&](std::size_t k) {
            const std::vector<double>& w = k < p ? population[k] : children[k - p];
            errors[k] = fitness(w, examples);
        },
        pump);
    const std::vector<std::int16_t> order = rank_ascending(errors);
    const WeightSet parents = population;
    for (std::size_t t = 0; t < p; ++t) {
        const auto s = static_cast<std::size_t>(order[t]);
        population[t] = s < p ? parents[s] : children[s - p];
    }
    return errors;
}

void mutate(WeightSet& population, const Draw& draw) {
    for (std::vector<double>& individual : population) {
        const double u = draw();
        if (static_cast<float>(u) <= 0.08f) {
            const auto g = static_cast<std::size_t>(nearest(draw() * static_cast<double>(individual.size() - 1)));
            individual[g] = draw();
        }
    }
}

bool train_genetic(const NetShape& shape, std::int16_t nexem, std::span<const double> exemplar,
                   std::vector<double>& result, std::int16_t generations, std::int16_t population_size, Pmeter& pmeter,
                   UserInterface& ui, const Draw& draw) {
    // The error list holds 2P entries, a 16-bit count.
    int16_mul(2, population_size);
    const std::size_t w = shape.weights();
    const auto p = static_cast<std::size_t>(population_size);
    WeightSet population(p, std::vector<double>(w));
    WeightSet children(p, std::vector<double>(w, 0.0));
    // Weight position by weight position: the draws go in that order.
    for (std::size_t k = 0; k < w; ++k)
        for (std::size_t i = 0; i < p; ++i) population[i][k] = draw();

    const Pump pump = [&ui] { ui.yield(); };
    training_progress_start(pmeter, ui, generations);
    double best = 10000.0;  // above every error: the lowest so far, for the progress window
    for (int g = 1; g <= generations; ++g) {
        crossover(population, children, draw);
        const std::vector<double> errors = select_survivors(population, children, exemplar, shape, nexem, pump);
        best = std::min(best, *std::min_element(errors.begin(), errors.end()));
        mutate(population, draw);
        if (training_progress_step(pmeter, ui, g, generations, best)) return false;
    }
    progress_hide(ui, pmeter);

    const Examples examples(exemplar, shape, nexem);
    std::vector<double> errors(p);
    for_each_index_parallel(
        p, [&](std::size_t k) { errors[k] = fitness(population[k], examples); }, pump);
    double bound = 10000.0;
    std::size_t choice = 0;
    for (std::size_t k = 0; k < p; ++k) {
        if (errors[k] <= bound) {
            choice = k;
            bound = errors[k];
        }
    }
    result = population[choice];
    return true;
}

}  // namespace tvx
