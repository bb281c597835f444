// How a training drives the progress window `pmeter`: the bar runs from 0
// to the number of steps (generations or iterations), the message gives the
// share done, and beside them stand the lowest error found so far, its
// curve step by step, the time taken and an estimate of the time left.
#pragma once

#include <optional>
#include <string>

#include "core/progress.h"
#include "core/user_interface.h"

namespace tvx {

// The progress message after `done` of `total` steps.
std::string training_progress_text(int done, int total);

// Prepares and shows the progress window for `total` steps, with an empty
// curve and the clock started.
void training_progress_start(Pmeter& pmeter, UserInterface& ui, int total);

// Shows `done` steps finished and `best`, the lowest error found so far
// (none when no network has been evaluated yet). True when the user has
// cancelled, in which case the window is hidden.
bool training_progress_step(Pmeter& pmeter, UserInterface& ui, int done, int total, std::optional<double> best);

// "Lowest average error so far: " and the last point of the curve to six
// significant digits; empty before the first point.
std::string best_error_text(const Pmeter& pmeter);

// "Elapsed 0:07", then ", about 1:05 left" once a step has finished; an
// hour or more reads "1:02:03".
std::string training_time_text(const Pmeter& pmeter);

// Seconds as "m:ss" or "h:mm:ss", rounded to whole seconds.
std::string clock_text(double seconds);

}  // namespace tvx
