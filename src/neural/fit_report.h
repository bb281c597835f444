// How closely a trained network fits its examples, output by output, in the
// units of the training file rather than in the scaled units of the
// network's error.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "neural/files.h"
#include "neural/network.h"

namespace tvx {

struct OutputError {
    double rms = 0.0;      // root mean square over the examples
    double largest = 0.0;  // the largest magnitude
};

// For each output node j: the errors (output - target) of the nexem
// examples of `set`, times that node's range (maximum - minimum), which
// turns a scaled difference back into the file's units.
std::vector<OutputError> output_errors(std::span<const double> weights, const TrainingSet& set, const NetShape& shape,
                                       std::int16_t nexem);

// One line per output node, joined by line feeds: "Output node 1: root mean
// square error 4.702, largest 12.31 (training file units)", figures to four
// significant digits.
std::string output_errors_text(const std::vector<OutputError>& errors);

}  // namespace tvx
