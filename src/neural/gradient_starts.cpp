// Where the Gradient training's descents start: small or centred starts,
// the output weights fitted through the hidden layer, and the split of a
// hidden node that grows a network by one.
#include <algorithm>
#include <cmath>
#include <optional>

#include "core/fault.h"
#include "neural/descent.h"
#include "neural/example_passes.h"
#include "neural/gradient.h"

namespace tvx {

std::vector<std::size_t> constant_inputs(const Problem& p) {
    const auto nin = static_cast<std::size_t>(p.shape.nin), width = p.shape.example_width();
    const auto nexem = static_cast<std::size_t>(p.nexem);
    std::vector<std::size_t> constant;
    if (nexem < 2) return constant;
    for (std::size_t i = 0; i < nin; ++i) {
        bool same = true;
        for (std::size_t k = 1; k < nexem && same; ++k) same = p.exemplar[k * width + i] == p.exemplar[i];
        if (same) constant.push_back(i);
    }
    return constant;
}

namespace {

// The input a centred start centres each hidden node by: the first
// constant input with a nonzero value, where there is another input.
std::optional<std::size_t> bias_input(const Problem& p) {
    if (p.shape.nin < 2) return std::nullopt;
    for (const std::size_t i : constant_inputs(p))
        if (p.exemplar[i] != 0.0) return i;
    return std::nullopt;
}

// One centred start (StartSettings), `bias` the bias input if there is one
// (without it, each node's steepest point stays at the inputs' origin).
void draw_centred(std::vector<double>& start, const Problem& p, std::optional<std::size_t> bias, const Draw& draw) {
    const StartSettings& set = p.settings.starts;
    const auto nin = static_cast<std::size_t>(p.shape.nin), nh = static_cast<std::size_t>(p.shape.nhidden);
    const auto nexem = static_cast<std::size_t>(p.nexem);
    const std::size_t width = p.shape.example_width();
    // With m inputs beside the bias (or m inputs without one), slopes of
    // centred_slope / sqrt(m): their sum at an example spreads about as
    // one input's does.
    const double slope = set.centred_slope / std::sqrt(static_cast<double>(bias ? nin - 1 : nin));
    for (std::size_t h = 0; h < nh; ++h) {
        for (std::size_t i = 0; i < nin; ++i)
            if (i != bias) start[i * nh + h] = signed_draw(draw, slope);
        if (!bias) continue;
        const std::size_t k = drawn_index(draw, nexem);
        double sum = 0.0;
        for (std::size_t i = 0; i < nin; ++i)
            if (i != *bias) sum += start[i * nh + h] * p.exemplar[k * width + i];
        start[*bias * nh + h] = std::clamp(chk(-sum / p.exemplar[*bias]), -kWeightBound, kWeightBound);
    }
    for (std::size_t x = p.shape.output_block(); x < start.size(); ++x)
        start[x] = signed_draw(draw, set.centred_output);
}

// The output weights of `start` refitted through its hidden layer, each
// output on its own: with h the hidden nodes' values at an example,
// (H'H + ridge I) v = H'z over the examples, z = 2 atanh(t) the output sum
// that gives target t. Left as drawn where a target is not inside
// (-1, 1), which no training file's scaled target is.
void fit_output_weights(std::vector<double>& start, const Problem& p) {
    const auto nin = static_cast<std::size_t>(p.shape.nin), nh = static_cast<std::size_t>(p.shape.nhidden);
    const auto nout = static_cast<std::size_t>(p.shape.nout);
    const std::size_t width = p.shape.example_width();
    for (std::size_t x = 0; x < p.exemplar.size(); ++x)
        if (x % width >= nin && !(std::fabs(p.exemplar[x]) < 1.0)) return;
    std::vector<double> normal(nh * nh, 0.0), right(nh * nout, 0.0);  // H'H, and H'z for each output
    over_examples(start, p.exemplar, p.shape, p.nexem, [&](auto example, const NodeTable& nodes) {
        for (std::size_t i = 0; i < nh; ++i) {
            for (std::size_t j = 0; j < nh; ++j) normal[i * nh + j] += nodes.hidden[i] * nodes.hidden[j];
            for (std::size_t o = 0; o < nout; ++o)
                right[o * nh + i] += nodes.hidden[i] * chk(2.0 * std::atanh(example[nin + o]));
        }
    });
    for (std::size_t i = 0; i < nh; ++i)
        normal[i * nh + i] += p.settings.starts.output_ridge * static_cast<double>(p.nexem);
    if (!cholesky_factor(normal, nh)) return;
    for (std::size_t o = 0; o < nout; ++o) {
        const std::span<double> v(right.data() + o * nh, nh);
        cholesky_substitute(normal, v, nh);
        for (std::size_t h = 0; h < nh; ++h)
            start[p.shape.output_block() + h * nout + o] = std::clamp(chk(v[h]), -kWeightBound, kWeightBound);
    }
}

}  // namespace

std::vector<std::vector<double>> gradient_starts(std::size_t restarts, const Problem& p, bool centred,
                                                 const Draw& draw) {
    std::vector<std::vector<double>> starts(restarts, std::vector<double>(p.weights()));
    const std::optional<std::size_t> bias = bias_input(p);
    for (auto& start : starts) {
        // On Iris's three outputs the small starts fit a little closer.
        if (centred && p.shape.nout == 1) {
            draw_centred(start, p, bias, draw);
            fit_output_weights(start, p);
        } else
            for (double& x : start) x = signed_draw(draw, p.settings.starts.scale);
    }
    return starts;
}

std::vector<double> split_node(std::span<const double> w, const NetShape& s, std::size_t node, const Draw& draw,
                               const GrowSettings& grow) {
    // The spread lets the two halves part; the uneven shares too.
    const auto nin = static_cast<std::size_t>(s.nin), nh = static_cast<std::size_t>(s.nhidden);
    const auto nout = static_cast<std::size_t>(s.nout);
    const NetShape grown{s.nin, static_cast<std::int16_t>(s.nhidden + 1), s.nout};
    std::vector<double> out(grown.weights());
    for (std::size_t i = 0; i < nin; ++i) {
        std::copy_n(w.begin() + static_cast<std::ptrdiff_t>(i * nh), nh,
                    out.begin() + static_cast<std::ptrdiff_t>(i * (nh + 1)));
        out[i * (nh + 1) + nh] =
            std::clamp(w[i * nh + node] * (1.0 + signed_draw(draw, grow.spread)), -kWeightBound, kWeightBound);
    }
    const double share = 0.5 + signed_draw(draw, grow.share);
    std::copy_n(w.begin() + static_cast<std::ptrdiff_t>(s.output_block()), nh * nout,
                out.begin() + static_cast<std::ptrdiff_t>(grown.output_block()));
    for (std::size_t o = 0; o < nout; ++o) {
        const double v = w[s.output_block() + node * nout + o];
        out[grown.output_block() + node * nout + o] = v * share;
        out[grown.output_block() + nh * nout + o] = v * (1.0 - share);
    }
    return out;
}

}  // namespace tvx
