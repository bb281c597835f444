#include "options/american_rule.h"

#include <array>
#include <optional>

#include "core/fault.h"
#include "options/american_bounds.h"
#include "pricing/american.h"
#include "pricing/closed_form.h"
#include "pricing/exact_closed_form.h"

namespace tvx {

namespace {

bool takes_closed_form(const OptionTerms& o) { return o.optype == 0 && o.yield == 0.0; }

// The life of a boundary that serves the valuation o of a Compute on base:
// the base's own life for the bump to a shorter life, o's otherwise.
double serving_life(const OptionTerms& o, const OptionTerms& base) { return o.t < base.t ? base.t : 0.0; }

// The grid's six valuations, each held against the method unless the grid
// is forced, and each within the bounds of an American option; none when
// one of them does not stand, their Delta lies too far from the method's
// or the grid faults, unless the grid is forced.
std::optional<Sensitivities> grid_sensitivities(const OptionTerms& terms, AmericanMethod method, BoundaryCache& cache) {
    // The solver's grid is laid around the spot, so bumping the spot moves
    // the whole grid and the bumped values are nearly linear in S: their
    // second difference misses almost all of the curvature. Gamma is read
    // instead off the value grid of the unbumped valuation, the first of
    // the six.
    AmericanCentre centre;
    bool first = true;
    struct DoesNotStand {};  // the rest of the six need not be valued on the grid
    const bool refereed = method == AmericanMethod::Rule;
    const Valuation routine = [&](const OptionTerms& o) {
        const AmericanCentre c = solver_usa_centre(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype);
        if (refereed && !grid_value_stands(c.value, o, cache, serving_life(o, terms))) throw DoesNotStand{};
        checked_american_value(c.value, o);
        if (first) centre = c, first = false;
        return c.value;
    };
    try {
        Sensitivities s = *sensitivities(routine, terms);
        const std::array<OptionTerms, 6> bumped = bumped_terms(terms);
        if (refereed && !grid_delta_stands(s.delta, bumped[1], bumped[2], cache)) return std::nullopt;
        s.gamma = grid_gamma(centre, terms.spot);
        return s;
    } catch (const DoesNotStand&) {
        return std::nullopt;
    } catch (const RuntimeError&) {
        if (method == AmericanMethod::Grid) throw;
        return std::nullopt;
    }
}

}  // namespace

const char* valuer_name(AmericanValuer valuer) {
    switch (valuer) {
        case AmericanValuer::ClosedForm: return "closed form";
        case AmericanValuer::Grid: return "grid";
        case AmericanValuer::Boundary: return "boundary";
    }
    return "";
}

AmericanValue AmericanRule::solver_value(const OptionTerms& o) {
    if (method_ != AmericanMethod::Boundary) {
        try {
            const double v = solver_usa(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype);
            // The bound check stays the last guard of every value shown.
            if (method_ == AmericanMethod::Grid || grid_value_stands(v, o, cache_))
                return {checked_american_value(v, o), AmericanValuer::Grid};
        } catch (const RuntimeError&) {
            // An unstable scheme, an arithmetic fault or a broken bound on
            // the grid: the method may still value the terms.
            if (method_ == AmericanMethod::Grid) throw;
        }
    }
    return {checked_american_value(boundary_value(o), o), AmericanValuer::Boundary};
}

bool AmericanRule::closed_form_values(const OptionTerms& o) const {
    return takes_closed_form(o) && (method_ != AmericanMethod::Boundary || precision_ == Precision::Exact);
}

AmericanValue AmericanRule::value(const OptionTerms& o) {
    if (closed_form_values(o)) {
        const RoutineFn f = precision_ == Precision::Exact ? solver_euro_exact : solver_euro;
        return {f(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype), AmericanValuer::ClosedForm};
    }
    return solver_value(o);
}

AmericanSensitivities AmericanRule::sensitivities(const OptionTerms& terms) {
    if (closed_form_values(terms)) {
        if (precision_ == Precision::Exact) {
            const OptionTerms& o = terms;
            return {exact_euro_sensitivities(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype),
                    AmericanValuer::ClosedForm};
        }
        return {*tvx::sensitivities(valuation_of(solver_euro), terms), AmericanValuer::ClosedForm};
    }
    if (method_ != AmericanMethod::Boundary) {
        if (const std::optional<Sensitivities> grid = grid_sensitivities(terms, method_, cache_))
            return {*grid, AmericanValuer::Grid};
    }
    // The method's six values: the spot's bumps and the shorter life from the
    // boundary of the terms, the volatility's and the rate's from their own.
    const Valuation routine = [&](const OptionTerms& o) {
        return checked_american_value(cache_.value(o, kBoundaryFull, serving_life(o, terms)), o);
    };
    // Exact figures take central differences of the method's values (a
    // longer life solves its own boundary).
    if (precision_ == Precision::Exact) return {central_sensitivities(routine, terms), AmericanValuer::Boundary};
    return {*tvx::sensitivities(routine, terms), AmericanValuer::Boundary};
}

}  // namespace tvx
