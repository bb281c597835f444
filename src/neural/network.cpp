#include "neural/network.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "core/fault.h"
#include "core/numbers.h"
#include "core/simd/exponential.h"
#include "neural/fitness_kernel.h"

namespace tvx {

double tanh(double x) {
    const double e = chk(exp_plain(x));
    const double inv = fdiv(1.0, e);
    return fdiv(e - inv, chk(e + inv));
}

NodeTable::NodeTable(const NetShape& shape)
    : input(static_cast<std::size_t>(shape.nin), 0.0),
      hidden(static_cast<std::size_t>(shape.nhidden), 0.0),
      output(static_cast<std::size_t>(shape.nout), 0.0) {}

namespace {

// One layer pair: target t = tanh(0.5 * sum_s w[s * targets + t] * source s).
// The sums are formed for all targets at once, source by source, which
// keeps each target's terms in ascending source order.
void propagate(const double* w, std::span<const double> source, std::span<double> target) {
    const std::size_t n = target.size();
    std::fill(target.begin(), target.end(), 0.0);
    for (std::size_t s = 0; s < source.size(); ++s) {
        const double v = source[s];
        const double* row = w + s * n;
        for (std::size_t t = 0; t < n; ++t) target[t] += row[t] * v;
    }
    for (double& t : target) t = tvx::tanh(0.5 * t);
}

}  // namespace

void feed_forward(std::span<const double> weights, std::span<const double> inputs, NodeTable& nodes,
                  const NetShape& shape) {
    std::copy_n(inputs.begin(), nodes.input.size(), nodes.input.begin());
    propagate(weights.data(), nodes.input, nodes.hidden);
    propagate(weights.data() + shape.output_block(), nodes.hidden, nodes.output);
}

double example_error(const NodeTable& nodes, std::span<const double> targets, const NetShape& shape) {
    double sum = 0.0;
    for (std::size_t k = 0; k < static_cast<std::size_t>(shape.nout); ++k) {
        const double d = nodes.output[k] - targets[k];
        sum += d * d;
    }
    return fsqrt(sum);
}

namespace {

// The scalar form: one example after another, every fault where it occurs.
double error_sum(std::span<const double> weights, std::span<const double> exemplar, const NetShape& shape,
                 std::size_t count) {
    NodeTable nodes(shape);
    const std::size_t width = shape.example_width();
    const std::size_t nin = static_cast<std::size_t>(shape.nin);
    double sum = 0.0;
    for (std::size_t k = 0; k < count; ++k) {
        const std::span<const double> example = exemplar.subspan(k * width, width);
        feed_forward(weights, example.first(nin), nodes, shape);
        sum += example_error(nodes, example.subspan(nin), shape);
    }
    return sum;
}

}  // namespace

double fitness(std::span<const double> weights, std::span<const double> exemplar, const NetShape& shape,
               std::int16_t nexem) {
    const std::size_t count = nexem > 0 ? static_cast<std::size_t>(nexem) : 0;
    if (weights.size() < shape.weights() || exemplar.size() < count * shape.example_width())
        throw std::invalid_argument("fitness: fewer weights or example values than the shape needs");
    // The examples side by side on SIMD vectors, laid out pass by pass, with
    // the same result; the scalar form when some activation's argument is
    // beyond the vector exponential's range, where it may fault.
    double sum = 0.0;
    if (!neural::vector_error_sum(weights.data(), exemplar.data(), nullptr, false, shape, count, &sum))
        sum = error_sum(weights, exemplar, shape, count);
    return fdiv(sum, nexem);
}

Examples::Examples(std::span<const double> exemplar, const NetShape& shape, std::int16_t nexem)
    : exemplar_(exemplar), shape_(shape), count_(nexem) {
    const std::size_t count = nexem > 0 ? static_cast<std::size_t>(nexem) : 0, width = shape.example_width();
    if (exemplar.size() < count * width)
        throw std::invalid_argument("fitness: fewer example values than the shape needs");
    // Eight values more than the layout, so that it can start on a 64-byte line.
    storage_.assign(neural::passes(count) * width * neural::pass_examples + 8, 0.0);
    offset_ = (64 - reinterpret_cast<std::uintptr_t>(storage_.data()) % 64) % 64 / sizeof(double);
    neural::lay_out(exemplar.data(), width, count, storage_.data() + offset_);
    input_bound_.assign(static_cast<std::size_t>(shape.nin), 0.0);
    for (std::size_t e = 0; e < count; ++e)
        for (std::size_t s = 0; s < input_bound_.size(); ++s) {
            const double x = std::fabs(exemplar[e * width + s]);
            if (std::isnan(x) || x > input_bound_[s]) input_bound_[s] = x;  // a NaN, once in, stays
        }
}

bool Examples::bounds(std::span<const double> weights) const {
    const std::size_t nin = input_bound_.size(), nh = static_cast<std::size_t>(shape_.nhidden);
    const std::size_t nout = static_cast<std::size_t>(shape_.nout);
    const auto within = [](double sum) { return 0.5 * sum <= neural::unchecked_argument; };  // false for a NaN
    for (std::size_t t = 0; t < nh; ++t) {
        double sum = 0.0;
        for (std::size_t s = 0; s < nin; ++s) sum += std::fabs(weights[s * nh + t]) * input_bound_[s];
        if (!within(sum)) return false;
    }
    const double* const wout = weights.data() + shape_.output_block();
    for (std::size_t o = 0; o < nout; ++o) {
        double sum = 0.0;
        for (std::size_t h = 0; h < nh; ++h) sum += std::fabs(wout[h * nout + o]);
        if (!within(sum)) return false;
    }
    return true;
}

double fitness(std::span<const double> weights, const Examples& examples) {
    const NetShape& shape = examples.shape();
    const std::int16_t nexem = examples.count();
    const std::size_t count = nexem > 0 ? static_cast<std::size_t>(nexem) : 0;
    if (weights.size() < shape.weights()) throw std::invalid_argument("fitness: fewer weights than the shape needs");
    double sum = 0.0;
    if (!neural::vector_error_sum(weights.data(), nullptr, examples.layout(), examples.bounds(weights), shape, count,
                                  &sum))
        sum = error_sum(weights, examples.exemplar(), shape, count);
    return fdiv(sum, nexem);
}

std::int16_t nearest(double x) { return round_int16(x); }

}  // namespace tvx
