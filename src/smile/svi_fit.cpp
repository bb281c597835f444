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
    Reduced r;
    r.sigma = sigma;
    for (std::size_t i = 0; i < data.k.size(); ++i) {
        const double y = (data.k[i] - m) / sigma;
        const Vec3 x(1.0, y, std::sqrt(y * y + 1.0));
        r.h += data.weight[i] * x * x.transpose();
        r.g += data.weight[i] * data.w[i] * x;
        r.a_max = std::max(r.a_max, data.w[i]);
    }
    return r;
}

// A face of the feasible set: theta = base + span phi.
struct Face {
    Vec3 base;
    Eigen::Matrix<double, 3, Eigen::Dynamic> span;
};

bool feasible(const Vec3& t, const Reduced& r) {
    const double eps = 1e-12 * std::max(1.0, r.a_max);
    const double a = t[0], d = std::fabs(t[1]), c = t[2];
    return a >= -eps && a <= r.a_max + eps && d <= c + eps && c + d <= 2.0 * r.sigma + eps;
}

// Every face: a free, at 0 or at its largest, times the rhombus |d| <= c,
// c + |d| <= 2 sigma in (c, d): its inside, four edges and four corners.
std::vector<Face> faces(const Reduced& r) {
    const double s = r.sigma;
    struct CdFace {
        Eigen::Vector2d base;                           // (d, c)
        Eigen::Matrix<double, 2, Eigen::Dynamic> span;  // columns in (d, c)
    };
    std::vector<CdFace> cd;
    cd.push_back({{0, 0}, Eigen::Matrix2d::Identity()});
    for (const auto& [base, dir] : std::array<std::pair<Eigen::Vector2d, Eigen::Vector2d>, 4>{
             {{{0, 0}, {1, 1}}, {{0, 0}, {-1, 1}}, {{2 * s, 0}, {-1, 1}}, {{-2 * s, 0}, {1, 1}}}})
        cd.push_back({base, dir});
    for (const Eigen::Vector2d& corner :
         {Eigen::Vector2d(0, 0), Eigen::Vector2d(s, s), Eigen::Vector2d(-s, s), Eigen::Vector2d(0, 2 * s)})
        cd.push_back({corner, Eigen::Matrix<double, 2, Eigen::Dynamic>(2, 0)});
    std::vector<Face> out;
    for (int a_mode = 0; a_mode < 3; ++a_mode) {
        for (const CdFace& f : cd) {
            const bool a_free = a_mode == 0;
            const long cols = f.span.cols() + (a_free ? 1 : 0);
            Face face{Vec3(a_mode == 2 ? r.a_max : 0.0, f.base[0], f.base[1]),
                      Eigen::Matrix<double, 3, Eigen::Dynamic>::Zero(3, cols)};
            if (a_free) face.span(0, 0) = 1.0;
            face.span.block(1, a_free ? 1 : 0, 2, f.span.cols()) = f.span;
            out.push_back(face);
        }
    }
    return out;
}

double objective(const Reduced& r, const Vec3& t) { return t.dot(r.h * t) - 2.0 * r.g.dot(t); }

// The best (a, d, c) at this (m, sigma) and its objective (less the
// constant part).
std::pair<Vec3, double> solve_reduced(const Reduced& r) {
    Vec3 best(0, 0, 0);
    double best_value = objective(r, best);
    for (const Face& f : faces(r)) {
        Vec3 t = f.base;
        if (f.span.cols() > 0) {
            const Eigen::MatrixXd lhs = f.span.transpose() * r.h * f.span;
            const Eigen::VectorXd rhs = f.span.transpose() * (r.g - r.h * f.base);
            const Eigen::LDLT<Eigen::MatrixXd> ldlt(lhs);
            if (ldlt.info() != Eigen::Success || !(ldlt.vectorD().minCoeff() > 1e-14 * lhs.norm())) continue;
            t += f.span * ldlt.solve(rhs);
        }
        if (!t.allFinite() || !feasible(t, r)) continue;
        const double v = objective(r, t);
        if (v < best_value) best = t, best_value = v;
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
        if (std::fabs(f[worst] - f[best]) <= 1e-15 * (std::fabs(f[best]) + 1e-300)) break;
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
