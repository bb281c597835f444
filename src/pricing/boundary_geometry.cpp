#include "pricing/boundary_geometry.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <span>

#include "pricing/chebyshev.h"
#include "pricing/gauss_legendre.h"

namespace tvx::boundary {

namespace {

// The cardinal function of x_k at x, (w_k / (x - x_k)) / sum_i (w_i / (x - x_i)),
// with the barycentric weights w_k = (-1)^k (1/2 at both ends) of the
// Chebyshev extrema.
void cardinal_functions(double x, std::span<const double> nodes, std::span<double> out) {
    const int n = static_cast<int>(nodes.size()) - 1;
    double sum = 0.0;
    for (int k = 0; k <= n; ++k) {
        const double dx = x - nodes[k];
        if (dx == 0.0) {
            for (int i = 0; i <= n; ++i) out[i] = i == k ? 1.0 : 0.0;
            return;
        }
        const double w = (k % 2 == 0 ? 1.0 : -1.0) * (k == 0 || k == n ? 0.5 : 1.0) / dx;
        out[k] = w;
        sum += w;
    }
    for (int k = 0; k <= n; ++k) out[k] /= sum;
}

}  // namespace

double chebyshev_coordinate(double tau_over_T) { return std::clamp(2.0 * std::cbrt(tau_over_T) - 1.0, -1.0, 1.0); }

// phi(6) is 1.5e-8 of phi(0).
constexpr double kLayerWidths = 6.0;

double split_fraction(double sigma, double r, double q, double tau) {
    const double drift = std::fabs(r - q) + 0.5 * sigma * sigma;
    const double layer = kLayerWidths * sigma / drift;
    return std::min(kSplitMax, layer * layer / tau);
}

SplitRule make_split_rule(int l) {
    const GaussLegendre& gl = gauss_legendre(l);
    SplitRule r;
    for (int k = 0; k < l; ++k) {  // s = s* ((1 + y) / 2)^2
        const double half = 0.5 * (1.0 + gl.x[k]);
        r.near_s.push_back(half * half);
        r.near_weight.push_back(gl.w[k] * half);
        r.standard_cbrt_u.push_back(std::cbrt(1.0 - kSplitMax * half * half));
    }
    for (int k = 0; k < l; ++k) {  // u = (tau - s*) sin^2(theta), theta = pi/4 (1 + y)
        const double theta = 0.25 * std::numbers::pi * (1.0 + gl.x[k]);
        const double sin = std::sin(theta), cos = std::cos(theta);
        r.far_u.push_back(sin * sin);
        r.far_weight.push_back(gl.w[k] * 0.25 * std::numbers::pi * 2.0 * sin * cos);
        r.standard_cbrt_u.push_back(std::cbrt((1.0 - kSplitMax) * sin * sin));
    }
    return r;
}

const SplitRule& split_rule(int l) {
    static std::mutex lock;
    static std::map<int, std::unique_ptr<SplitRule>> made;
    const std::lock_guard<std::mutex> hold(lock);
    std::unique_ptr<SplitRule>& kept = made[l];
    if (!kept) kept = std::make_unique<SplitRule>(make_split_rule(l));
    return *kept;
}

void append_split_points(double tau, double T, double rho, int l, std::vector<double>& s, std::vector<double>& weight,
                         std::vector<double>& x) {
    const SplitRule& r = split_rule(l);
    const double near = rho * tau;  // s*
    const double w_tau = std::cbrt(tau / T);
    const auto coordinate = [&](std::size_t k, double u) {
        x.push_back(rho == kSplitMax ? std::clamp(2.0 * w_tau * r.standard_cbrt_u[k] - 1.0, -1.0, 1.0)
                                     : chebyshev_coordinate(u / T));
    };
    for (std::size_t k = 0; k < r.near_s.size(); ++k) {
        s.push_back(near * r.near_s[k]);
        weight.push_back(near * r.near_weight[k]);
        coordinate(k, tau - s.back());
    }
    for (std::size_t k = 0; k < r.far_u.size(); ++k) {
        const double u = (tau - near) * r.far_u[k];
        s.push_back(tau - u);
        weight.push_back((tau - near) * r.far_weight[k]);
        coordinate(r.near_s.size() + k, u);
    }
}

Layout layout(int n, int l, const std::vector<double>& rho) {
    Layout out;
    out.nodes = n;
    out.per_point = 2 * l;
    std::vector<double> nodes(static_cast<std::size_t>(n + 1)), column(nodes.size());
    for (int j = 0; j <= n; ++j) nodes[j] = chebyshev_node(j, n);
    std::vector<double> x;
    for (int j = 0; j < n; ++j) {
        const double w = 0.5 * (1.0 + nodes[j]);
        out.tau.push_back(w * w * w);
        append_split_points(out.tau.back(), 1.0, rho[j], l, out.s, out.weight, x);
    }
    const std::size_t count = x.size();
    out.cardinal.resize(static_cast<std::size_t>(n + 1) * count);
    out.stride = (static_cast<std::size_t>(n) + 1 + 7) / 8 * 8;
    out.by_point.reserve(out.stride * count);
    for (std::size_t p = 0; p < count; ++p) {
        cardinal_functions(x[p], nodes, column);
        for (int i = 0; i <= n; ++i) out.cardinal[i * count + p] = column[i];
        out.by_point.insert(out.by_point.end(), column.begin(), column.end());
        out.by_point.resize(out.by_point.size() + out.stride - column.size(), 0.0);
    }
    return out;
}

const Layout& standard_layout(int n, int l) {
    static std::mutex lock;
    static std::map<std::pair<int, int>, std::unique_ptr<Layout>> made;
    const std::lock_guard<std::mutex> hold(lock);
    std::unique_ptr<Layout>& kept = made[{n, l}];
    if (!kept)
        kept = std::make_unique<Layout>(layout(n, l, std::vector<double>(static_cast<std::size_t>(n), kSplitMax)));
    return *kept;
}

}  // namespace tvx::boundary
