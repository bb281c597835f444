#include "neural/gradient.h"

#include <algorithm>
#include <numeric>

#include "core/fault.h"
#include "neural/parallel.h"
#include "neural/training_progress.h"

namespace tvx {

namespace {

constexpr double kGrow = 1.2;
constexpr double kShrink = 0.5;
constexpr double kFirstStep = 0.1;
constexpr double kLargestStep = 8.0;
constexpr double kSmallestStep = 1e-8;

double sign(double x) { return x > 0.0 ? 1.0 : (x < 0.0 ? -1.0 : 0.0); }

// The descents that go on after each tenth of the iterations: the better
// half by fitness so far (the first of equals), but never fewer than this.
constexpr std::size_t kFewestGoingOn = 4;

void keep_better_half(std::vector<std::size_t>& active, const std::vector<Descent>& descents) {
    std::stable_sort(active.begin(), active.end(),
                     [&](std::size_t a, std::size_t b) { return descents[a].best_error < descents[b].best_error; });
    active.resize(std::min(active.size(), std::max(kFewestGoingOn, (active.size() + 1) / 2)));
    std::sort(active.begin(), active.end());
}

}  // namespace

Errors error_gradient(std::span<const double> weights, std::span<const double> exemplar, const NetShape& shape,
                      std::int16_t nexem, std::span<double> gradient) {
    const auto nin = static_cast<std::size_t>(shape.nin);
    const auto nhidden = static_cast<std::size_t>(shape.nhidden);
    const auto nout = static_cast<std::size_t>(shape.nout);
    const std::size_t width = shape.example_width();
    const double* v = weights.data() + shape.output_block();
    double* gv = gradient.data() + shape.output_block();
    std::fill(gradient.begin(), gradient.end(), 0.0);
    NodeTable nodes(shape);
    std::vector<double> d_out(nout), d_hidden(nhidden);
    double sum = 0.0;
    double squares = 0.0;
    for (std::size_t k = 0; k < static_cast<std::size_t>(nexem); ++k) {
        const std::span<const double> example = exemplar.subspan(k * width, width);
        feed_forward(weights, example.first(nin), nodes, shape);
        const double distance = example_error(nodes, example.subspan(nin), shape);
        sum += distance;
        squares += distance * distance;
        // d squared distance / d sum of output t: 2 (o - target) * 0.5 (1 - o^2).
        for (std::size_t t = 0; t < nout; ++t) {
            const double o = nodes.output[t];
            d_out[t] = (o - example[nin + t]) * (1.0 - o * o);
        }
        for (std::size_t s = 0; s < nhidden; ++s) {
            const double h = nodes.hidden[s];
            double back = 0.0;
            for (std::size_t t = 0; t < nout; ++t) {
                gv[s * nout + t] += d_out[t] * h;
                back += d_out[t] * v[s * nout + t];
            }
            d_hidden[s] = back * 0.5 * (1.0 - h * h);
        }
        for (std::size_t i = 0; i < nin; ++i) {
            const double x = nodes.input[i];
            for (std::size_t s = 0; s < nhidden; ++s) gradient[i * nhidden + s] += d_hidden[s] * x;
        }
    }
    for (double& g : gradient) g = chk(g / nexem);
    return {fdiv(sum, nexem), fdiv(squares, nexem)};
}

Descent::Descent(std::vector<double> start)
    : weights(std::move(start)),
      step(weights.size(), kFirstStep),
      last_gradient(weights.size(), 0.0),
      last_change(weights.size(), 0.0),
      best(weights) {}

void rprop_update(Descent& d, std::span<const double> gradient, const Errors& errors) {
    if (errors.fitness < d.best_error) {
        d.best_error = errors.fitness;
        d.best = d.weights;
    }
    const double error = errors.squared;
    const bool worse = d.last_error >= 0.0 && error > d.last_error;
    for (std::size_t i = 0; i < d.weights.size(); ++i) {
        const double g = gradient[i];
        const double turn = g * d.last_gradient[i];
        double& w = d.weights[i];
        const double before = w;
        if (turn < 0.0) {
            d.step[i] = std::max(d.step[i] * kShrink, kSmallestStep);
            if (worse) w -= d.last_change[i];
            d.last_gradient[i] = 0.0;
        } else {
            if (turn > 0.0) d.step[i] = std::min(d.step[i] * kGrow, kLargestStep);
            w -= sign(g) * d.step[i];
            d.last_gradient[i] = g;
        }
        w = std::clamp(w, -kWeightBound, kWeightBound);
        d.last_change[i] = turn < 0.0 ? 0.0 : w - before;
    }
    d.last_error = error;
}

bool train_gradient(const NetShape& shape, std::int16_t nexem, std::span<const double> exemplar,
                    std::vector<double>& result, std::int16_t iterations, std::int16_t restarts, Pmeter& pmeter,
                    UserInterface& ui, const Draw& draw) {
    const std::size_t w = shape.weights();
    const auto r = static_cast<std::size_t>(restarts);
    std::vector<Descent> descents;
    descents.reserve(r);
    for (std::size_t k = 0; k < r; ++k) {
        std::vector<double> start(w);
        for (double& x : start) x = (2.0 * draw() - 1.0) * kStartScale;
        descents.emplace_back(std::move(start));
    }
    std::vector<std::vector<double>> gradients(r, std::vector<double>(w));

    std::vector<std::size_t> active(r);
    std::iota(active.begin(), active.end(), std::size_t{0});
    const Pump pump = [&ui] { ui.yield(); };
    training_progress_start(pmeter, ui, iterations);
    int tenths = 0;
    for (int v = 1; v <= iterations; ++v) {
        for_each_index_parallel(
            active.size(),
            [&](std::size_t i) {
                const std::size_t k = active[i];
                const Errors e = error_gradient(descents[k].weights, exemplar, shape, nexem, gradients[k]);
                rprop_update(descents[k], gradients[k], e);
            },
            pump);
        if (10 * v >= iterations * (tenths + 1)) {
            ++tenths;
            keep_better_half(active, descents);
        }
        double best = 10000.0;
        for (const Descent& d : descents) best = std::min(best, d.best_error);
        if (training_progress_step(pmeter, ui, v, iterations, best)) return false;
    }
    progress_hide(ui, pmeter);

    std::size_t choice = 0;
    for (std::size_t k = 1; k < r; ++k)
        if (descents[k].best_error < descents[choice].best_error) choice = k;
    result = descents[choice].best;
    return true;
}

}  // namespace tvx
