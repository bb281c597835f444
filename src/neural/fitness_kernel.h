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

// The sum of the errors of the first `count` examples of `exemplar`, added
// in example order, into *sum: each example's forward pass and error by the
// same operations, in the same order, as feed_forward and example_error,
// with the activation's exponential in the same form as tanh's, so the sum
// is that of the scalar loop to the last bit. Runs unchecked; false (and
// *sum unset) when an activation's argument in some example lies beyond
// the vector exponential's range (|x| <= 706) or is not a number, the only
// way an evaluation can fault before its sum: the caller then runs the
// scalar form, which raises the fault where it occurs. False as well for a
// shape beyond the creation window's limits (1-10, 1-15, 1-4 nodes).
bool vector_error_sum(const double* weights, const double* exemplar, const NetShape& shape, std::size_t count,
                      double* sum);

}  // namespace tvx::neural
