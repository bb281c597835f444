#include "pricing/exact_closed_form.h"

#include <algorithm>
#include <cmath>

#include "core/fault.h"
#include "pricing/normal.h"

namespace tvx {

struct ExactClosedForm::Core {
    double vol_root, d1, d2;
    double density;  // phi(d1)
    NormalSides n1, n2;
};

ExactClosedForm::ExactClosedForm(double t, double r, double x, double S, double delta, std::int16_t optype)
    : t_(t), r_(r), delta_(delta), S_(S), call_(optype == 0) {
    sqrt_t_ = fsqrt(t);
    log_moneyness_ = flog(fdiv(S, x));
    carry_ = fexp(chk(-delta * t));
    discount_ = fexp(chk(-r * t));
    spot_carry_ = chk(S * carry_);
    strike_discount_ = chk(x * discount_);
    // e^(-d2^2/2) = e^(-d1^2/2) S e^(-q t) / (x e^(-r t)), whatever the
    // volatility: the second density needs no exponential of its own.
    const double ratio = strike_discount_ > 0.0 ? spot_carry_ / strike_discount_ : 0.0;
    forward_ratio_ = std::isfinite(ratio) ? ratio : 0.0;
}

ExactClosedForm::Core ExactClosedForm::core(double Sigma) const {
    Core c;
    c.vol_root = chk(Sigma * sqrt_t_);
    c.d1 = fdiv(log_moneyness_ + chk(chk(r_ - delta_ + chk(Sigma * Sigma) * 0.5) * t_), c.vol_root);
    c.d2 = chk(c.d1 - c.vol_root);
    const double g1 = half_square_exp(c.d1);
    const double by_ratio = g1 * forward_ratio_;
    // The product loses what the first density lost to underflow; then the
    // second is worked out on its own.
    const double g2 = g1 > 1e-250 && by_ratio > 1e-250 ? std::min(by_ratio, 1.0) : half_square_exp(c.d2);
    c.density = kInvSqrt2Pi * g1;
    c.n1 = normal_sides(c.d1, g1);
    c.n2 = normal_sides(c.d2, g2);
    return c;
}

double ExactClosedForm::value(double Sigma) const {
    const Core c = core(Sigma);
    if (call_) return chk(chk(spot_carry_ * c.n1.lower) - chk(strike_discount_ * c.n2.lower));
    return chk(chk(strike_discount_ * c.n2.upper) - chk(spot_carry_ * c.n1.upper));
}

ExactClosedForm::Point ExactClosedForm::point(double Sigma) const {
    const Core c = core(Sigma);
    return {chk(chk(spot_carry_ * c.n1.lower) - chk(strike_discount_ * c.n2.lower)),
            chk(chk(strike_discount_ * c.n2.upper) - chk(spot_carry_ * c.n1.upper)),
            chk(chk(spot_carry_ * c.density) * sqrt_t_), c.d1, c.d2};
}

Sensitivities ExactClosedForm::sensitivities(double Sigma) const {
    const Core c = core(Sigma);
    const double spot_density = chk(spot_carry_ * c.density);
    // The value's decay with the life through the volatility alone.
    const double decay = fdiv(chk(spot_density * Sigma), 2.0 * sqrt_t_);
    Sensitivities s;
    s.gamma = fdiv(chk(carry_ * c.density), chk(S_ * c.vol_root));
    s.vega = chk(spot_density * sqrt_t_);
    const double spot_part = chk(spot_carry_ * (call_ ? c.n1.lower : c.n1.upper));
    const double strike_part = chk(strike_discount_ * (call_ ? c.n2.lower : c.n2.upper));
    if (call_) {
        s.value = chk(spot_part - strike_part);
        s.delta = chk(carry_ * c.n1.lower);
        s.theta = chk(chk(decay - chk(delta_ * spot_part)) + chk(r_ * strike_part));
        s.rho = chk(t_ * strike_part);
    } else {
        s.value = chk(strike_part - spot_part);
        s.delta = 0.0 - chk(carry_ * c.n1.upper);  // 0, never -0, where the put is out of reach
        s.theta = chk(chk(decay + chk(delta_ * spot_part)) - chk(r_ * strike_part));
        s.rho = 0.0 - chk(t_ * strike_part);
    }
    return s;
}

double solver_euro_exact(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype) {
    return ExactClosedForm(t, r, x, S, delta, optype).value(Sigma);
}

Sensitivities exact_euro_sensitivities(double t, double Sigma, double r, double x, double S, double delta,
                                       std::int16_t optype) {
    return ExactClosedForm(t, r, x, S, delta, optype).sensitivities(Sigma);
}

}  // namespace tvx
