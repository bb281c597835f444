#include "neural/network_file.h"

#include <filesystem>

#include "core/fault.h"
#include "core/numbers.h"
#include "core/text_file.h"

namespace tvx {

namespace {

void put(std::string& out, double x) {
    const std::string text = general_text(x);
    if (text.front() != '-') out += ' ';
    out += text;
    out += "\r\n";
}

}  // namespace

std::string network_text(const NetShape& shape, const Ranges& ranges, const std::vector<double>& weights) {
    std::string out;
    put(out, shape.nin);
    put(out, shape.nhidden);
    put(out, shape.nout);
    for (std::size_t i = 0; i < ranges.in_max.size(); ++i) {
        put(out, ranges.in_max[i]);
        put(out, ranges.in_min[i]);
    }
    for (std::size_t j = 0; j < ranges.out_max.size(); ++j) {
        put(out, ranges.out_max[j]);
        put(out, ranges.out_min[j]);
    }
    for (const double w : weights) put(out, w);
    return out;
}

void write_network_file(const std::string& filename, const NetShape& shape, const Ranges& ranges,
                        const std::vector<double>& weights) {
    const std::string text = network_text(shape, ranges, weights);
    const std::filesystem::path target = resolve_file(filename);
    if (filename.empty() || !target.has_filename()) throw RuntimeError("no name for the network file");
    if (!write_file_whole(target, text)) throw RuntimeError("the network file could not be written");
}

LoadedNet load_net(const std::string& filename) {
    LineReader in(filename);
    auto number = [&in] { return parse_number(in.next()); };
    LoadedNet net;
    NetShape& s = net.shape;
    s.nin = round_int16(number());
    s.nhidden = round_int16(number());
    s.nout = round_int16(number());
    if (s.nin < 1 || s.nin > 10 || s.nout < 1 || s.nout > 4 || s.nhidden < 1)
        throw RuntimeError("the network's counts are out of bounds");
    for (int i = 0; i < s.nin; ++i) {
        net.ranges.in_max.push_back(number());
        net.ranges.in_min.push_back(number());
    }
    for (int j = 0; j < s.nout; ++j) {
        net.ranges.out_max.push_back(number());
        net.ranges.out_min.push_back(number());
    }
    // Read one by one: a short file fails before anything large is made.
    const std::size_t w = s.weights();
    for (std::size_t k = 0; k < w; ++k) net.weights.push_back(number());
    return net;
}

}  // namespace tvx
