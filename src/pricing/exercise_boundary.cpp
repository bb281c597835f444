#include "pricing/exercise_boundary.h"

#include <algorithm>
#include <cmath>

#include "core/fault.h"
#include "pricing/normal.h"

namespace tvx {

namespace {

// A put on (r, q) as it is; a call on (r, q) as the put on (q, r).
UnitPutTerms unit_terms(double t, double Sigma, double r, double delta, std::int16_t optype) {
    return optype == 0 ? UnitPutTerms{t, Sigma, delta, r} : UnitPutTerms{t, Sigma, r, delta};
}

// The European call by the exact normal distribution.
double european_call(double t, double Sigma, double r, double x, double S, double delta) {
    const double vol_root = chk(Sigma * std::sqrt(t));
    const double log_moneyness = flog(fdiv(S, x));
    const double dm = fdiv(chk(log_moneyness + chk((r - delta - 0.5 * Sigma * Sigma) * t)), vol_root);
    const double dp = dm + vol_root;
    return chk(chk(S * std::exp(chk(-delta * t))) * normal_cdf(dp) - chk(x * std::exp(chk(-r * t))) * normal_cdf(dm));
}

}  // namespace

ExerciseBoundary::ExerciseBoundary(double t, double Sigma, double r, double x, double delta, std::int16_t optype,
                                   const BoundarySettings& settings)
    : t_(t), sigma_(Sigma), r_(r), x_(x), delta_(delta), optype_(optype), european_(optype == 0 && delta <= 0.0) {
    chk(t), chk(Sigma), chk(r), chk(x), chk(delta);
    if (!(t > 0.0) || !(Sigma > 0.0) || !(r > 0.0) || !(x > 0.0))
        throw ArithmeticError("the exercise-boundary method needs a positive life, volatility, rate and strike");
    if (!european_) put_.emplace(unit_terms(t, Sigma, r, delta, optype), settings);
}

double ExerciseBoundary::value(double S, double life, double x) const {
    chk(S), chk(life), chk(x);
    if (!(S > 0.0) || !(x > 0.0) || !(life > 0.0) || life > t_)
        throw ArithmeticError(
            "the exercise-boundary method needs a positive spot and strike and a life it was solved for");
    if (european_) return european_call(life, sigma_, r_, x, S, delta_);
    // The put with strike x at spot S is x times the unit put at S / x; the
    // call is the put on (q, r) with spot and strike swapped.
    // Never below the exercise value, which the scaling could miss by an ulp.
    if (optype_ != 0) return chk(std::max(x * put_->value(fdiv(S, x), life), x - S));
    return chk(std::max(S * put_->value(fdiv(x, S), life), S - x));
}

double ExerciseBoundary::critical_price(double tau) const {
    if (european_) throw RuntimeError("a call without a yield is never exercised early");
    const double log_b = put_->log_critical(tau);
    return optype_ != 0 ? chk(x_ * std::exp(log_b)) : chk(x_ * std::exp(-log_b));
}

double solver_boundary(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype) {
    return ExerciseBoundary(t, Sigma, r, x, delta, optype).value(S);
}

}  // namespace tvx
