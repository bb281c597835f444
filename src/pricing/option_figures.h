// The value of an option and its five sensitivities, in the program's
// conventions.
#pragma once

namespace tvx {

struct Sensitivities {
    double value = 0;
    double delta = 0;  // per dollar of spot
    double gamma = 0;  // per dollar of spot, squared
    double theta = 0;  // per year of remaining life (positive when longer life is worth more)
    double vega = 0;   // per unit of volatility
    double rho = 0;    // per unit of rate
};

}  // namespace tvx
