// The boundary of a unit-strike American put, b(tau), by Newton's method
// on its integral equation.
//
// With the early-exercise premium written as an integral over the boundary,
//   V(tau, S) = p(tau, S) + int_0^tau [r e^(-r(tau-u)) N(-d-(tau-u, S/b(u)))
//                                   - q S e^(-q(tau-u)) N(-d+(tau-u, S/b(u)))] du,
// d+-(s, z) = (ln z + (r - q +- sigma^2/2) s) / (sigma sqrt s), smooth pasting
// at S = b(tau) (dV/dS = -1) gives, after the identity
// e^(-r s) phi(d-(s, b/1)) = b e^(-q s) phi(d+(s, b/1)) is added to both
// sides, the fixed-point form b(tau) = Num(tau, b) / Den(tau, b) with
//   Num = e^(-r tau) phi(d-(tau, b)) / (sigma sqrt tau)
//         + r int_0^tau e^(-r(tau-u)) phi(d-(tau-u, b(tau)/b(u))) / (sigma sqrt(tau-u)) du,
//   Den = e^(-q tau) [phi(d+(tau, b)) / (sigma sqrt tau) + N(d+(tau, b))]
//         + q int_0^tau e^(-q(tau-u)) [N(d+) + phi(d+) / (sigma sqrt(tau-u))] du.
// For q < 0 the N(d+) terms are written with N(-d+) = 1 - N(d+) instead,
//   e^(-q tau) N(d+) + q int e^(-q s) N(d+) = 1 - e^(-q tau) N(-d+) - q int e^(-q s) N(-d+),
// whose terms do not cancel when e^(-q tau) is large.
//
// The equation is solved at the Chebyshev points of w = (tau / T)^(1/3) for
// H = (ln(b / b(0)))^2: near expiry ln(b / b(0)) goes as -sqrt(tau) (times
// sqrt(ln(1/tau)) when r > q), so H goes as w^3 (w^3 ln w), and the cube
// root spreads the points where the boundary turns fastest. Newton's
// method runs on all points at once with the whole Jacobian (each point's
// equation sees the others through the interpolated boundary in its
// integrals), from the QD+ approximation. Where the integrals' nodes lie
// (split near each point, Gauss-Legendre in sqrt(tau - u) there and in an
// angle beyond) is boundary_geometry.h.
#include "pricing/boundary_solver.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "core/fault.h"
#include "pricing/boundary_geometry.h"
#include "pricing/boundary_kernel.h"
#include "pricing/chebyshev.h"
#include "pricing/normal.h"
#include "pricing/qd_plus.h"

namespace tvx::boundary {

namespace {

// Solves a x = b in place by Gaussian elimination with partial pivoting (a
// is m by m, row-major); false when a is singular.
bool solve_linear(std::span<double> a, std::span<double> b, int m) {
    for (int c = 0; c < m; ++c) {
        int pivot = c;
        for (int i = c + 1; i < m; ++i)
            if (std::fabs(a[i * m + c]) > std::fabs(a[pivot * m + c])) pivot = i;
        if (!(std::fabs(a[pivot * m + c]) > 0.0)) return false;
        if (pivot != c) {
            for (int k = 0; k < m; ++k) std::swap(a[c * m + k], a[pivot * m + k]);
            std::swap(b[c], b[pivot]);
        }
        for (int i = c + 1; i < m; ++i) {
            const double f = a[i * m + c] / a[c * m + c];
            for (int k = c; k < m; ++k) a[i * m + k] -= f * a[c * m + k];
            b[i] -= f * b[c];
        }
    }
    for (int c = m - 1; c >= 0; --c) {
        for (int k = c + 1; k < m; ++k) b[c] -= a[c * m + k] * b[k];
        b[c] /= a[c * m + c];
    }
    return true;
}

// Newton's method on the collocation equations
//   R_j = ln b(tau_j) - ln Num_j + ln Den_j = 0,  j = 0 .. n - 1,
// in the unknowns Y_j = sqrt(H_j) = ln b(0) - ln b(tau_j) >= 0 (tau_n = 0,
// Y_n = 0).
class Solver {
public:
    Solver(const UnitPutTerms& a, const BoundarySettings& st, double log_cap)
        : a_(a),
          n_(st.nodes),
          iterations_(st.iterations),
          lay_(&layout_for(a, st)),
          per_point_(lay_->per_point),
          log_cap_(log_cap),
          rates_{a.r, a.q, a.r - a.q - 0.5 * a.sigma * a.sigma} {
        const std::size_t points = lay_->s.size();
        const std::size_t padded = (points + kPointPadding - 1) / kPointPadding * kPointPadding;
        for (std::vector<double>* v : {&weight_, &s_, &ell_, &root_h_, &km_, &kp_, &cdf_, &d_num_, &d_den_, &h_points_})
            v->assign(padded, 0.0);
        vol_root_.assign(padded, 1.0);
        carry_.assign(padded, 0.0);
        for (int j = 0; j < n_; ++j) tau_.push_back(a.T * lay_->tau[j]);
        for (std::size_t p = 0; p < points; ++p) {
            s_[p] = a.T * lay_->s[p];
            weight_[p] = a.T * lay_->weight[p];
            vol_root_[p] = a.sigma * std::sqrt(s_[p]);
            // e^(-q s) is only ever wanted where it is not vast (see equation_terms).
            carry_[p] = std::min(-a.q * s_[p], 700.0);
        }
        exp_each(carry_.data(), carry_.data(), carry_.size());
    }

