#include "pricing/closed_form.h"

#include <numbers>

#include "core/fault.h"

namespace tvx {

double N(double x) {
    chk(x);
    if (x >= 0.0) {
        constexpr double p = 0.33267;
        constexpr double a1 = 0.4361836;
        constexpr double a2 = -0.1201676;
        constexpr double a3 = 0.937298;
        const double k = fdiv(1.0, 1.0 + p * x);
        const double poly = a1 * k + a2 * k * k + a3 * k * k * k;
        const double z = fexp(-chk(x * x) / 2.0) / std::sqrt(2.0 * std::numbers::pi);
        return 1.0 - z * poly;
    }
    return 1.0 - N(-x);
}

namespace {

struct D1 {
    double d1;
    double vol_root_t;  // Sigma sqrt(t)
};

D1 d1_of(double t, double Sigma, double r, double x, double S, double delta) {
    const double sqrt_t = fsqrt(t);
    const double vol_root_t = chk(Sigma * sqrt_t);
    return {fdiv(flog(fdiv(S, x)) + chk(chk(r - delta + chk(Sigma * Sigma) * 0.5) * t), vol_root_t), vol_root_t};
}

}  // namespace

double solver_euro(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype) {
    const auto [d1, vol_root_t] = d1_of(t, Sigma, r, x, S, delta);
    const double d2 = chk(d1 - vol_root_t);
    const double carry = fexp(chk(-delta * t));
    const double discount = fexp(chk(-r * t));
    if (optype == 0) {
        return chk(chk(chk(S * carry) * N(d1)) - chk(chk(x * discount) * N(d2)));
    }
    const double minus_d1 = -d1;
    const double minus_d2 = -d2;
    return chk(chk(chk(x * discount) * N(minus_d2)) - chk(chk(S * carry) * N(minus_d1)));
}

double euro_call_delta(double t, double Sigma, double r, double x, double S, double delta) {
    return chk(fexp(chk(-delta * t)) * N(d1_of(t, Sigma, r, x, S, delta).d1));
}

std::array<double, 2> solver_euro_steps(double t, double Sigma, double r, double x, double delta) {
    const double half_variance = chk(chk(Sigma * Sigma) * 0.5);
    return {chk(x * fexp(chk(-chk(r - delta + half_variance) * t))),
            chk(x * fexp(chk(-chk(r - delta - half_variance) * t)))};
}

double payoff(double S, double K, std::int16_t op_type) {
    const double gain = op_type == 0 ? chk(S - K) : chk(K - S);
    return gain > 0.0 ? gain : 0.0;
}

}  // namespace tvx
