// The American option solver: an explicit finite-difference scheme on 101
// nodes in the logarithm of the asset price, 1,700 steps back from expiry,
// with the early-exercise test at every node after every step.
#pragma once

#include <cstdint>

namespace tvx {

// Price nodes on the grid, -50 to 50 around the asset price.
inline constexpr int usa_nodes = 101;

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

// The number of time steps the solver takes for t and Sigma: t / dt rounded,
// with dt = dx^2 / (6 Sigma^2) and dx = 6 Sigma sqrt(t) / 101, so 1700 for
// every input that does not fault.
std::int16_t solver_usa_steps(double t, double Sigma);

// Gamma read off the value grid: the second derivative in S on the
// log-price grid, ((V(+1) - 2 V(0) + V(-1)) / dx^2 - (V(+1) - V(-1)) / (2 dx)) / S^2.
double grid_gamma(const AmericanCentre& c, double S);

}  // namespace tvx
