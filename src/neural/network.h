// The three-layer network the two neural-net windows share: its shape, the
// layout of its weight vector, the forward pass and the error measure both
// trainings minimise.
//
// Layers: 0 holds the inputs (1 to 10 nodes), 1 the hidden nodes (1 to 15),
// 2 the outputs (1 to 4). Consecutive layers are fully connected, with no
// bias terms. The weight vector holds nin*nhidden input-to-hidden weights
// followed by nhidden*nout hidden-to-output weights; inside each block the
// weights are source-major: the weight from node s of a layer to node t of
// the next sits at block offset + s * (size of the next layer) + t.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace tvx {

// Node counts of the three layers.
struct NetShape {
    std::int16_t nin = 0;
    std::int16_t nhidden = 0;
    std::int16_t nout = 0;

    // Length of the weight vector: (nin + nout) * nhidden.
    std::size_t weights() const { return static_cast<std::size_t>(nin + nout) * static_cast<std::size_t>(nhidden); }
    // Values per training example: nin inputs, then nout targets.
    std::size_t example_width() const { return static_cast<std::size_t>(nin + nout); }
    // Where the hidden-to-output block starts.
    std::size_t output_block() const { return static_cast<std::size_t>(nin) * static_cast<std::size_t>(nhidden); }
};

// The activation function, from one exponential: e = exp(x),
// (e - 1/e) / (e + 1/e), with the program's own exponential (exp_plain,
// core/simd/exponential.h), which the SIMD evaluation of fitness shares. An
// argument whose exponential overflows or vanishes is an arithmetic error.
double tanh(double x);

// The values of every node. Only the first size(L) entries of layer L mean
// anything; a table is made once and reused for many examples.
struct NodeTable {
    explicit NodeTable(const NetShape& shape);
    std::vector<double> input;
    std::vector<double> hidden;
    std::vector<double> output;
};

// Fills the input layer from `inputs` (nin values) and computes the hidden
// and output layers: node t of a layer is tanh(0.5 * sum over the source
// nodes s, in ascending order from 0, of weight(s, t) * source s).
void feed_forward(std::span<const double> weights, std::span<const double> inputs, NodeTable& nodes,
                  const NetShape& shape);

// The Euclidean distance between the output layer and the nout targets.
double example_error(const NodeTable& nodes, std::span<const double> targets, const NetShape& shape);

// The mean example_error over the nexem examples of `exemplar` (each one
// nin inputs followed by nout targets), the errors added in example order:
// computed on SIMD vectors, several examples side by side, to the same bits
// as the loop of feed_forward and example_error. Throws
// std::invalid_argument when the spans are shorter than the shape and
// nexem need.
double fitness(std::span<const double> weights, std::span<const double> exemplar, const NetShape& shape,
               std::int16_t nexem);

// A training's examples, laid out once for the SIMD evaluation (the
// examples of a pass side by side) rather than at every evaluation, with
// the largest magnitude of each input, which bounds every activation's
// argument under a given weight vector. Refers to `exemplar`, which must
// outlive it. Throws std::invalid_argument when exemplar holds fewer than
// nexem examples of the shape.
class Examples {
public:
    Examples(std::span<const double> exemplar, const NetShape& shape, std::int16_t nexem);
    Examples(const Examples&) = delete;
    Examples& operator=(const Examples&) = delete;

    std::span<const double> exemplar() const { return exemplar_; }
    const NetShape& shape() const { return shape_; }
    std::int16_t count() const { return count_; }
    // The laid-out values, 64-byte aligned.
    const double* layout() const { return storage_.data() + offset_; }
    // Whether no activation's argument under `weights` can leave the range
    // the evaluation covers without checking each one: |sum of w x| <= sum
    // of |w| max|x| for the hidden nodes, and |tanh| <= 1 for the outputs'
    // sources. False for a weight or input that is not finite.
    bool bounds(std::span<const double> weights) const;

private:
    std::span<const double> exemplar_;
    NetShape shape_;
    std::int16_t count_;
    std::vector<double> storage_;
    std::size_t offset_ = 0;
    std::vector<double> input_bound_;  // max |input s| over the examples
};

// fitness over prepared examples: the same result as over their exemplar.
// Throws std::invalid_argument when `weights` is shorter than the shape.
double fitness(std::span<const double> weights, const Examples& examples);

// One uniform draw from [0, 1) (a single-precision value). The trainings
// take their draws through this, in a fixed order on one thread; the
// program passes the application's generator.
using Draw = std::function<double()>;

// The integer nearest to x, ties to the even one (a 16-bit count).
std::int16_t nearest(double x);

}  // namespace tvx