    // H at the collocation points, expiry last.
    std::vector<double> solve() {
        std::vector<double> y = start();
        std::vector<double> jacobian(static_cast<std::size_t>(n_ * n_)), residual(static_cast<std::size_t>(n_));
        for (int it = 0; it < iterations_; ++it) {
            linearise(y, jacobian, residual);
            if (!solve_linear(jacobian, residual, n_)) break;
            for (int j = 0; j < n_; ++j) {
                const double step = std::clamp(-residual[j], -1.0, 1.0);
                if (std::isfinite(step)) y[j] = std::max(y[j] + step, 0.0);
            }
        }
        std::vector<double> h(static_cast<std::size_t>(n_ + 1));
        for (int j = 0; j <= n_; ++j) h[j] = chk(y[j] * y[j]);
        return h;
    }

private:
    // The QD+ approximation at the collocation points; with many of them
    // (12 or more), at every other one (and the last) only, the points
    // between on straight lines in w: two Newton steps take it from there
    // as well, where a single one needs the better start.
    std::vector<double> start() const {
        std::vector<double> y(static_cast<std::size_t>(n_ + 1), 0.0);
        const int stride = n_ >= 12 ? 2 : 1;
        double guess = log_cap_;
        for (int j = n_ - 1; j >= 0; j -= stride) {
            guess = qd_plus_log_boundary(a_, tau_[j], log_cap_, guess);
            y[j] = log_cap_ - guess;
        }
        if (stride == 1) return y;
        if (n_ % 2 == 0) y[0] = log_cap_ - qd_plus_log_boundary(a_, tau_[0], log_cap_, guess);
        for (int j = n_ - 2; j >= 1; j -= 2) {
            const double w_above = std::cbrt(tau_[j - 1]), w = std::cbrt(tau_[j]), w_below = std::cbrt(tau_[j + 1]);
            y[j] = y[j + 1] + (y[j - 1] - y[j + 1]) * (w - w_below) / (w_above - w_below);
        }
        return y;
    }

    // The residuals R and their Jacobian dR/dY at y.
    void linearise(std::span<const double> y, std::span<double> jacobian, std::span<double> residual) {
        const std::size_t points = lay_->s.size();
        // H at every quadrature point, through the cardinal functions (H_n = 0).
        std::fill(h_points_.begin(), h_points_.begin() + static_cast<std::ptrdiff_t>(points), 0.0);
        for (int i = 0; i < n_; ++i) axpy(y[i] * y[i], &lay_->cardinal[i * points], h_points_.data(), points);
        for (int j = 0; j < n_; ++j)
            for (int k = 0; k < per_point_; ++k) {
                const std::size_t p = static_cast<std::size_t>(j * per_point_ + k);
                root_h_[p] = std::sqrt(std::max(h_points_[p], 0.0));
                ell_[p] = root_h_[p] - y[j];
            }
        equation_terms(rates_, {weight_.size(), weight_.data(), s_.data(), vol_root_.data(), carry_.data(), ell_.data(),
                                km_.data(), kp_.data(), cdf_.data(), d_num_.data(), d_den_.data()});
        std::fill(jacobian.begin(), jacobian.end(), 0.0);
        coefficient_.resize(static_cast<std::size_t>(per_point_));
        row_.resize(lay_->stride);
        for (int j = 0; j < n_; ++j) linearise_point(j, y, jacobian, residual);
    }

