#include "neural/fit_report.h"

#include <algorithm>
#include <cmath>

#include "core/fault.h"
#include "core/numbers.h"

namespace tvx {

std::vector<OutputError> output_errors(std::span<const double> weights, const TrainingSet& set, const NetShape& shape,
                                       std::int16_t nexem) {
    const auto nin = static_cast<std::size_t>(shape.nin);
    const auto nout = static_cast<std::size_t>(shape.nout);
    const std::size_t width = shape.example_width();
    std::vector<OutputError> out(nout);
    std::vector<double> squares(nout, 0.0);
    NodeTable nodes(shape);
    const std::span<const double> exemplar = set.exemplar;
    // The scaled errors lie in (-1, 1): their squares are summed as they
    // are, and the range multiplies the root and the largest at the end, so
    // that a range near the largest double (1e200 in a training file)
    // gives its true figures instead of overflowing in the squares.
    for (std::size_t k = 0; k < static_cast<std::size_t>(nexem); ++k) {
        const std::span<const double> example = exemplar.subspan(k * width, width);
        feed_forward(weights, example.first(nin), nodes, shape);
        for (std::size_t j = 0; j < nout; ++j) {
            const double e = nodes.output[j] - example[nin + j];
            squares[j] = chk(squares[j] + e * e);
            out[j].largest = std::max(out[j].largest, std::fabs(e));
        }
    }
    for (std::size_t j = 0; j < nout; ++j) {
        const double range = std::fabs(chk(set.ranges.out_max[j] - set.ranges.out_min[j]));
        out[j].rms = chk(fsqrt(fdiv(squares[j], nexem)) * range);
        out[j].largest = chk(out[j].largest * range);
    }
    return out;
}

std::string output_errors_text(const std::vector<OutputError>& errors) {
    std::string text;
    for (std::size_t j = 0; j < errors.size(); ++j) {
        if (j > 0) text += '\n';
        text += "Output node " + std::to_string(j + 1) + ": root mean square error " + general_text(errors[j].rms, 4) +
                ", largest " + general_text(errors[j].largest, 4) + " (training file units)";
    }
    return text;
}

}  // namespace tvx
