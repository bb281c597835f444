// The Gradient training's measures of a weight vector and their
// derivatives: both errors, the gradient of the squared error by
// back-propagation, the residuals and their normal equations.
#include <algorithm>
#include <numeric>

#include "core/fault.h"
#include "neural/example_passes.h"
#include "neural/gradient.h"

namespace tvx {

namespace {

// The weights that residual `o` of an example depends on: every
// input-to-hidden weight, and the hidden-to-output weights of output o.
std::vector<std::size_t> residual_weights(const NetShape& shape, std::size_t o) {
    const auto nh = static_cast<std::size_t>(shape.nhidden), nout = static_cast<std::size_t>(shape.nout);
    std::vector<std::size_t> index(shape.output_block());
    std::iota(index.begin(), index.end(), std::size_t{0});
    for (std::size_t h = 0; h < nh; ++h) index.push_back(shape.output_block() + h * nout + o);
    return index;
}

}  // namespace

Errors errors_of(std::span<const double> weights, const Problem& p) {
    return over_examples(weights, p.exemplar, p.shape, p.nexem, [](auto, const NodeTable&) {});
}

Errors error_gradient(std::span<const double> weights, std::span<const double> exemplar, const NetShape& shape,
                      std::int16_t nexem, std::span<double> gradient) {
    const auto nin = static_cast<std::size_t>(shape.nin);
    const auto nhidden = static_cast<std::size_t>(shape.nhidden);
    const auto nout = static_cast<std::size_t>(shape.nout);
    const double* v = weights.data() + shape.output_block();
    double* gv = gradient.data() + shape.output_block();
    std::fill(gradient.begin(), gradient.end(), 0.0);
    std::vector<double> d_out(nout), d_hidden(nhidden);
    const Errors e = over_examples(weights, exemplar, shape, nexem, [&](auto example, const NodeTable& nodes) {
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
    });
    for (double& g : gradient) g = chk(g / nexem);
    return e;
}

Errors normal_equations(std::span<const double> weights, const Problem& p, std::span<double> jtj, std::span<double> jtr,
                        std::span<double> jacobian, std::span<double> residual) {
    const NetShape& shape = p.shape;
    const auto nin = static_cast<std::size_t>(shape.nin), nh = static_cast<std::size_t>(shape.nhidden);
    const auto nout = static_cast<std::size_t>(shape.nout);
    const std::size_t n = shape.weights();
    const double* v = weights.data() + shape.output_block();
    std::fill(jtj.begin(), jtj.end(), 0.0);
    std::fill(jtr.begin(), jtr.end(), 0.0);
    std::vector<std::vector<std::size_t>> index(nout);
    for (std::size_t o = 0; o < nout; ++o) index[o] = residual_weights(shape, o);
    std::vector<double> row(index[0].size()), slope(nh);
    std::fill(jacobian.begin(), jacobian.end(), 0.0);
    std::size_t k = 0;  // the residual's index
    const Errors e = over_examples(weights, p.exemplar, shape, p.nexem, [&](auto example, const NodeTable& nodes) {
        for (std::size_t h = 0; h < nh; ++h) slope[h] = 0.5 * (1.0 - nodes.hidden[h] * nodes.hidden[h]);
        for (std::size_t o = 0; o < nout; ++o) {
            // The residual's derivatives: by the input-to-hidden weights
            // (input i, hidden h), then by output o's weights from each h.
            const double out = nodes.output[o], r = out - example[nin + o], a = 0.5 * (1.0 - out * out);
            for (std::size_t i = 0; i < nin; ++i)
                for (std::size_t h = 0; h < nh; ++h) row[i * nh + h] = a * v[h * nout + o] * slope[h] * nodes.input[i];
            for (std::size_t h = 0; h < nh; ++h) row[nin * nh + h] = a * nodes.hidden[h];
            const std::vector<std::size_t>& at = index[o];
            if (!jacobian.empty()) {
                residual[k] = r;
                for (std::size_t x = 0; x < at.size(); ++x) jacobian[k * n + at[x]] = row[x];
            }
            ++k;
            // Row x of the derivatives belongs to weight position(x).
            const auto accumulate = [&](auto position) {
                for (std::size_t x = 0; x < at.size(); ++x) {
                    jtr[position(x)] += row[x] * r;
                    double* line = jtj.data() + position(x) * n;
                    const double rx = row[x];
                    for (std::size_t y = 0; y <= x; ++y) line[position(y)] += rx * row[y];
                }
            };
            if (nout == 1)  // every weight bears on the one output, in order: no index to follow
                accumulate([](std::size_t x) { return x; });
            else
                accumulate([&at](std::size_t x) { return at[x]; });
        }
    });
    // The indices rise along each list, so only the lower triangle was
    // formed; mirror it.
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < i; ++j) jtj[j * n + i] = jtj[i * n + j];
    for (const double x : jtj) chk(x);
    for (const double x : jtr) chk(x);
    return e;
}

void residuals_of(std::span<const double> weights, const Problem& p, std::span<double> residual) {
    const auto nin = static_cast<std::size_t>(p.shape.nin), nout = static_cast<std::size_t>(p.shape.nout);
    std::size_t k = 0;
    over_examples(weights, p.exemplar, p.shape, p.nexem, [&](auto example, const NodeTable& nodes) {
        for (std::size_t o = 0; o < nout; ++o) residual[k++] = nodes.output[o] - example[nin + o];
    });
}

}  // namespace tvx
