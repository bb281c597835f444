// Nonlinear least squares for the smile's fits: the sum of squared
// residuals minimised by Levenberg-Marquardt (Eigen's, after MINPACK),
// from a start, over unconstrained parameters (each fit maps its bounded
// parameters onto these itself).
#pragma once

#include <functional>
#include <vector>

namespace tvx {

struct LeastSquares {
    int parameters = 0;
    int residuals = 0;
    // Fills the residuals at x and, when `jacobian` is not null, their
    // derivatives row by row (residual i, parameter j at i * parameters + j).
    // Without `analytic`, the derivatives are central differences of the
    // residuals, and `jacobian` is always null.
    std::function<void(const double* x, double* residuals, double* jacobian)> evaluate;
    bool analytic = false;
};

// The parameters at the least sum found from `start`; the start itself
// when a step met an arithmetic fault or nothing better was found.
std::vector<double> least_squares(const LeastSquares& problem, std::vector<double> start, int max_evaluations = 400);

// The sum of squared residuals at x.
double squared_sum(const LeastSquares& problem, const std::vector<double>& x);

}  // namespace tvx
