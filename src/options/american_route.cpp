// American style: the finite-difference solver for the value, its
// sensitivities and the implied volatility; calls without a dividend yield
// are worth their European value and take the closed form. Every value of
// the solver is checked against the bounds of an American option before it
// is used.
#include "core/numbers.h"
#include "options/american_bounds.h"
#include "options/robust_implied.h"
#include "options/routes.h"
#include "options/style_values.h"
#include "pricing/american.h"
#include "pricing/closed_form.h"

namespace tvx {

inline constexpr const char* kAmericanSuccessTitle = "Computation Output";

namespace {
bool takes_closed_form(const OptionTerms& o) { return o.optype == 0 && o.yield == 0.0; }
}  // namespace

double european_value(const OptionTerms& o) {
    return solver_euro(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype);
}

Sensitivities european_sensitivities(const OptionTerms& terms) {
    return *sensitivities(valuation_of(solver_euro), terms);  // no hook, so never cancelled
}

double american_value(const OptionTerms& o) {
    if (takes_closed_form(o)) return european_value(o);
    return checked_american_value(solver_usa(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype), o);
}

Sensitivities american_sensitivities(const OptionTerms& terms) {
    if (takes_closed_form(terms)) return european_sensitivities(terms);
    // The solver's grid is laid around the spot, so bumping the spot moves
    // the whole grid and the bumped values are nearly linear in S: their
    // second difference misses almost all of the curvature. Gamma is read
    // instead off the value grid of the unbumped valuation, the first of
    // the six.
    AmericanCentre centre;
    bool first = true;
    const Valuation routine = [&](const OptionTerms& o) {
        const AmericanCentre c = solver_usa_centre(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype);
        checked_american_value(c.value, o);
        if (first) centre = c, first = false;
        return c.value;
    };
    Sensitivities s = *sensitivities(routine, terms);
    s.gamma = grid_gamma(centre, terms.spot);
    return s;
}

void american_route(RouteContext& cx, OptionTerms terms) {
    if (cx.main.optPrice) {
        terms.sigma = read_volatility(cx.main);
        report_value(cx, american_sensitivities(terms));
        return;
    }
    // The search always uses the solver, for dividend-free calls too.
    const double price = parse_number(cx.main.qqq2);
    const Valuation checked_solver = [](const OptionTerms& o) {
        return checked_american_value(solver_usa(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype), o);
    };
    if (cx.options.robust_search) {
        report_search(cx, robust_implied(checked_solver, price, terms), kAmericanSuccessTitle);
        return;
    }
    const SearchVariant variant = american_search(checked_solver);
    report_search(cx, implied_vol(variant, price, terms), variant.success_title);
}

SearchVariant american_search(Valuation routine) {
    return search_variant(std::move(routine), SlopeGuard::Above, kAmericanSuccessTitle);
}

}  // namespace tvx
