// The raw SVI parametrisation of one expiry's total implied variance
// against the forward log-moneyness k = ln(K / F):
//   w(k) = a + b (rho (k - m) + sqrt((k - m)^2 + sigma^2)),
// with what follows from it: the butterfly function g(k) of Gatheral and
// Jacquier (2014), which is negative exactly where the slice's implied
// density is, Lee's wing slope b (1 + |rho|) (at most 2 for any smile
// without arbitrage), and the density itself.
#pragma once

namespace tvx {

struct SviParams {
    double a = 0, b = 0, rho = 0, m = 0, sigma = 0.1;
};

// w and its first two derivatives in k.
struct SviPoint {
    double w, w1, w2;
};
SviPoint svi_at(const SviParams& p, double k);
inline double svi_w(const SviParams& p, double k) { return svi_at(p, k).w; }

// g(k) = (1 - k w' / (2 w))^2 - w'^2 / 4 (1 / w + 1 / 4) + w'' / 2; the
// slice must have w(k) > 0 there.
double svi_g(const SviParams& p, double k);

// The least total variance, a + b sigma sqrt(1 - rho^2), at
// k = m - rho sigma / sqrt(1 - rho^2).
double svi_min_variance(const SviParams& p);

// b (1 + |rho|): the slope of the steeper wing.
inline double lee_wing(const SviParams& p) { return p.b * (1.0 + (p.rho < 0 ? -p.rho : p.rho)); }
inline constexpr double kLeeBound = 2.0;

// The least g over [from, to] and where: a scan of the range refined by
// golden-section search around its least point.
struct GMin {
    double value = 0;
    double at = 0;
};
GMin svi_g_min(const SviParams& p, double from, double to);

// The range of k the arbitrage report scans: five times the wider of 1 and
// the slice's at-the-money standard deviation sqrt(w(0)) either side.
double g_scan_half_width(const SviParams& p);

// The density of the log-moneyness implied by the slice:
// g(k) / sqrt(2 pi w) exp(-d2^2 / 2), d2 = -k / sqrt(w) - sqrt(w) / 2.
double svi_density(const SviParams& p, double k);

}  // namespace tvx
