// The closed form (Black-Scholes in Merton's form with a continuous yield)
// on the exact normal distribution of normal.h, with its analytic
// sensitivities: what Advanced > Exact Values shows for a European option.
// Arguments as solver_euro's; it faults where solver_euro does (t <= 0,
// Sigma = 0, x = 0, S / x <= 0, an overflowing exponential).
#pragma once

#include <cstdint>

#include "pricing/option_figures.h"

namespace tvx {

// The terms but the volatility, worked out once: one logarithm and two
// exponentials; each volatility then costs one exponential and two
// rational functions, which serve the value and all five sensitivities.
class ExactClosedForm {
public:
    ExactClosedForm(double t, double r, double x, double S, double delta, std::int16_t optype);

    double value(double Sigma) const;
    // The value with Delta, Gamma, Theta (per year of remaining life), Vega
    // and Rho (per unit).
    Sensitivities sensitivities(double Sigma) const;

    // Both types' values at one volatility, with the vega (the same for
    // both) and d1, d2: what the implied-volatility search steps on.
    struct Point {
        double call, put, vega, d1, d2;
    };
    Point point(double Sigma) const;

    double spot_carry() const { return spot_carry_; }            // S e^(-q t)
    double strike_discount() const { return strike_discount_; }  // x e^(-r t)

private:
    struct Core;  // d1, d2, the density at d1 and both sides of N at each
    Core core(double Sigma) const;

    double t_, r_, delta_, S_, sqrt_t_, log_moneyness_;
    bool call_;
    double carry_, discount_, spot_carry_, strike_discount_, forward_ratio_;
};

double solver_euro_exact(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype);
Sensitivities exact_euro_sensitivities(double t, double Sigma, double r, double x, double S, double delta,
                                       std::int16_t optype);

}  // namespace tvx