    void linearise_point(int j, std::span<const double> y, std::span<double> jacobian, std::span<double> residual) {
        const double r = a_.r, q = a_.q;
        const std::size_t first = static_cast<std::size_t>(j * per_point_);
        double num = 0, den_phi = 0, den_cdf = 0;
        for (int k = 0; k < per_point_; ++k)
            num += km_[first + k], den_phi += kp_[first + k], den_cdf += cdf_[first + k];
        // The terms outside the integrals, at u = 0.
        const double beta = log_cap_ - y[j];
        const double vol_root = a_.sigma * std::sqrt(tau_[j]);
        const double dm0 = (beta + rates_.mu_minus * tau_[j]) / vol_root;
        const double dp0 = dm0 + vol_root;
        const double km0 = kInvSqrt2Pi * std::exp(-r * tau_[j] - 0.5 * dm0 * dm0) / vol_root;
        const double kp0 = kInvSqrt2Pi * std::exp(-q * tau_[j] - 0.5 * dp0 * dp0) / vol_root;
        const double cdf_part = q >= 0.0 ? std::exp(-q * tau_[j]) * normal_cdf(dp0) + q * den_cdf
                                         : 1.0 - scaled_upper_tail(-q * tau_[j], dp0) - q * den_cdf;
        const double N = km0 + r * num;
        const double D = kp0 + cdf_part + q * den_phi;
        double* row = &jacobian[static_cast<std::size_t>(j * n_)];
        if (!(N > 0.0 && D > 0.0 && std::isfinite(N) && std::isfinite(D))) {
            // Far from the solution (every kernel underflowed, say): this
            // point keeps its value for this step.
            residual[j] = 0.0;
            row[j] = 1.0;
            return;
        }
        residual[j] = beta - std::log(N / D);
        // With G = ln N - ln D, beta = ln b(0) - Y_j and ell_p = sqrt(H(u_p)) - Y_j:
        //   dR_j/dY_i = -delta_ij (1 - dG/dbeta - sum_p dG/dell_p) - sum_p dG/dell_p dsqrt(H_p)/dY_i,
        // dsqrt(H_p)/dY_i = cardinal_i(u_p) Y_i / sqrt(H_p).
        const double g_beta = -km0 * dm0 / vol_root / N - kp0 * (1.0 - dp0 / vol_root) / D;
        double g_ell_sum = 0.0;
        const double inv_N = 1.0 / N, inv_D = 1.0 / D;
        for (int k = 0; k < per_point_; ++k) {
            const std::size_t p = first + k;
            const double g_ell = d_num_[p] * inv_N - d_den_[p] * inv_D;
            g_ell_sum += g_ell;
            coefficient_[k] = root_h_[p] > 0.0 ? -g_ell / root_h_[p] : 0.0;
        }
        std::fill(row_.begin(), row_.end(), 0.0);
        add_rows(coefficient_.data(), &lay_->by_point[first * lay_->stride], per_point_, lay_->stride, row_.data());
        for (int i = 0; i < n_; ++i) row[i] = row_[i] * y[i];
        row[j] += -1.0 + g_beta + g_ell_sum;
    }

    // The standard layout, or one of this solve's own where the kernels'
    // layer near s = 0 is narrower than its split.
    const Layout& layout_for(const UnitPutTerms& a, const BoundarySettings& st) {
        const Layout& standard = standard_layout(st.nodes, st.quadrature);
        std::vector<double> rho(static_cast<std::size_t>(st.nodes));
        bool own = false;
        for (int j = 0; j < st.nodes; ++j) {
            rho[j] = split_fraction(a.sigma, a.r, a.q, a.T * standard.tau[j]);
            own = own || rho[j] < kSplitMax;
        }
        if (!own) return standard;
        own_ = layout(st.nodes, st.quadrature, rho);
        return *own_;
    }

    UnitPutTerms a_;
    int n_, iterations_;
    std::optional<Layout> own_;
    const Layout* lay_;
    int per_point_;
    double log_cap_;
    Rates rates_;
    std::vector<double> tau_;
    // Per quadrature point (j l + k for point k of collocation point j).
    std::vector<double> weight_, s_, vol_root_, carry_, ell_, root_h_, km_, kp_, cdf_, d_num_, d_den_, h_points_;
    std::vector<double> coefficient_, row_;  // one collocation point's Jacobian row, `stride` wide
};

}  // namespace

std::vector<double> solve_boundary(const UnitPutTerms& terms, const BoundarySettings& settings, double log_cap) {
    return Solver(terms, settings, log_cap).solve();
}

}  // namespace tvx::boundary
