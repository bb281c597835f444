// An American option on a share with cash dividends (and the continuous
// yield beside them), by finite differences: Crank-Nicolson on a grid in
// the logarithm of the spot (spot model) or of the spot less the
// dividends' present value (escrowed model), stepped back from the expiry
// with every ex-date on the time grid; the grid's nodes crowd between the
// strike and the spot, where the value bends most, and each interval's
// steps crowd towards the kink it starts from. At each ex-date the jump condition
// carries the values across the drop (spot model: the value before at S is
// the value after at S - D, by cubic interpolation, or a worthless share's
// below D; escrowed model: nothing moves, only what exercise pays), and
// the early-exercise condition holds on both sides: after the drop with
// the price without the dividend, before it with the dividend still in.
// Two fully implicit half steps follow the expiry and every ex-date, which
// damp the oscillations a kink would set off, and the early-exercise
// constraint is met by the Brennan-Schwartz elimination at every step.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "pricing/cash_dividends.h"

namespace tvx {

// How finely one set of terms is resolved: the grid's nodes in the
// logarithm of the price, evenly spaced in xi where ln S = centre + scale
// sinh(xi), so that they crowd between the strike and the spot, one of
// them on the spot;
// and the time steps between ex-dates. A sensitivity's bumped terms keep
// the layout of the terms themselves, so that its differences are of one
// discretisation.
struct DividendGrid {
    double centre = 0, scale = 1;  // where in ln S the nodes crowd, and the width they crowd within
    double step = 0;               // in xi
    int below = 0, above = 0;      // nodes below and above the spot's
    std::vector<int> steps;        // for each interval between ex-dates, from the valuation to the expiry
};

// The layout for these terms: the arguments of solver_usa, the dividends
// within the life (dividends_within) and the model.
DividendGrid dividend_grid(double t, double Sigma, double r, double x, double S, double delta,
                           std::span<const CashDividend> dividends, DividendModel model);

struct DividendAmericanValue {
    double value = 0, delta = 0, gamma = 0;  // at the spot, per dollar of it
};

// The option on the layout; `dividends` as for dividend_grid (any times
// within the life: the layout's steps are spread over the intervals they
// make). Faults on t, Sigma, x or S not above 0, an escrowed spot not
// above 0, and overflow.
DividendAmericanValue dividend_american(const DividendGrid& grid, double t, double Sigma, double r, double x, double S,
                                        double delta, std::int16_t optype, std::span<const CashDividend> dividends,
                                        DividendModel model);

// One value on the layout for these terms.
double dividend_american_value(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype,
                               std::span<const CashDividend> dividends, DividendModel model);

}  // namespace tvx
