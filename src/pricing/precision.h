// Which figures the option valuations give. Standard: the program's own
// design (the cumulative normal N of five decimals, the sensitivities as
// differences of six valuations, American options on the grid held against
// the exercise-boundary method). Exact (Advanced > Exact Values): the
// normal distribution to double precision, the closed form's analytic
// sensitivities, American options by the exercise-boundary method at its
// full accuracy.
#pragma once

namespace tvx {

enum class Precision { Standard, Exact };

}  // namespace tvx
