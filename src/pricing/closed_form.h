// The closed-form European value, the cumulative normal and the payoff
// shared by every pricing path.
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

// The call's delta, dV/dS = e^(-delta t) N(d1), by the same d1 and N as
// solver_euro; the same faults.
double euro_call_delta(double t, double Sigma, double r, double x, double S, double delta);

// Cumulative standard normal by Abramowitz and Stegun 26.2.16 (absolute
// error below 1e-5); the negative half is 1 - N(-x).
double N(double x);

// Exercise value of a call or put at asset price S, never negative.
double payoff(double S, double K, std::int16_t op_type);

}  // namespace tvx
