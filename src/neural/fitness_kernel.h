// The fitness evaluation on SIMD vectors, one example per lane, built for
// every instruction set the SIMD library targets and chosen at run time
// (the same choice, and the same way to force one, as the simulation's:
// pricing/testing.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "neural/network.h"

namespace tvx::neural {

// The largest network the kernel takes: the creation window's limits.
inline constexpr std::int16_t max_inputs = 10, max_hidden = 15, max_outputs = 4;

// Examples the kernel takes side by side in a pass.
inline constexpr std::size_t pass_examples = 16;

// The largest activation argument that needs no check: the vector
// exponential covers |x| <= 706, and a bound computed in rounded arithmetic
// exceeds its exact value by far less than the difference.
inline constexpr double unchecked_argument = 700.0;

// The examples as the kernel reads them: pass after pass of pass_examples,
// each holding value v of an example (its inputs, then its targets) for
// example j of the pass at [v * pass_examples + j]; a last, partial pass
// padded with zeros. `out` holds passes(count) * width * pass_examples.
void lay_out(const double* exemplar, std::size_t width, std::size_t count, double* out);
inline std::size_t passes(std::size_t count) { return (count + pass_examples - 1) / pass_examples; }

// The sum of the errors of the first `count` examples, added in example
// order, into *sum: each example's forward pass and error by the same
// operations, in the same order, as feed_forward and example_error, with
// the activation's exponential in the same form as tanh's, so the sum is
// that of the scalar loop to the last bit. The examples come laid out
// (`layout`, aligned to 64 bytes) or else as `exemplar`'s rows, laid out
// pass by pass on the way. Unless `bounded` (the caller has shown that no
// argument can leave unchecked_argument), every activation's argument is
// checked: false (and *sum unset) when one in some example lies beyond the
// vector exponential's range (|x| <= 706) or is not a number, the only way
// an evaluation can fault before its sum; the caller then runs the scalar
// form, which raises the fault where it occurs. False as well for a shape
// beyond the creation window's limits (1-10, 1-15, 1-4 nodes).
bool vector_error_sum(const double* weights, const double* exemplar, const double* layout, bool bounded,
                      const NetShape& shape, std::size_t count, double* sum);

// Every node's value for the first `count` examples of `exemplar` (rows of
// nin inputs and nout targets), by the same operations as feed_forward, to
// the same bits: hidden node h of example k into hidden[k * nhidden + h],
// output o into output[k * nout + o]. Every argument is checked as in
// vector_error_sum: false, and the arrays not to be read, when one lies
// beyond the vector exponential's range or is not a number (the caller
// then runs feed_forward, which raises the fault), or for a shape beyond
// the creation window's limits.
bool vector_nodes(const double* weights, const double* exemplar, const NetShape& shape, std::size_t count,
                  double* hidden, double* output);

}  // namespace tvx::neural
