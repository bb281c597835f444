#include "pricing/dividend_sensitivities.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/fault.h"
#include "pricing/dividend_american.h"
#include "pricing/escrowed_european.h"
#include "pricing/spot_dividend_european.h"

namespace tvx {

namespace {

// Each input moves a thousandth of itself either way (a rate of 0 a
// millionth).
constexpr double kBump = 1e-3;
constexpr double kLeastRateBump = 1e-6;

// d value / d input by central differences of value(terms moved).
template <class Value>
double slope(const DividendOption& o, double DividendOption::*input, Value value) {
    const double h = std::max(std::fabs(chk(o.*input * kBump)), input == &DividendOption::r ? kLeastRateBump : 0.0);
    DividendOption down = o, up = o;
    down.*input = chk(o.*input - h);
    up.*input = chk(o.*input + h);
    // A life moved holds the ex-dates where they are, one on the expiry on it.
    std::vector<CashDividend> held_down, held_up;
    if (input == &DividendOption::t) {
        held_down = held_within(o.dividends, down.t), held_up = held_within(o.dividends, up.t);
        down.dividends = held_down, up.dividends = held_up;
    }
    return fdiv(chk(value(up) - value(down)), chk(2.0 * h));
}

// Theta, Vega and Rho of a value function.
template <class Value>
void time_vol_rate(const DividendOption& o, Value value, Sensitivities& s) {
    s.theta = slope(o, &DividendOption::t, value);
    s.vega = slope(o, &DividendOption::sigma, value);
    s.rho = slope(o, &DividendOption::r, value);
}

double spot_model_value(const DividendOption& o) {
    return spot_dividend_european(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype, o.dividends);
}

}  // namespace

double european_dividend_value(const DividendOption& o) {
    if (o.model == DividendModel::Escrowed)
        return escrowed_european(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype, o.dividends).value;
    return spot_model_value(o);
}

Sensitivities european_dividend_sensitivities(const DividendOption& o) {
    if (o.model == DividendModel::Escrowed)
        return escrowed_european(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype, o.dividends);
    const double h = chk(o.spot * kBump);
    const SpotDividendEuropean curve(o.t, o.sigma, o.r, o.strike, o.yield, o.optype, o.dividends, o.spot - h,
                                     o.spot + h);
    Sensitivities s;
    s.value = curve.value(o.spot);
    const double down = curve.value(o.spot - h), up = curve.value(o.spot + h);
    s.delta = fdiv(chk(up - down), chk(2.0 * h));
    s.gamma = fdiv(chk(chk(up - chk(2.0 * s.value)) + down), chk(h * h));
    time_vol_rate(o, spot_model_value, s);
    return s;
}

double american_dividend_value(const DividendOption& o) {
    return dividend_american_value(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype, o.dividends, o.model);
}

Sensitivities american_dividend_sensitivities(const DividendOption& o) {
    const DividendGrid grid = dividend_grid(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.dividends, o.model);
    // The bumped terms on the same layout (a life moved so far that two
    // ex-dates meet takes its own).
    const auto on_grid = [&](const DividendOption& b) {
        if (b.dividends.size() + 1 != grid.steps.size()) return american_dividend_value(b);
        return dividend_american(grid, b.t, b.sigma, b.r, b.strike, b.spot, b.yield, b.optype, b.dividends, b.model)
            .value;
    };
    const DividendAmericanValue base =
        dividend_american(grid, o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype, o.dividends, o.model);
    Sensitivities s;
    s.value = base.value, s.delta = base.delta, s.gamma = base.gamma;
    time_vol_rate(o, on_grid, s);
    return s;
}

}  // namespace tvx
