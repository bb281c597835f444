// The SVI slice and the SSVI surface: the butterfly function against
// Gatheral and Jacquier's published counterexample, the density it gives,
// and the surface's slices in raw form; the fits recovering known slices.
#include <gtest/gtest.h>

#include <cmath>

#include "smile/ssvi.h"
#include "smile/svi.h"
#include "smile/svi_fit.h"

namespace tvx {
namespace {

// Vogt's slice, Gatheral and Jacquier (2014), section 5: arbitrage in the
// butterfly sense although its wings pass Lee's bound. The minimum of g
// and where, to 1e-3, as they give it.
TEST(Svi, VogtsSliceHasNegativeButterflyFunction) {
    const SviParams vogt{-0.0410, 0.1331, 0.3060, 0.3586, 0.4153};
    const GMin g = svi_g_min(vogt, -g_scan_half_width(vogt), g_scan_half_width(vogt));
    EXPECT_NEAR(g.value, -0.0329, 1e-3);
    EXPECT_NEAR(g.at, 0.879, 1e-3);
    EXPECT_LE(lee_wing(vogt), kLeeBound);
    EXPECT_GT(svi_min_variance(vogt), 0.0);
}

// A slice free of arbitrage has a density: it integrates to 1 and its
// mean of e^k, the forward's ratio, is 1 (the forward is a martingale).
TEST(Svi, DensityOfArbitrageFreeSliceIsProbability) {
    const SviParams p{0.02, 0.1, -0.5, 0.03, 0.2};
    double mass = 0, mean = 0;
    const double h = 1e-3;
    for (double k = -6.0; k <= 6.0; k += h) {
        const double d = svi_density(p, k);
        EXPECT_GE(d, 0.0);
        mass += d * h;
        mean += std::exp(k) * d * h;
    }
    EXPECT_NEAR(mass, 1.0, 1e-6);
    EXPECT_NEAR(mean, 1.0, 1e-6);
}

// The SSVI slice is a raw SVI slice (Gatheral-Jacquier lemma 3.3); its
// parameters inside the power law's bounds give g >= 0 and a slope within
// Lee's bound at every at-the-money variance.
TEST(Ssvi, SlicesAreRawSviFreeOfButterflyArbitrage) {
    const SsviParams p{-0.7, 1.4, 0.4};  // eta (1 + |rho|) = 2.38 > 2: outside the guarantee
    const SsviParams sound{-0.7, 1.1, 0.4};
    for (const double theta : {0.001, 0.02, 0.1, 0.5, 2.0}) {
        const SviParams raw = ssvi_slice(p, theta);
        for (const double k : {-1.5, -0.3, 0.0, 0.2, 1.0}) EXPECT_NEAR(svi_w(raw, k), ssvi_w(p, theta, k), 1e-14);
        const SviParams s = ssvi_slice(sound, theta);
        const double half = g_scan_half_width(s);
        EXPECT_GE(svi_g_min(s, -half, half).value, 0.0) << theta;
        EXPECT_LE(lee_wing(s), kLeeBound);
    }
}

SviData sample(const SviParams& p, double from, double to, int n) {
    SviData d;
    for (int i = 0; i < n; ++i) {
        const double k = from + (to - from) * i / (n - 1);
        d.k.push_back(k);
        d.w.push_back(svi_w(p, k));
        d.weight.push_back(1.0);
    }
    return d;
}

// Exact points of a known slice come back, whichever sign a has; the
// quasi-explicit start alone comes close, the polish the rest of the way.
TEST(SviFit, RecoversKnownSlices) {
    const SviParams slices[] = {
        {0.04, 0.4, -0.7, 0.05, 0.1},               // a short equity smile
        {0.12, 0.15, -0.4, 0.1, 0.35},              // a long one
        {-0.0410, 0.1331, 0.3060, 0.3586, 0.4153},  // Vogt's, a below 0
        {0.01, 0.05, 0.2, -0.05, 0.05},             // a sharp, symmetric-ish one
    };
    for (const SviParams& p : slices) {
        const SviData d = sample(p, -0.6, 0.6, 41);
        const SviParams fit = fit_svi(d);
        for (std::size_t i = 0; i < d.k.size(); ++i) EXPECT_NEAR(svi_w(fit, d.k[i]), d.w[i], 1e-9) << p.a;
        EXPECT_NEAR(fit.rho, p.rho, 1e-5);
        EXPECT_NEAR(fit.sigma, p.sigma, 1e-5);
        EXPECT_LE(svi_objective(fit, d), svi_objective(svi_start(d), d));
    }
}

// The fit never leaves the bounds it promises, even for points no slice
// within them reaches (a total variance rising by 3 per unit of k).
TEST(SviFit, KeepsLeesBoundAndPositiveVarianceOnWildPoints) {
    SviData d;
    for (int i = 0; i < 11; ++i) {
        const double k = -0.5 + 0.1 * i;
        d.k.push_back(k);
        d.w.push_back(k < 0 ? 0.01 : 0.01 + 3.0 * k);
        d.weight.push_back(1.0);
    }
    const SviParams fit = fit_svi(d);
    EXPECT_LE(lee_wing(fit), kLeeBound + 1e-12);
    EXPECT_GE(svi_min_variance(fit), 0.0);
}

}  // namespace
}  // namespace tvx
