// American style: the finite-difference solver for the value, its
// sensitivities and the implied volatility, held against the
// exercise-boundary method wherever it values (american_rule.h); calls
// without a dividend yield are worth their European value and take the
// closed form.
#include "core/numbers.h"
#include "options/american_rule.h"
#include "options/robust_implied.h"
#include "options/routes.h"
#include "options/style_values.h"
#include "pricing/closed_form.h"
#include "pricing/exact_closed_form.h"

namespace tvx {

inline constexpr const char* kAmericanSuccessTitle = "Computation Output";

double european_value(const OptionTerms& o, Precision precision) {
    const RoutineFn f = precision == Precision::Exact ? solver_euro_exact : solver_euro;
    return f(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype);
}

Sensitivities european_sensitivities(const OptionTerms& o, Precision precision) {
    if (precision == Precision::Exact)
        return exact_euro_sensitivities(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype);
    return *sensitivities(valuation_of(solver_euro), o);  // no hook, so never cancelled
}

double american_value(const OptionTerms& o, Precision precision) {
    return AmericanRule(AmericanMethod::Rule, precision).value(o).value;
}

Sensitivities american_sensitivities(const OptionTerms& terms, Precision precision) {
    return AmericanRule(AmericanMethod::Rule, precision).sensitivities(terms).s;
}

namespace {

// A grid valuation of the search that the referee does not let stand.
struct GridCannot {};

// The window's search always values by the solver, for dividend-free calls
// too: on the grid while the referee lets every one of its values stand,
// again on the exercise-boundary method from the start when one does not.
SearchResult window_search(RouteContext& cx, double price, const OptionTerms& terms, AmericanValuer& valuer) {
    AmericanRule rule(cx.options.american_method);
    if (rule.method() != AmericanMethod::Boundary) {
        const bool refereed = rule.method() == AmericanMethod::Rule;
        const Valuation on_grid = [&](const OptionTerms& o) {
            const AmericanValue v = rule.solver_value(o);
            if (refereed && v.valuer != AmericanValuer::Grid) throw GridCannot{};
            return v.value;
        };
        try {
            valuer = AmericanValuer::Grid;
            return implied_vol(american_search(on_grid), price, terms);
        } catch (const GridCannot&) {}
    }
    valuer = AmericanValuer::Boundary;
    AmericanRule boundary(AmericanMethod::Boundary);
    const Valuation on_boundary = [&](const OptionTerms& o) { return boundary.solver_value(o).value; };
    return implied_vol(american_search(on_boundary), price, terms);
}

// The safeguarded search scans volatilities from 1e-6 to 10, far beyond
// where the grid values: each of its valuations follows the rule, and the
// answer's own valuation names the method.
SearchResult robust_search(RouteContext& cx, double price, const OptionTerms& terms, AmericanValuer& valuer) {
    AmericanRule rule(cx.options.american_method, cx.main.precision);
    // Exact figures invert the value shown: a call without dividend yield on
    // the exact closed form.
    const bool exact = rule.precision() == Precision::Exact;
    const auto valued = [&](const OptionTerms& o) { return exact ? rule.value(o) : rule.solver_value(o); };
    const SearchResult result =
        robust_implied([&](const OptionTerms& o) { return valued(o).value; }, price, terms, rule.precision());
    if (result.outcome == SearchOutcome::Success) {
        OptionTerms at = terms;
        at.sigma = result.sigma;
        valuer = valued(at).valuer;
    }
    return result;
}

}  // namespace

void american_route(RouteContext& cx, OptionTerms terms) {
    if (cx.main.optPrice) {
        terms.sigma = read_volatility(cx.main);
        const bool exact = cx.main.precision == Precision::Exact;
        const AmericanSensitivities s =
            AmericanRule(cx.options.american_method, cx.main.precision).sensitivities(terms);
        if (cx.options.results) cx.options.results->american_valuer = s.valuer;
        const bool chosen = cx.options.american_method == AmericanMethod::Boundary;
        // Exact figures say so in their own line, and it is the only one.
        const char* line = s.valuer != AmericanValuer::Boundary || exact ? ""
                           : chosen                                      ? kBoundaryChosenLine
                                                                         : kBoundaryValuedLine;
        const char* exact_line = s.valuer == AmericanValuer::ClosedForm ? kExactLine : kExactAmericanLine;
        cx.method = valuer_name(s.valuer);
        report_value(cx, s.s, {}, line, exact ? exact_line : "");
        return;
    }
    const double price = parse_number(cx.main.qqq2);
    AmericanValuer valuer = AmericanValuer::Grid;
    const bool safeguarded = cx.options.robust_search || cx.main.precision == Precision::Exact;
    const SearchResult result =
        safeguarded ? robust_search(cx, price, terms, valuer) : window_search(cx, price, terms, valuer);
    if (cx.options.results) cx.options.results->american_valuer = valuer;
    cx.method = valuer_name(valuer);
    report_search(cx, result, kAmericanSuccessTitle);
}

SearchVariant american_search(Valuation routine) {
    return search_variant(std::move(routine), SlopeGuard::Above, kAmericanSuccessTitle);
}

}  // namespace tvx
