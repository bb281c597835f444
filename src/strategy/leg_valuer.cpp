#include "strategy/leg_valuer.h"

#include "options/american_bounds.h"
#include "options/style_values.h"
#include "pricing/closed_form.h"
#include "pricing/dividend_sensitivities.h"
#include "pricing/exercise_boundary.h"

namespace tvx {

struct LegValuer::Solved {
    double life, sigma, r, yield;
    std::int16_t optype;
    ExerciseBoundary boundary;
};

LegValuer::LegValuer(Precision precision, std::vector<CashDividend> dividends, DividendModel model)
    : precision_(precision), dividends_(std::move(dividends)), model_(model), rule_(AmericanMethod::Rule, precision) {}

std::vector<CashDividend> LegValuer::ahead(double elapsed, double life) const {
    std::vector<CashDividend> later;
    for (const CashDividend& d : dividends_)
        if (d.time > elapsed) later.push_back({d.time - elapsed, d.amount});
    return dividends_within(later, life);
}
LegValuer::~LegValuer() = default;

const ExerciseBoundary& LegValuer::boundary(const OptionTerms& o, double life) const {
    for (const std::unique_ptr<Solved>& s : solved_) {
        if (s->life == life && s->sigma == o.sigma && s->r == o.r && s->yield == o.yield && s->optype == o.optype)
            return s->boundary;
    }
    solved_.push_back(std::make_unique<Solved>(Solved{
        life, o.sigma, o.r, o.yield, o.optype, ExerciseBoundary(life, o.sigma, o.r, o.strike, o.yield, o.optype)}));
    return solved_.back()->boundary;
}

double LegValuer::value(const OptionTerms& o, LegStyle style, double life) const {
    if (!dividends_.empty()) {
        const std::vector<CashDividend> d = ahead(life - o.t, o.t);
        const DividendOption x{o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype, d, model_};
        if (!d.empty() && style == LegStyle::American) return american_dividend_value(x);
        if (style == LegStyle::European) return european_dividend_value(x);
    }
    // A call without a yield is worth its European value, by the closed
    // form as the rule gives it.
    if (style == LegStyle::European || (o.optype == 0 && o.yield == 0.0)) return european_value(o, precision_);
    const double whole = life < o.t ? o.t : life;
    // The bound check stays the last guard of every American value.
    return checked_american_value(boundary(o, whole).value(o.spot, o.t, o.strike), o);
}

std::vector<double> LegValuer::steps(const OptionTerms& o, LegStyle style) const {
    const bool closed_form = style == LegStyle::European || (o.optype == 0 && o.yield == 0.0);
    // With cash dividends every European value is exact: it has no steps.
    if (!dividends_.empty() && style == LegStyle::European) return {};
    if (!closed_form || precision_ == Precision::Exact) return {};
    const std::array<double, 2> at = solver_euro_steps(o.t, o.sigma, o.r, o.strike, o.yield);
    return {at[0], at[1]};
}

Sensitivities LegValuer::sensitivities(const OptionTerms& terms, LegStyle style) const {
    if (!dividends_.empty()) {
        const std::vector<CashDividend> d = ahead(0.0, terms.t);
        const DividendOption x{terms.t,     terms.sigma,  terms.r, terms.strike, terms.spot,
                               terms.yield, terms.optype, d,       model_};
        if (style == LegStyle::European) return european_dividend_sensitivities(x);
        if (!d.empty()) return american_dividend_sensitivities(x);
    }
    return style == LegStyle::American ? rule_.sensitivities(terms).s : european_sensitivities(terms, precision_);
}

}  // namespace tvx
