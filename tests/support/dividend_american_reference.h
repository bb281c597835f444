// An accurate value of an option with cash dividends, American or
// European, independent of the program's solver: fully implicit steps on a
// uniform grid in the spot itself (not its logarithm), from 0, where the
// share stays worthless, to far above the strike; the ex-date's drop
// S -> max(S - D, 0) read off the grid by cubic interpolation in S; early
// exercise by the Brennan-Schwartz elimination; then Richardson
// extrapolation over two levels, the second with half the price step and a
// quarter of the time step (the implicit scheme's time error falls as the
// step, its price error as the step's square).
//
// Spot model: the grid is the spot's. Escrowed model: the grid is the
// spot less the present value of the dividends still to come, which
// follows the lognormal law, and exercise pays that plus the present value.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace tvx::test {

struct DividendReferenceTerms {
    double t, sigma, r, K, S, q;
    bool call;
    std::vector<std::pair<double, double>> dividends;  // (time, amount), in order, 0 < time <= t
    bool escrowed = false;
    bool american = true;
};

inline double dividend_reference_level(const DividendReferenceTerms& o, int level) {
    const auto pv_after = [&](double time) {  // the dividends after `time`, valued at it
        double pv = 0.0;
        for (const auto& [when, amount] : o.dividends)
            if (when > time) pv += amount * std::exp(-o.r * (when - time));
        return pv;
    };
    const double S0 = o.escrowed ? o.S - pv_after(0.0) : o.S;
    const double sd = o.sigma * std::sqrt(o.t);
    const double top = std::max(S0, o.K) * std::exp(6.0 * sd + std::fabs(o.r - o.q) * o.t);
    const int n = 400 * level * static_cast<int>(std::ceil(top / std::max(S0, o.K)));
    const double h = top / n;
    std::vector<double> s(n + 1), v(n + 1), a(n + 1), b(n + 1), c(n + 1), d(n + 1), g(n + 1);
    for (int i = 0; i <= n; ++i) s[i] = i * h;
    const double w = o.call ? 1.0 : -1.0;
    // The price the holder exercises against at `time` (between ex-dates).
    const auto share = [&](double x, double time) { return o.escrowed ? x + pv_after(time) : x; };
    const auto exercise = [&](double time) {
        for (int i = 0; i <= n; ++i) g[i] = std::max(w * (share(s[i], time) - o.K), 0.0);
    };
    exercise(o.t);
    v = g;
    // Row 0 is the share worth nothing, where the equation keeps only its
    // discounting (and exercise); the top row takes the value as linear in
    // the price, V(n) = 2 V(n - 1) - V(n - 2), which it is far above the
    // strike.
    const auto step = [&](double dt, double theta) {
        for (int i = 0; i < n; ++i) {
            const double diffusion = 0.5 * o.sigma * o.sigma * i * i, drift = 0.5 * (o.r - o.q) * i;
            const double lo = diffusion - drift, mid = -2.0 * diffusion - o.r, up = diffusion + drift;
            d[i] = v[i] + (1.0 - theta) * dt * ((i > 0 ? lo * v[i - 1] : 0.0) + mid * v[i] + up * v[i + 1]);
            a[i] = -theta * dt * lo;
            b[i] = 1.0 - theta * dt * mid;
            c[i] = -theta * dt * up;
        }
        b[n - 1] += 2.0 * c[n - 1];  // V(n) folded into the last row
        a[n - 1] -= c[n - 1];
        const double floor = o.american ? 1.0 : 0.0;  // the exercise value counts only for American options
        if (!o.call) {
            for (int i = n - 2; i >= 0; --i) {
                const double f = c[i] / b[i + 1];
                b[i] -= f * a[i + 1];
                d[i] -= f * d[i + 1];
            }
            v[0] = std::max(floor * g[0], d[0] / b[0]);
            for (int i = 1; i < n; ++i) v[i] = std::max(floor * g[i], (d[i] - a[i] * v[i - 1]) / b[i]);
        } else {
            for (int i = 1; i < n; ++i) {
                const double f = a[i] / b[i - 1];
                b[i] -= f * c[i - 1];
                d[i] -= f * d[i - 1];
            }
            v[n - 1] = std::max(floor * g[n - 1], d[n - 1] / b[n - 1]);
            for (int i = n - 2; i >= 0; --i) v[i] = std::max(floor * g[i], (d[i] - c[i] * v[i + 1]) / b[i]);
        }
        v[n] = std::max(floor * g[n], 2.0 * v[n - 1] - v[n - 2]);
    };
    // Cubic interpolation of v at spot x on the uniform grid.
    const auto at = [&](double x) {
        if (x <= 0.0) return v[0];
        const double pos = x / h;
        const int i = std::clamp(static_cast<int>(std::floor(pos)), 1, n - 2);
        const double f = pos - i;
        const double p0 = v[i - 1], p1 = v[i], p2 = v[i + 1], p3 = v[i + 2];
        return p1 + 0.5 * f * (p2 - p0 + f * (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3 + f * (3.0 * (p1 - p2) + p3 - p0)));
    };
    std::vector<double> ends{0.0};
    for (const auto& [when, amount] : o.dividends) ends.push_back(when);
    ends.push_back(o.t);
    const int total = 400 * level * level;  // implicit steps: the time error falls as the space error
    for (std::size_t k = ends.size() - 1; k >= 1; --k) {
        const double from = ends[k - 1], to = ends[k];
        if (to > from) {
            const int steps = std::max(4, static_cast<int>(std::ceil(total * (to - from) / o.t)));
            const double dt = (to - from) / steps;
            for (int j = 1; j <= steps; ++j) {
                exercise(to - j * dt);
                step(dt, 1.0);
            }
        }
        if (k >= 2) {  // the ex-date at `from`: the drop, then exercise with the dividend still in
            const double amount = o.dividends[k - 2].second;
            if (!o.escrowed) {
                std::vector<double> dropped(n + 1);
                for (int i = 0; i <= n; ++i) dropped[i] = at(s[i] - amount);
                v = dropped;
            }
            for (int i = 0; i <= n; ++i) {
                const double paid = o.escrowed ? s[i] + pv_after(from) + amount : s[i];
                if (o.american) v[i] = std::max(v[i], w * (paid - o.K));
            }
        }
    }
    return at(S0);
}

inline double dividend_reference(const DividendReferenceTerms& o, int level = 1) {
    const double coarse = dividend_reference_level(o, level);
    const double fine = dividend_reference_level(o, 2 * level);
    return (4.0 * fine - coarse) / 3.0;
}

}  // namespace tvx::test
