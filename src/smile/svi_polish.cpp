// The least-squares polish of an SVI slice over all five parameters.
#include <algorithm>
#include <cmath>

#include "core/fault.h"
#include "smile/least_squares.h"
#include "smile/svi_fit.h"

namespace tvx {

namespace {

constexpr double kRhoMost = 0.999;
constexpr double kSigmaLeast = 1e-4;
constexpr double kSigmaMost = 10.0;

// The unconstrained coordinates u of a slice and the slice they stand for:
//   rho = 0.999 tanh(u2), sigma between its bounds by tanh(u4),
//   b = L (1 + tanh(u1)) / 2 with Lee's L = 2 / (1 + |rho|),
//   a = u0^2 - b sigma sqrt(1 - rho^2), so that the least w is u0^2.
struct Mapped {
    SviParams p;
    // The derivatives of (a, b, rho, sigma) that the chain rule needs.
    double da_du0, db_du1, drho_du2, dsigma_du4, db_drho, da_db, da_drho, da_dsigma;
};

Mapped map(const double* u) {
    Mapped m{};
    const double t2 = std::tanh(u[2]), t1 = std::tanh(u[1]), t4 = std::tanh(u[4]);
    SviParams& p = m.p;
    p.rho = kRhoMost * t2;
    m.drho_du2 = kRhoMost * (1.0 - t2 * t2);
    p.sigma = kSigmaLeast + 0.5 * (kSigmaMost - kSigmaLeast) * (1.0 + t4);
    m.dsigma_du4 = 0.5 * (kSigmaMost - kSigmaLeast) * (1.0 - t4 * t4);
    const double abs_rho = std::fabs(p.rho);
    const double lee = 2.0 / (1.0 + abs_rho);
    p.b = 0.5 * lee * (1.0 + t1);
    m.db_du1 = 0.5 * lee * (1.0 - t1 * t1);
    m.db_drho = -p.b * (p.rho < 0 ? -1.0 : 1.0) / (1.0 + abs_rho);
    const double root = std::sqrt(1.0 - p.rho * p.rho);
    p.a = u[0] * u[0] - p.b * p.sigma * root;
    p.m = u[3];
    m.da_du0 = 2.0 * u[0];
    m.da_db = -p.sigma * root;
    m.da_dsigma = -p.b * root;
    m.da_drho = p.b * p.sigma * p.rho / root;
    return m;
}

std::vector<double> unmap(const SviParams& p) {
    const double rho = std::clamp(p.rho, -0.99 * kRhoMost, 0.99 * kRhoMost);
    const double sigma = std::clamp(p.sigma, 1.01 * kSigmaLeast, 0.99 * kSigmaMost);
    const double lee = 2.0 / (1.0 + std::fabs(rho));
    const double b = std::clamp(p.b, 1e-6 * lee, 0.999 * lee);
    const double least = p.a + b * sigma * std::sqrt(1.0 - rho * rho);
    return {std::sqrt(std::max(least, 1e-10)), std::atanh(2.0 * b / lee - 1.0), std::atanh(rho / kRhoMost), p.m,
            std::atanh(2.0 * (sigma - kSigmaLeast) / (kSigmaMost - kSigmaLeast) - 1.0)};
}

void residuals(const SviData& data, const double* u, double* r, double* jac) {
    const Mapped m = map(u);
    const SviParams& p = m.p;
    for (std::size_t i = 0; i < data.k.size(); ++i) {
        const double x = data.k[i] - p.m;
        const double root = std::sqrt(x * x + p.sigma * p.sigma);
        const double scale = std::sqrt(data.weight[i]);
        r[i] = chk(scale * (p.a + p.b * (p.rho * x + root) - data.w[i]));
        if (!jac) continue;
        // w's partial derivatives in (a, b, rho, m, sigma), then the chain rule.
        const double dw_db = p.rho * x + root, dw_drho = p.b * x, dw_dm = -p.b * (p.rho + x / root);
        const double dw_dsigma = p.b * p.sigma / root;
        const double total_db = dw_db + m.da_db;
        double* row = jac + 5 * i;
        row[0] = scale * m.da_du0;
        row[1] = scale * total_db * m.db_du1;
        row[2] = scale * (dw_drho + m.da_drho + total_db * m.db_drho) * m.drho_du2;
        row[3] = scale * dw_dm;
        row[4] = scale * (dw_dsigma + m.da_dsigma) * m.dsigma_du4;
    }
}

}  // namespace

SviParams fit_svi(const SviData& data) {
    const SviParams start = svi_start(data);
    LeastSquares problem;
    problem.parameters = 5;
    problem.residuals = static_cast<int>(data.k.size());
    problem.analytic = true;
    problem.evaluate = [&data](const double* u, double* r, double* jac) { residuals(data, u, r, jac); };
    const std::vector<double> u = least_squares(problem, unmap(start));
    const SviParams polished = map(u.data()).p;
    return svi_objective(polished, data) <= svi_objective(start, data) ? polished : start;
}

}  // namespace tvx
