#include "instruments/bond_analytics.h"

#include <cmath>

#include "core/fault.h"
#include "core/numbers.h"

namespace tvx {

BondSums bond_sums(double c, double y, std::int16_t n) {
    if (n <= 0) return {1.0, 0.0, 0.0};
    const double v = fdiv(1.0, chk(1.0 + y));
    double discount = 1.0;  // v^i
    double value = 0.0, slope = 0.0, curvature = 0.0;
    for (std::int16_t i = 1; i <= n; i = int16_add(i, 1)) {
        discount *= v;
        const double flow = (i == n ? 1.0 + c : c) * discount;
        value += flow;
        slope += i * flow;
        curvature += i * (i + 1.0) * flow;
    }
    return {chk(value), chk(slope * v), chk(curvature * v * v)};
}

double bond_yield(double c, std::int16_t n, double price) {
    // A bracket [lo, hi] with V(lo) > price >= V(hi), hi doubled until it
    // holds.
    double lo = 0.0;
    double hi = std::max(c, 0.01);
    while (bond_sums(c, hi, n).value > price) {
        lo = hi;
        hi = chk(hi * 2.0);
    }
    // The coupon rate is the yield at par: a start near most prices.
    double y = c > lo && c < hi ? c : lo + (hi - lo) / 2.0;
    // Each step either follows Newton inside the bracket or halves it, and
    // the bracket's doubles run out: the bound is never reached in practice.
    for (int step = 0; step < 4096; ++step) {
        const BondSums s = bond_sums(c, y, n);
        const double excess = s.value - price;
        if (excess == 0.0) break;
        (excess > 0.0 ? lo : hi) = y;
        const double middle = lo + (hi - lo) / 2.0;
        if (middle == lo || middle == hi) break;  // no double left between them
        // Newton's step where it stays inside the bracket (at a huge yield
        // the slope can be too small for a double), else the middle.
        double next = middle;
        if (s.slope > 0.0) {
            const double newton = y + excess / s.slope;
            if (std::isfinite(newton) && newton > lo && newton < hi) next = newton;
        }
        if (next == y) break;
        y = next;
    }
    return y;
}

BondRiskFigures bond_risk(double c, double rate, std::int16_t n, int m) {
    const double y = rate / m;
    const BondSums s = bond_sums(c, y, n);
    BondRiskFigures r;
    r.modified = fdiv(s.slope, chk(m * s.value));
    r.macaulay = chk(r.modified * (1.0 + y));
    r.convexity = fdiv(s.curvature, chk(chk(m * m * s.value)));
    r.bp_value = chk(chk(r.modified * s.value) * 100.0 * 1e-4);
    return r;
}

}  // namespace tvx
