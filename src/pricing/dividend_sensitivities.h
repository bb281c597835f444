// The value and the five sensitivities of an option with a cash dividend
// schedule, in the program's conventions (Theta per year of remaining
// life, the ex-dates held where they are; Vega and Rho per unit), by the
// exact methods whatever the window's precision:
//
//   European, spot model: the exact integrals (spot_dividend_european.h),
//   Delta and Gamma from one solve over the spot and its two neighbours,
//   the others central differences of the value, each input moved a
//   thousandth of itself either way;
//   European, escrowed model: the closed form and its analytic
//   sensitivities (escrowed_european.h);
//   American, either model: the finite-difference solver
//   (dividend_american.h), Delta and Gamma read off its grid, the others
//   central differences on the same layout.
#pragma once

#include <cstdint>
#include <span>

#include "pricing/cash_dividends.h"
#include "pricing/option_figures.h"

namespace tvx {

// The arguments of solver_euro and the dividends within the life
// (dividends_within), at least one.
struct DividendOption {
    double t = 0, sigma = 0, r = 0, strike = 0, spot = 0, yield = 0;
    std::int16_t optype = 0;
    std::span<const CashDividend> dividends;
    DividendModel model = DividendModel::Spot;
};

double european_dividend_value(const DividendOption& o);
Sensitivities european_dividend_sensitivities(const DividendOption& o);

double american_dividend_value(const DividendOption& o);
Sensitivities american_dividend_sensitivities(const DividendOption& o);

}  // namespace tvx
