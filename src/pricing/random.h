// The application's one uniform generator. The Monte Carlo routine resets
// it at every call so that a valuation replays the same draws; the neural-net
// training draws from it without ever resetting it.
#pragma once

namespace tvx {

// A draw from [0, 1): a single-precision value widened to double.
double uniform();

// Puts the generator back into its one fixed state.
void reset_uniform();

}  // namespace tvx
