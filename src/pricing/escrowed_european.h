// A European option under the escrowed model of cash dividends: the closed
// form on the exact normal distribution with the spot less the present
// value of the dividends within the life, and its analytic sensitivities.
#pragma once

#include <cstdint>
#include <span>

#include "pricing/cash_dividends.h"
#include "pricing/option_figures.h"

namespace tvx {

// S less the dividends' present value at rate r; an ArithmeticError when
// that is not above 0.
double escrowed_spot(double S, double r, std::span<const CashDividend> dividends);

// The arguments of solver_euro and the dividends within the life. Delta
// and Gamma are per dollar of the spot itself (the reduced spot moves with
// it one for one); Theta moves the expiry with the ex-dates held; Rho
// includes the dividends' present value moving with the rate.
Sensitivities escrowed_european(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype,
                                std::span<const CashDividend> dividends);

}  // namespace tvx
