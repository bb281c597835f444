// The network file: a trained network as text, one number per line, lines
// ending in CR LF. In order: nin, nhidden, nout; for each input node its
// maximum and minimum; the same for each output node; then the weights in
// index order. A non-negative number is written after one blank, reals with
// up to 15 significant digits.
#pragma once

#include <string>
#include <vector>

#include "neural/files.h"
#include "neural/network.h"

namespace tvx {

struct LoadedNet {
    NetShape shape;
    Ranges ranges;
    std::vector<double> weights;
};

// The file's text for this network.
std::string network_text(const NetShape& shape, const Ranges& ranges, const std::vector<double>& weights);

// Writes the file whole or not at all (ReplacingFile): the text goes to a
// temporary file in the same folder, which replaces the old file only once it is complete.
// On any failure the old file stays as it was, the temporary file is
// removed, and a run-time error is raised.
void write_network_file(const std::string& filename, const NetShape& shape, const Ranges& ranges,
                        const std::vector<double>& weights);

// Reads a network file. Counts outside nin 1..10, nout 1..4, nhidden >= 1,
// a line that is not a number and a file shorter than its counts require
// are run-time errors; nothing is sized by a count before it is checked.
LoadedNet load_net(const std::string& filename);

}  // namespace tvx
