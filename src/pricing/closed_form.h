// The closed-form European value, the cumulative normal and the payoff
// shared by every pricing path.
//
// Every valuation routine of the main window takes its arguments in the same
// order: time to expiry t (years), volatility Sigma, rate r, strike x, asset
// price S, dividend yield delta (annual, continuous, decimal fractions) and
// the type flag optype (0 call, anything else put).
#pragma once

#include <array>
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

// Where solver_euro steps as the asset price moves: N's two halves meet 4e-6
// apart at 0 (N(0) is 0.500002, N just below 0 is 0.499998), so the value
// jumps by a few millionths of the price where d1 or d2 crosses 0, at
// x e^(-(r - delta + Sigma^2/2) t) and x e^(-(r - delta - Sigma^2/2) t).
// From those prices up, d is at or above 0.
std::array<double, 2> solver_euro_steps(double t, double Sigma, double r, double x, double delta);

// Exercise value of a call or put at asset price S, never negative.
double payoff(double S, double K, std::int16_t op_type);

}  // namespace tvx
