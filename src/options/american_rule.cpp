#include "options/american_rule.h"

#include <algorithm>
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

// Half a unit of the fourth decimal: what the window shows as 0.
inline constexpr double kHalfUnit = 0.00005;

// The grid's six valuations (its Gamma read off the value grid), and how
// far they lie from the method in shares of what the rule allows: the
// largest of each value's gap and the Delta's (american_referee.h).
struct GridSix {
    Sensitivities s;
    double gap = 0;
};

// The six, each within the bounds of an American option and held against
// the method unless the grid is forced; none when one lies beyond the
// tolerance or the grid faults (the fault raised when the grid is forced).
std::optional<GridSix> grid_six(const OptionTerms& terms, AmericanMethod method, BoundaryCache& cache) {
    // The solver's grid is laid around the spot, so bumping the spot moves
    // the whole grid and the bumped values are nearly linear in S: their
    // second difference misses almost all of the curvature. Gamma is read
    // instead off the value grid of the unbumped valuation, the first of
    // the six.
    GridSix g;
    AmericanCentre centre;
    bool first = true;
    struct DoesNotStand {};  // the rest of the six need not be valued on the grid
    const bool refereed = method == AmericanMethod::Rule;
    const Valuation routine = [&](const OptionTerms& o) {
        const AmericanCentre c = solver_usa_centre(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype);
        if (refereed) g.gap = std::max(g.gap, grid_value_gap(c.value, o, cache, serving_life(o, terms)));
        if (g.gap > 1.0) throw DoesNotStand{};
        checked_american_value(c.value, o);
        if (first) centre = c, first = false;
        return c.value;
    };
    try {
        g.s = *sensitivities(routine, terms);
    } catch (const DoesNotStand&) {
        return std::nullopt;
    } catch (const RuntimeError&) {
        if (method == AmericanMethod::Grid) throw;
        return std::nullopt;
    }
    g.s.gamma = grid_gamma(centre, terms.spot);
    if (refereed) {
        const std::array<OptionTerms, 6> bumped = bumped_terms(terms);
        g.gap = std::max(g.gap, grid_delta_gap(g.s.delta, bumped[1], bumped[2], cache));
    }
    return g;
}

// An American value never falls as the life or the volatility grows: a
// grid whose Theta or Vega shows a fall (deep in the money, where the
// right value hardly moves) does not stand either.
bool shows_a_fall(const Sensitivities& s) { return s.theta < -kHalfUnit || s.vega < -kHalfUnit; }

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
        const std::optional<GridSix> grid = grid_six(terms, method_, cache_);
        const bool refereed = method_ == AmericanMethod::Rule;
        if (grid && (!refereed || (grid->gap <= 1.0 && !shows_a_fall(grid->s)))) return {grid->s, AmericanValuer::Grid};
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
