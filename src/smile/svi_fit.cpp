#include "smile/svi_fit.h"

#include <Eigen/Dense>
#include <algorithm>
#include <array>
#include <cmath>

#include "core/fault.h"

namespace tvx {

namespace {

using Vec3 = Eigen::Vector3d;
using Mat3 = Eigen::Matrix3d;

// The reduced problem at (m, sigma): w ~ a + d y + c z with y = (k - m) /
// sigma, z = sqrt(y^2 + 1); theta = (a, d, c), the objective
// theta' H theta - 2 g' theta + const.
struct Reduced {
    Mat3 h = Mat3::Zero();
    Vec3 g = Vec3::Zero();
    double sigma = 0;
    double a_max = 0;
};

Reduced reduce(const SviData& data, double m, double sigma) {
    double s1 = 0, sy = 0, sz = 0, syy = 0, syz = 0, szz = 0, gw = 0, gy = 0, gz = 0, a_max = 0;
    const double inverse = 1.0 / sigma;
    for (std::size_t i = 0; i < data.k.size(); ++i) {
        const double y = (data.k[i] - m) * inverse, z = std::sqrt(y * y + 1.0);
        const double u = data.weight[i], uw = u * data.w[i];
        s1 += u, sy += u * y, sz += u * z, syy += u * y * y, syz += u * y * z, szz += u * (y * y + 1.0);
        gw += uw, gy += uw * y, gz += uw * z;
        a_max = std::max(a_max, data.w[i]);
    }
    Reduced r;
    r.h << s1, sy, sz, sy, syy, syz, sz, syz, szz;
    r.g << gw, gy, gz;
    r.sigma = sigma;
    r.a_max = a_max;
    return r;
}

bool feasible(const Vec3& t, const Reduced& r) {
    const double eps = 1e-12 * std::max(1.0, r.a_max);
    const double a = t[0], d = std::fabs(t[1]), c = t[2];
    return a >= -eps && a <= r.a_max + eps && d <= c + eps && c + d <= 2.0 * r.sigma + eps;
}

double objective(const Reduced& r, const Vec3& t) { return t.dot(r.h * t) - 2.0 * r.g.dot(t); }

// The least objective over theta = base + span phi (at most three free
// coordinates), when it is feasible: true then.
template <int Free>
bool try_face(const Reduced& r, const Vec3& base, const Eigen::Matrix<double, 3, Free>& span, Vec3& best,
              double& best_value) {
    Vec3 t = base;
    if constexpr (Free > 0) {
        const Eigen::Matrix<double, Free, Free> lhs = span.transpose() * r.h * span;
        const Eigen::Matrix<double, Free, 1> rhs = span.transpose() * (r.g - r.h * base);
        const Eigen::LDLT<Eigen::Matrix<double, Free, Free>> ldlt(lhs);
        if (ldlt.info() != Eigen::Success || !(ldlt.vectorD().minCoeff() > 1e-14 * lhs.norm())) return false;
        t += span * ldlt.solve(rhs);
    }
    if (!t.allFinite() || !feasible(t, r)) return false;
    const double v = objective(r, t);
    if (v < best_value) best = t, best_value = v;
    return true;
}

// The best (a, d, c) at this (m, sigma) and its objective (less the
// constant part): inside the feasible set when the unconstrained least
// lies there, else on the best of its faces: a free, at 0 or at its
// largest, times the rhombus |d| <= c, c + |d| <= 2 sigma in (c, d) (its
// inside, four edges, four corners).
std::pair<Vec3, double> solve_reduced(const Reduced& r) {
    Vec3 best(0, 0, 0);
    double best_value = objective(r, best);
    if (try_face<3>(r, Vec3::Zero(), Mat3::Identity(), best, best_value)) return {best, best_value};
    const double s = r.sigma;
    using Col = Eigen::Matrix<double, 3, 1>;
    const std::array<std::pair<Eigen::Vector2d, Eigen::Vector2d>, 4> edges = {
        {{{0, 0}, {1, 1}}, {{0, 0}, {-1, 1}}, {{2 * s, 0}, {-1, 1}}, {{-2 * s, 0}, {1, 1}}}};
    const std::array<Eigen::Vector2d, 4> corners = {
        {Eigen::Vector2d(0, 0), Eigen::Vector2d(s, s), Eigen::Vector2d(-s, s), Eigen::Vector2d(0, 2 * s)}};
    for (const double a : {-1.0, 0.0, r.a_max}) {  // -1: a free
        const bool free = a < 0.0;
        const Vec3 origin(free ? 0.0 : a, 0.0, 0.0);
        const Col a_axis(1, 0, 0);
        Eigen::Matrix<double, 3, 2> inside;
        inside << 0, 0, 1, 0, 0, 1;
        if (free) {
            Eigen::Matrix<double, 3, 3> both;
            both << a_axis, inside;
            try_face<3>(r, origin, both, best, best_value);
        } else {
            try_face<2>(r, origin, inside, best, best_value);
        }
        for (const auto& [base, dir] : edges) {
            const Vec3 at = origin + Vec3(0, base[0], base[1]);
            const Col along(0, dir[0], dir[1]);
            if (free) {
                Eigen::Matrix<double, 3, 2> span;
                span << a_axis, along;
                try_face<2>(r, at, span, best, best_value);
            } else {
                try_face<1>(r, at, along, best, best_value);
            }
        }
        for (const Eigen::Vector2d& corner : corners) {
            const Vec3 at = origin + Vec3(0, corner[0], corner[1]);
            if (free) {
                try_face<1>(r, at, a_axis, best, best_value);
            } else {
                try_face<0>(r, at, Eigen::Matrix<double, 3, 0>(), best, best_value);
            }
        }
    }
    return {best, best_value};
}

struct Range {
    double m_lo, m_hi, log_s_lo, log_s_hi;
};

double reduced_value(const SviData& data, const Range& box, double m, double log_s) {
    m = std::clamp(m, box.m_lo, box.m_hi);
    log_s = std::clamp(log_s, box.log_s_lo, box.log_s_hi);
    return solve_reduced(reduce(data, m, std::exp(log_s))).second;
}

// Nelder-Mead in (m, ln sigma), inside the box.
std::array<double, 2> nelder_mead(const SviData& data, const Range& box, std::array<double, 2> start,
                                  std::array<double, 2> step) {
    std::array<std::array<double, 2>, 3> x = {start, start, start};
    x[1][0] += step[0];
    x[2][1] += step[1];
    std::array<double, 3> f;
    for (int i = 0; i < 3; ++i) f[i] = reduced_value(data, box, x[i][0], x[i][1]);
    const auto at = [&](double t, int worst, const std::array<double, 2>& centre) {
        return std::array<double, 2>{centre[0] + t * (x[worst][0] - centre[0]),
                                     centre[1] + t * (x[worst][1] - centre[1])};
    };
    for (int iter = 0; iter < 150; ++iter) {
        std::array<int, 3> o = {0, 1, 2};
        std::sort(o.begin(), o.end(), [&f](int a, int b) { return f[a] < f[b]; });
        const int best = o[0], mid = o[1], worst = o[2];
        const double size = std::max(std::fabs(x[worst][0] - x[best][0]) + std::fabs(x[worst][1] - x[best][1]),
                                     std::fabs(x[mid][0] - x[best][0]) + std::fabs(x[mid][1] - x[best][1]));
        if (std::fabs(f[worst] - f[best]) <= 1e-14 * std::fabs(f[best]) || size < 1e-9) break;
        const std::array<double, 2> c = {0.5 * (x[best][0] + x[mid][0]), 0.5 * (x[best][1] + x[mid][1])};
        const auto r = at(-1.0, worst, c);
        const double fr = reduced_value(data, box, r[0], r[1]);
        if (fr < f[best]) {
            const auto e = at(-2.0, worst, c);
            const double fe = reduced_value(data, box, e[0], e[1]);
            x[worst] = fe < fr ? e : r, f[worst] = std::min(fe, fr);
        } else if (fr < f[mid]) {
            x[worst] = r, f[worst] = fr;
        } else {
            const auto k = at(0.5, worst, c);
            const double fk = reduced_value(data, box, k[0], k[1]);
            if (fk < f[worst]) {
                x[worst] = k, f[worst] = fk;
            } else {
                for (const int i : {mid, worst}) {
                    x[i] = {0.5 * (x[i][0] + x[best][0]), 0.5 * (x[i][1] + x[best][1])};
                    f[i] = reduced_value(data, box, x[i][0], x[i][1]);
                }
            }
        }
    }
    const int best = static_cast<int>(std::min_element(f.begin(), f.end()) - f.begin());
    return {std::clamp(x[best][0], box.m_lo, box.m_hi), std::clamp(x[best][1], box.log_s_lo, box.log_s_hi)};
}

}  // namespace

double svi_objective(const SviParams& p, const SviData& data) {
    double sum = 0;
    for (std::size_t i = 0; i < data.k.size(); ++i) {
        const double e = svi_w(p, data.k[i]) - data.w[i];
        sum += data.weight[i] * e * e;
    }
    return chk(sum);
}

SviParams svi_start(const SviData& data) {
    const auto [k_lo, k_hi] = std::minmax_element(data.k.begin(), data.k.end());
    const double width = std::max(*k_hi - *k_lo, 1e-3);
    const Range box{*k_lo - width, *k_hi + width, std::log(1e-3), std::log(5.0)};
    // A coarse grid first, Nelder-Mead from its best point.
    std::array<double, 2> best = {*k_lo, std::log(0.1)};
    double best_value = reduced_value(data, box, best[0], best[1]);
    for (int i = 0; i <= 8; ++i) {
        for (const double s : {0.01, 0.03, 0.1, 0.3, 1.0}) {
            const double m = *k_lo + width * i / 8.0;
            const double v = reduced_value(data, box, m, std::log(s));
            if (v < best_value) best = {m, std::log(s)}, best_value = v;
        }
    }
    const std::array<double, 2> found = nelder_mead(data, box, best, {width / 8.0, 0.5});
    const double sigma = std::exp(found[1]);
    const Vec3 t = solve_reduced(reduce(data, found[0], sigma)).first;
    SviParams p;
    p.a = t[0];
    p.b = t[2] / sigma;
    p.rho = t[2] > 0.0 ? std::clamp(t[1] / t[2], -1.0, 1.0) : 0.0;
    p.m = found[0];
    p.sigma = sigma;
    return p;
}

}  // namespace tvx
