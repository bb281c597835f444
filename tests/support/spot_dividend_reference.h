// The spot model of cash dividends (the share drops by each dividend on
// its ex-date, or to nothing when it is worth less) for a European option,
// by brute force: the nested integrals of the model written out, each by a
// composite Gauss-Legendre rule of its own over the standard normal's axis
// from -9 to 9 (plus the volatility above), split at the point below
// which the share is liquidated and at the payoff's kink, with the closed
// form of the standard library's erfc after the last dividend. No
// interpolation: the value at each point of an outer integral is a full
// inner integral, so the cost grows as the points' count to the power of
// the dividends' (two dividends at a few hundred points take a fraction of
// a second).
#pragma once

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "support/black_scholes.h"

namespace tvx::test {

struct ReferenceDividend {
    double time, amount;
};

struct SpotDividendReference {
    double t, sigma, r, K, q;
    bool call;
    std::vector<ReferenceDividend> dividends;  // in order, 0 < time <= t, distinct times
    int pieces_per_unit = 2;                   // pieces of the normal's axis per unit
    int rule = 16;                             // Gauss-Legendre nodes a piece

    struct Rule {
        std::vector<double> x, w;  // on [-1, 1]
    };

    // The value just after dividend i (-1: at the valuation) at spot s.
    double after(int i, double s, const Rule& g) const {
        const double from = i < 0 ? 0.0 : dividends[static_cast<std::size_t>(i)].time;
        const double liquidated = call ? 0.0 : K * std::exp(-r * (t - from));
        if (s <= 0.0) return liquidated;
        if (i + 1 == static_cast<int>(dividends.size())) {
            const double life = t - from;
            if (life <= 0.0) return std::max(call ? s - K : K - s, 0.0);
            return exact_bs(life, sigma, r, K, s, q, call).value;
        }
        const ReferenceDividend& d = dividends[static_cast<std::size_t>(i + 1)];
        const double dt = d.time - from, v = sigma * std::sqrt(dt);
        const double m = std::log(s) + (r - q - 0.5 * sigma * sigma) * dt;
        const double zl = (std::log(d.amount) - m) / v;
        const bool last = i + 2 == static_cast<int>(dividends.size());
        const double kink = last ? (std::log(K + d.amount) - m) / v : -1e300;
        double sum = (call ? 0.0 : K * std::exp(-r * (t - d.time))) * exact_N(zl);
        const double lo = std::max(-9.0, zl), hi = 9.0 + v;
        if (lo < hi) {
            std::vector<double> cuts{lo};
            const int n = static_cast<int>(std::ceil((hi - lo) * pieces_per_unit));
            for (int k = 1; k < n; ++k) cuts.push_back(lo + (hi - lo) * k / n);
            cuts.push_back(hi);
            if (kink > lo && kink < hi) {
                cuts.push_back(kink);
                std::sort(cuts.begin(), cuts.end());
            }
            for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
                const double a = cuts[k], b = cuts[k + 1];
                for (int j = 0; j < rule; ++j) {
                    const double x = 0.5 * (a + b) + 0.5 * (b - a) * g.x[static_cast<std::size_t>(j)];
                    const double w = 0.5 * (b - a) * g.w[static_cast<std::size_t>(j)];
                    const double spot = std::exp(m + v * x) - d.amount;
                    sum += w * exact_n(x) * after(i + 1, spot, g);
                }
            }
        }
        return std::exp(-r * dt) * sum;
    }

    double value(double S) const { return after(-1, S, make_rule()); }

    // The rule on [-1, 1]: the roots of the Legendre polynomial by Newton's
    // method, and their weights.
    Rule make_rule() const {
        const int n = rule;
        Rule g{std::vector<double>(static_cast<std::size_t>(n)), std::vector<double>(static_cast<std::size_t>(n))};
        for (int i = 0; i < n; ++i) {
            double x = std::cos(M_PI * (i + 0.75) / (n + 0.5)), dp = 1.0;
            for (int it = 0; it < 100; ++it) {
                double p0 = 1.0, p1 = x;
                for (int k = 2; k <= n; ++k) {
                    const double p2 = ((2.0 * k - 1.0) * x * p1 - (k - 1.0) * p0) / k;
                    p0 = p1;
                    p1 = p2;
                }
                dp = n * (x * p1 - p0) / (x * x - 1.0);
                const double step = p1 / dp;
                x -= step;
                if (std::fabs(step) < 1e-16) break;
            }
            g.x[static_cast<std::size_t>(i)] = x;
            g.w[static_cast<std::size_t>(i)] = 2.0 / ((1.0 - x * x) * dp * dp);
        }
        return g;
    }
};

}  // namespace tvx::test
