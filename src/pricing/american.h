// The American option solver: an explicit finite-difference scheme on 101
// nodes in the logarithm of the asset price, 1,700 steps back from expiry,
// with the early-exercise test at every node after every step.
#pragma once

#include <cstdint>

namespace tvx {

// Same arguments, in the same order, as solver_euro. Faults on t <= 0,
// Sigma = 0 and overflow.
double solver_usa(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype);

// The solver's result at S together with its two neighbouring nodes on the
// final value grid, one log-price step dx below and above.
struct AmericanCentre {
    double value = 0;  // node 0, equal to solver_usa's result
    double below = 0;  // node -1
    double above = 0;  // node +1
    double dx = 0;
};

AmericanCentre solver_usa_centre(double t, double Sigma, double r, double x, double S, double delta,
                                 std::int16_t optype);

// Gamma read off the value grid: the second derivative in S on the
// log-price grid, ((V(+1) - 2 V(0) + V(-1)) / dx^2 - (V(+1) - V(-1)) / (2 dx)) / S^2.
double grid_gamma(const AmericanCentre& c, double S);

}  // namespace tvx
