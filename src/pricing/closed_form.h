// The closed-form European value, the cumulative normal and the two small
// helpers shared by every pricing path.
//
// Every valuation routine of the main window takes its arguments in the same
// order: time to expiry t (years), volatility Sigma, rate r, strike x, asset
// price S, dividend yield delta (annual, continuous, decimal fractions) and
// the type flag optype (0 call, anything else put).
#pragma once

#include <cstdint>

namespace tvx {

// Black-Scholes value in Merton's form with a continuous dividend yield.
// Faults (ArithmeticError) on t <= 0, Sigma = 0, x = 0, S / x <= 0 or an
// overflowing exponential; there is no special case for expiry.
double solver_euro(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype);

// Cumulative standard normal by Abramowitz and Stegun 26.2.16 (absolute
// error below 1e-5); the negative half is 1 - N(-x).
double N(double x);

// Exercise value of a call or put at asset price S, never negative.
double payoff(double S, double K, std::int16_t op_type);

// The larger of two numbers: x if x - y >= 0, else y; on a tie the first.
// For finite arguments (the only kind the program lets through) the rounded
// difference has the sign of the exact one and is zero only when x equals
// y, so comparing x and y directly picks the same operand, signed zeros
// included, and compiles to a single max instruction in the solver's loop.
inline double maximum(double x, double y) { return y > x ? y : x; }

}  // namespace tvx
