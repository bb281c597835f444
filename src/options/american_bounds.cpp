#include "options/american_bounds.h"

#include "core/fault.h"
#include "core/numbers.h"
#include "pricing/closed_form.h"

namespace tvx {

// Measured with bench/studies/american_bounds.cpp over 20,000 random
// ordinary terms (lives 0.02 to 5 years, volatilities 0.05 to 1.2, rates and
// yields 0 to 15 %, strikes within 0.7 in log of the spot): where the
// distribution of the price stays on the grid (the drift over the life
// within one standard deviation) and the strike lies inside it, the solver's
// value falls below the European one by at most 0.0009 times
// sigma sqrt(t) max(S, K), the dollar size of one standard deviation of the
// price over the life. The allowance is a little over twice that.
inline constexpr double kDiscretisation = 0.002;
// The closed form's cumulative normal is within 1e-5 of the exact one, and
// the value takes two of them, weighted by at most S and K.
inline constexpr double kClosedForm = 2e-5;
// Node 0 of the price grid is S up to a few dozen roundings.
inline constexpr double kGridRounding = 1e-12;

double american_allowance(const OptionTerms& o) {
    const double level = maximum(o.spot, o.strike);
    const double spread = chk(chk(o.sigma * fsqrt(o.t)) * level);
    return chk(chk(kDiscretisation * spread) + chk(chk(kClosedForm + kGridRounding) * chk(o.spot + o.strike)));
}

double checked_american_value(double v, const OptionTerms& o) {
    const bool call = o.optype == 0;
    const double allowance = american_allowance(o);
    const double exercise = payoff(o.spot, o.strike, o.optype);
    // The holder of a put gets at most the strike, paid at once or later
    // (worth more later only when the rate is negative); the holder of a
    // call at most the asset, at once or at expiry (worth more then only
    // when the yield is negative).
    const double growth = fexp(chk(-(call ? o.yield : o.r) * o.t));
    const double ceiling = chk((call ? o.spot : o.strike) * maximum(1.0, growth));
    const double european = solver_euro(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype);
    const double floor = maximum(exercise, european);
    if (v < chk(floor - allowance) || v > chk(ceiling + allowance))
        throw RuntimeError("the solver's value lies outside the bounds of an American option");
    return v;
}

}  // namespace tvx
