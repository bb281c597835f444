#include "smile/svi.h"

#include <cmath>

#include "core/fault.h"
#include "pricing/normal.h"

namespace tvx {

SviPoint svi_at(const SviParams& p, double k) {
    const double x = k - p.m;
    const double r = fsqrt(x * x + p.sigma * p.sigma);
    return {chk(p.a + p.b * (p.rho * x + r)), fdiv(p.b * (p.rho * r + x), r), fdiv(p.b * p.sigma * p.sigma, r * r * r)};
}

double svi_g(const SviParams& p, double k) {
    const SviPoint s = svi_at(p, k);
    const double skew = 1.0 - fdiv(k * s.w1, 2.0 * s.w);
    return chk(skew * skew - 0.25 * s.w1 * s.w1 * (fdiv(1.0, s.w) + 0.25) + 0.5 * s.w2);
}

double svi_min_variance(const SviParams& p) { return chk(p.a + p.b * p.sigma * fsqrt(1.0 - p.rho * p.rho)); }

GMin svi_g_min(const SviParams& p, double from, double to) {
    constexpr int kScan = 2000;
    const double step = (to - from) / kScan;
    GMin best{svi_g(p, from), from};
    for (int i = 1; i <= kScan; ++i) {
        const double k = from + i * step;
        const double g = svi_g(p, k);
        if (g < best.value) best = {g, k};
    }
    // Golden section on the scan's bracket around the least point.
    constexpr double kRatio = 0.6180339887498949;
    double lo = std::fmax(from, best.at - step), hi = std::fmin(to, best.at + step);
    double x1 = hi - kRatio * (hi - lo), x2 = lo + kRatio * (hi - lo);
    double g1 = svi_g(p, x1), g2 = svi_g(p, x2);
    for (int i = 0; i < 60 && hi - lo > 1e-12; ++i) {
        if (g1 < g2) {
            hi = x2, x2 = x1, g2 = g1;
            x1 = hi - kRatio * (hi - lo), g1 = svi_g(p, x1);
        } else {
            lo = x1, x1 = x2, g1 = g2;
            x2 = lo + kRatio * (hi - lo), g2 = svi_g(p, x2);
        }
    }
    const double k = 0.5 * (lo + hi);
    const double g = svi_g(p, k);
    if (g < best.value) best = {g, k};
    return best;
}

double g_scan_half_width(const SviParams& p) {
    const double w0 = svi_w(p, 0.0);
    return 5.0 * std::fmax(1.0, w0 > 0.0 ? std::sqrt(w0) : 0.0);
}

double svi_density(const SviParams& p, double k) {
    const double w = svi_w(p, 0.0 + k);
    const double root = fsqrt(w);
    const double d2 = -fdiv(k, root) - 0.5 * root;
    return chk(svi_g(p, k) * kInvSqrt2Pi / root * half_square_exp(d2));
}

}  // namespace tvx
