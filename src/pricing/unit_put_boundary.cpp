// The boundary of a unit-strike American put, b(tau), and its value: the
// European value plus the early-exercise premium integrated over the
// boundary (boundary_solver.cpp has the equations).
#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>
#include <vector>

#include "core/fault.h"
#include "pricing/boundary_geometry.h"
#include "pricing/boundary_kernel.h"
#include "pricing/boundary_solver.h"
#include "pricing/chebyshev.h"
#include "pricing/exercise_boundary.h"
#include "pricing/normal.h"
#include "pricing/testing.h"

namespace tvx {

namespace {

std::atomic<long> solves{0};

double checked_log_cap(const UnitPutTerms& a) {
    chk(a.T), chk(a.sigma), chk(a.r), chk(a.q);
    if (!(a.T > 0.0) || !(a.sigma > 0.0) || !(a.r > 0.0))
        throw ArithmeticError("the exercise-boundary method needs a positive life, volatility and rate");
    // b(0) = min(1, r / q).
    return a.q > a.r ? std::log(a.r / a.q) : 0.0;
}

// Where the volatility vanishes against the life and the rates (rates of
// thousands of per cent, a volatility of a few hundred-thousandths), the
// boundary's integrals resolve the premium only to about 1e-4; but there
// the asset follows its forward path, and the put is worth its best
// exercise along it: g(t) = e^(-r t) - s e^(-q t) at its largest over
// [0, life], or 0. Where q > r and s > r / q that is at the stationary
// point t* = ln(q s / r) / (q - r), g(t*) = e^(-r t*) (1 - r / q); else at
// expiry (exercise at once the method finds by itself). Taken only where
// the path passes the strike 50 standard deviations of the noise clear
// and the noise's own gain, of order sigma^2 life r |q| / (q - r)^2 of
// the value, is below 1e-10.
std::optional<double> forward_path_value(const UnitPutTerms& a, double s, double life) {
    const double noise = a.sigma * std::sqrt(life);
    if (!(noise <= 1e-4) || a.q == a.r) return std::nullopt;
    const double spread = a.r * std::fabs(a.q) / ((a.q - a.r) * (a.q - a.r));
    if (!(a.sigma * a.sigma * life * spread <= 1e-10)) return std::nullopt;
    const double clear = 50.0 * noise;
    const double at_once = 1.0 - s;
    if (a.q > a.r && s > a.r / a.q) {
        const double t_star = std::log(a.q * s / a.r) / (a.q - a.r);
        if (t_star < life) {
            if (std::fabs(std::log(a.r / a.q)) < clear) return std::nullopt;
            return chk(std::exp(-a.r * t_star) * (1.0 - a.r / a.q));
        }
    }
    const double at_expiry = chk(std::exp(-a.r * life) - chk(s * std::exp(-a.q * life)));
    if (at_expiry < at_once || std::fabs(flog(s) + (a.r - a.q) * life) < clear) return std::nullopt;
    return std::max(at_expiry, 0.0);
}

}  // namespace

UnitPutBoundary::UnitPutBoundary(const UnitPutTerms& terms, const BoundarySettings& settings)
    : terms_(terms), log_cap_(checked_log_cap(terms)), value_nodes_(settings.value_nodes) {
    h_ = boundary::solve_boundary(terms, settings, log_cap_);
    solves.fetch_add(1, std::memory_order_relaxed);
    const int n = static_cast<int>(h_.size()) - 1;
    for (int j = 0; j <= n; ++j) nodes_.push_back(chebyshev_node(j, n));
    full_life_ = premium_nodes(terms.T);
}

UnitPutBoundary::PremiumNodes UnitPutBoundary::premium_nodes(double life) const {
    const UnitPutTerms& a = terms_;
    // The premium's integral over u in [0, life], split as the boundary's own.
    PremiumNodes p;
    p.life = life;
    std::vector<double> x;
    boundary::append_split_points(life, a.T, boundary::split_fraction(a.sigma, a.r, a.q, life), value_nodes_ / 2,
                                  p.elapsed, p.weight, x);
    const std::size_t count = x.size();
    const std::size_t padded =
        (count + boundary::kPointPadding - 1) / boundary::kPointPadding * boundary::kPointPadding;
    p.elapsed.resize(padded, 0.0);
    p.weight.resize(padded, 0.0);
    p.vol_root.assign(padded, 1.0);
    p.gap.assign(padded, 0.0);
    for (std::size_t k = 0; k < count; ++k) {
        p.vol_root[k] = a.sigma * std::sqrt(p.elapsed[k]);
        p.gap[k] = std::sqrt(std::max(barycentric_value(nodes_, h_, x[k]), 0.0));
    }
    return p;
}

double UnitPutBoundary::log_cap_gap(double tau) const {
    const double x = boundary::chebyshev_coordinate(tau / terms_.T);
    return std::sqrt(std::max(barycentric_value(nodes_, h_, x), 0.0));
}

double UnitPutBoundary::log_critical(double tau) const {
    if (!(tau >= 0.0 && tau <= terms_.T)) throw ArithmeticError("time to expiry outside the solved boundary");
    return chk(log_cap_ - log_cap_gap(tau));
}

double unit_european_put(const UnitPutTerms& a, double s, double life) {
    const double vol_root = a.sigma * std::sqrt(life);
    const double log_s = flog(s);
    const double dm = fdiv(log_s + (a.r - a.q - 0.5 * a.sigma * a.sigma) * life, vol_root);
    const double dp = dm + vol_root;
    return chk(std::exp(-a.r * life) * normal_cdf(-dm) - scaled_upper_tail(log_s - a.q * life, dp));
}

double UnitPutBoundary::value(double s, double life) const {
    const UnitPutTerms& a = terms_;
    if (!(life > 0.0 && life <= a.T)) throw ArithmeticError("life outside the solved boundary");
    const double log_s = flog(s);
    if (log_s <= log_critical(life)) return chk(1.0 - s);  // exercised at once
    if (const std::optional<double> v = forward_path_value(a, s, life)) return *v;
    const double european = unit_european_put(a, s, life);
    const PremiumNodes other = life == full_life_.life ? PremiumNodes{} : premium_nodes(life);
    const PremiumNodes& nodes = life == full_life_.life ? full_life_ : other;
    std::vector<double> log_ratio(nodes.gap.size());
    for (std::size_t k = 0; k < log_ratio.size(); ++k) log_ratio[k] = log_s - log_cap_ + nodes.gap[k];
    const double premium = boundary::premium_sum(
        {a.r, a.q, a.r - a.q - 0.5 * a.sigma * a.sigma}, log_s,
        {log_ratio.size(), nodes.weight.data(), nodes.elapsed.data(), nodes.vol_root.data(), log_ratio.data()});
    return chk(std::max(european + std::max(premium, 0.0), 1.0 - s));
}

long boundary_solves() { return solves.load(std::memory_order_relaxed); }

}  // namespace tvx
