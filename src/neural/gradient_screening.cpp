// The Gradient training's choice of method and its screening of the
// starts, both by what an iteration costs.
#include "neural/screening.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tvx {

ExampleWork example_work(const NetShape& s) {
    const auto k = static_cast<double>(s.output_block() + static_cast<std::size_t>(s.nhidden));
    return {k * k / 2.0 * s.nout, 3.0 * static_cast<double>(s.weights())};
}

// Per example, K^2 / 2 multiply-adds of the normal equations for each
// output (K = nin * nhidden + nhidden weights bear on it) against about
// 3 W for a gradient's forward and backward passes. Small networks (up to
// a few dozen weights) take Levenberg-Marquardt; the largest (10-15-4, 210
// weights: about 86 times) take L-BFGS, whose iterations cost a gradient
// or two.
GradientMethod gradient_method(const Problem& p) {
    const ExampleWork work = example_work(p.shape);
    if (work.normal > p.settings.method.levenberg_gradients * work.gradient) return GradientMethod::Lbfgs;
    return constant_inputs(p).empty() ? GradientMethod::Both : GradientMethod::Levenberg;
}

Screening screening(std::size_t kept, int iterations, const Problem& p) {
    const ScreenSettings& s = p.settings.screen;
    const GrowSettings& grow = p.settings.grow;
    const ExampleWork work = example_work(p.shape);
    const bool affordable =
        static_cast<double>(s.pool_size) * s.pool_screen * p.nexem * (work.normal + work.gradient) <= s.pool_work;
    const std::size_t grown = affordable && p.shape.nhidden > grow.steps ? std::min(grow.most, grow.draws * kept) : 0;
    if (kept > s.few_starts) return {kept * s.screen_draws, 0, s.first_screen, grown};
    if (affordable)
        return {std::min(kept * s.pool_draws, std::max(s.pool_size, kept * s.screen_draws)), 0,
                std::clamp(iterations / 5, s.first_screen, s.pool_screen), grown};
    return {kept * s.screen_draws, s.first_screen, std::clamp(iterations / 10, s.first_screen, s.last_screen), 0};
}

std::vector<std::size_t> every_index(std::size_t n) {
    std::vector<std::size_t> all(n);
    std::iota(all.begin(), all.end(), std::size_t{0});
    return all;
}

std::vector<std::size_t> by_fitness(std::vector<std::size_t> among, const Descents& descents) {
    std::stable_sort(among.begin(), among.end(), [&](std::size_t a, std::size_t b) {
        return descents[a]->record().best_error() < descents[b]->record().best_error();
    });
    return among;
}

std::vector<std::size_t> lowest(std::vector<std::size_t> among, const Descents& descents, std::size_t count) {
    among = by_fitness(std::move(among), descents);
    among.resize(std::min(count, among.size()));
    std::sort(among.begin(), among.end());
    return among;
}

void keep_screened(std::vector<std::size_t>& active, const Descents& descents, std::size_t kept) {
    const std::vector<std::size_t> best = lowest(every_index(descents.size()), descents, kept);
    std::erase_if(active, [&](std::size_t k) { return !std::binary_search(best.begin(), best.end(), k); });
}

double lowest_error(const Descents& descents) {
    double b = 10000.0;
    for (const auto& d : descents)
        if (d) b = std::min(b, d->record().best_error());
    return b;
}

std::vector<std::size_t> lowest_distinct(const Descents& descents, std::size_t kept, double distinct) {
    const auto error = [&](std::size_t k) { return descents[k]->record().best_error(); };
    std::vector<std::size_t> chosen;
    for (const std::size_t k : by_fitness(every_index(descents.size()), descents)) {
        if (chosen.size() == kept) break;
        if (chosen.empty() || std::fabs(error(chosen.back()) - error(k)) > distinct * error(k)) chosen.push_back(k);
    }
    return chosen;
}

}  // namespace tvx
