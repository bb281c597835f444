// The forward pass over every example of a training in turn, for the
// Gradient training's derivatives and its fit of the output weights.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/fault.h"
#include "neural/fitness_kernel.h"
#include "neural/gradient.h"

namespace tvx {

// The forward pass over every example in turn, both measures added up,
// and visit(example, nodes) after each pass. The nodes come from the
// vector kernel, every example at once and to the same bits, unless some
// argument is beyond its range; then from feed_forward, which raises the
// fault where it occurs.
template <class Visit>
Errors over_examples(std::span<const double> weights, std::span<const double> exemplar, const NetShape& shape,
                     std::int16_t nexem, Visit visit) {
    const auto nin = static_cast<std::size_t>(shape.nin), nh = static_cast<std::size_t>(shape.nhidden);
    const auto nout = static_cast<std::size_t>(shape.nout), count = static_cast<std::size_t>(nexem);
    const std::size_t width = shape.example_width();
    NodeTable nodes(shape);
    thread_local std::vector<double> hidden, output;
    hidden.resize(count * nh);
    output.resize(count * nout);
    const bool vector =
        neural::vector_nodes(weights.data(), exemplar.data(), shape, count, hidden.data(), output.data());
    double sum = 0.0, squares = 0.0;
    for (std::size_t k = 0; k < count; ++k) {
        const std::span<const double> example = exemplar.subspan(k * width, width);
        if (vector) {
            std::copy_n(example.begin(), nin, nodes.input.begin());
            std::copy_n(hidden.begin() + static_cast<std::ptrdiff_t>(k * nh), nh, nodes.hidden.begin());
            std::copy_n(output.begin() + static_cast<std::ptrdiff_t>(k * nout), nout, nodes.output.begin());
        } else {
            feed_forward(weights, example.first(nin), nodes, shape);
        }
        const double distance = example_error(nodes, example.subspan(nin), shape);
        sum += distance;
        squares += distance * distance;
        visit(example, nodes);
    }
    return {fdiv(sum, nexem), fdiv(squares, nexem)};
}

}  // namespace tvx
