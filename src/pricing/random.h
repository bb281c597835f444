// The application's uniform draws. The Monte Carlo routine resets its
// generator at every call so that a valuation replays the same draws; the
// neural-net trainings draw from a state of their own, never reset.
#pragma once

namespace tvx {

// A draw from [0, 1): a single-precision value widened to double.
double uniform();

// Puts the generator back into its one fixed state.
void reset_uniform();

// The neural-net trainings' draws, from a generator state of their own:
// seeded once when the program starts and never reset. A training waiting
// in the event loop and a simulation started meanwhile (or the reverse)
// never take draws from each other's stream.
double application_uniform();

}  // namespace tvx
