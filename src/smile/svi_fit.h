// Fitting one expiry's raw SVI slice to its quotes' total variances.
//
// The start is quasi-explicit (Zeliade, 2009): for fixed m and sigma the
// slice is linear in (a, b rho sigma, b sigma), so those three come from a
// small constrained linear least-squares problem solved exactly (every face
// of its feasible set tried: 0 <= a <= the largest w, |rho| <= 1 and Lee's
// b (1 + |rho|) <= 2), leaving a search over (m, sigma) alone: a coarse
// grid, then Nelder-Mead. The polish is Levenberg-Marquardt over all five
// parameters, mapped so that |rho| < 1, Lee's bound and a total variance
// never below 0 hold at every step.
#pragma once

#include <vector>

#include "smile/svi.h"

namespace tvx {

// The points to fit: log-moneyness, total variance, and the weight of each
// squared residual in total variance.
struct SviData {
    std::vector<double> k, w, weight;
};

// Fewer points leave a slice unfitted.
inline constexpr int kSviLeastPoints = 5;

SviParams svi_start(const SviData& data);
SviParams fit_svi(const SviData& data);

// The weighted sum of squared residuals of a slice.
double svi_objective(const SviParams& p, const SviData& data);

}  // namespace tvx
