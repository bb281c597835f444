#include "smile/ssvi.h"

#include <algorithm>
#include <cmath>

#include "core/fault.h"
#include "smile/least_squares.h"

namespace tvx {

namespace {

constexpr double kRhoMost = 0.999;

// rho = 0.999 tanh(u0), gamma = (1 + tanh(u1)) / 4 in (0, 1/2), eta =
// (1 + tanh(u2)) / (1 + |rho|) in (0, 2 / (1 + |rho|)).
SsviParams map(const double* u) {
    SsviParams p;
    p.rho = kRhoMost * std::tanh(u[0]);
    p.gamma = 0.25 * (1.0 + std::tanh(u[1]));
    p.eta = (1.0 + std::tanh(u[2])) / (1.0 + std::fabs(p.rho));
    return p;
}

std::vector<double> unmap(const SsviParams& p) {
    const double rho = std::clamp(p.rho, -0.99 * kRhoMost, 0.99 * kRhoMost);
    const double gamma = std::clamp(p.gamma, 0.01, 0.49);
    const double eta = std::clamp(p.eta * (1.0 + std::fabs(rho)), 0.01, 1.99);
    return {std::atanh(rho / kRhoMost), std::atanh(4.0 * gamma - 1.0), std::atanh(eta - 1.0)};
}

}  // namespace

double ssvi_phi(const SsviParams& p, double theta) {
    return chk(p.eta * std::pow(theta, -p.gamma) * std::pow(1.0 + theta, p.gamma - 1.0));
}

double ssvi_w(const SsviParams& p, double theta, double k) {
    const double phi = ssvi_phi(p, theta);
    const double x = phi * k + p.rho;
    return chk(0.5 * theta * (1.0 + p.rho * phi * k + fsqrt(x * x + 1.0 - p.rho * p.rho)));
}

SviParams ssvi_slice(const SsviParams& p, double theta) {
    const double phi = ssvi_phi(p, theta);
    const double root = fsqrt(1.0 - p.rho * p.rho);
    SviParams s;
    s.a = 0.5 * theta * (1.0 - p.rho * p.rho);
    s.b = 0.5 * theta * phi;
    s.rho = p.rho;
    s.m = -fdiv(p.rho, phi);
    s.sigma = fdiv(root, phi);
    return s;
}

SsviParams fit_ssvi(const std::vector<SsviSlice>& slices, double rho_start) {
    LeastSquares problem;
    problem.parameters = 3;
    for (const SsviSlice& s : slices) problem.residuals += static_cast<int>(s.data.k.size());
    problem.evaluate = [&slices](const double* u, double* r, double*) {
        const SsviParams p = map(u);
        for (const SsviSlice& s : slices) {
            const double phi = ssvi_phi(p, s.theta), rest = 1.0 - p.rho * p.rho;
            for (std::size_t i = 0; i < s.data.k.size(); ++i) {
                const double x = phi * s.data.k[i] + p.rho;
                const double w = 0.5 * s.theta * (1.0 + p.rho * phi * s.data.k[i] + std::sqrt(x * x + rest));
                *r++ = chk(std::sqrt(s.data.weight[i]) * (w - s.data.w[i]));
            }
        }
    };
    // A few starts of the power law's shape; the best fit stands.
    std::vector<double> best;
    double best_sum = 0;
    for (const double gamma : {0.1, 0.25, 0.45}) {
        for (const double eta : {0.3, 1.0}) {
            const std::vector<double> u = least_squares(problem, unmap({rho_start, eta, gamma}), 300);
            const double sum = squared_sum(problem, u);
            if (best.empty() || sum < best_sum) best = u, best_sum = sum;
        }
    }
    return map(best.data());
}

}  // namespace tvx
