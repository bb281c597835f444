// The SSVI surface of Gatheral and Jacquier (2014): every expiry's slice
// from its at-the-money total variance theta,
//   w(k, theta) = theta / 2 (1 + rho phi k + sqrt((phi k + rho)^2 + 1 - rho^2)),
// with the power law phi(theta) = eta theta^-gamma (1 + theta)^(gamma - 1).
// With 0 < gamma <= 1/2, eta (1 + |rho|) <= 2 and theta rising with the
// expiry, the surface is free of static arbitrage; the fit keeps it so.
#pragma once

#include <vector>

#include "smile/svi.h"
#include "smile/svi_fit.h"

namespace tvx {

struct SsviParams {
    double rho = 0, eta = 1, gamma = 0.25;
};

double ssvi_phi(const SsviParams& p, double theta);
double ssvi_w(const SsviParams& p, double theta, double k);

// The same slice in raw SVI: a = theta (1 - rho^2) / 2, b = theta phi / 2,
// rho, m = -rho / phi, sigma = sqrt(1 - rho^2) / phi.
SviParams ssvi_slice(const SsviParams& p, double theta);

// One expiry's points, with its at-the-money total variance.
struct SsviSlice {
    double theta = 0;
    SviData data;
};

// The parameters that fit every slice's points at once, started from the
// given correlation.
SsviParams fit_ssvi(const std::vector<SsviSlice>& slices, double rho_start);

}  // namespace tvx
