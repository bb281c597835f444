// The simulations' uniform draws. The Monte Carlo routine resets its
// generator at every call so that a valuation replays the same draws; the
// neural-net trainings draw from the application's state (core/random.h),
// never reset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/random.h"

namespace tvx {

// A draw from [0, 1): a single-precision value widened to double.
double uniform();

// Puts the generator back into its one fixed state.
void reset_uniform();

// The generator's 32-bit outputs, for callers that take many draws at a
// time: uniform_words() shows the outputs the next calls of uniform() would
// use (at least one, at most a few hundred), and uniform_skip(k) marks the
// first k of them taken. Taking k words this way and turning each into a
// draw with uniform_of leaves the generator, and gives the draws, exactly
// as k calls of uniform() would.
std::span<const std::uint32_t> uniform_words();
void uniform_skip(std::size_t k);

}  // namespace tvx
