// Where the exercise-boundary method evaluates its integrals: the
// collocation points of the boundary and, for each, the quadrature points
// of its integrals, with the interpolation weights that give the boundary
// there from its values at the collocation points.
#pragma once

#include <cstddef>
#include <vector>

namespace tvx::boundary {

// The boundary is interpolated in w = (tau / T)^(1/3) on the n + 1
// Chebyshev extrema x_j = cos(j pi / n), w = (1 + x) / 2; point n is
// expiry. Each collocation point's integral over u in [0, tau] is split at
// s* = rho tau from its end (s = tau - u):
//   [tau - s*, tau]: Gauss-Legendre in sqrt(s), where the kernels
//       phi(d+-) / sqrt(s) live when the drift is large against the
//       volatility (a layer of width (sigma / (|r - q| + sigma^2/2))^2);
//   [0, tau - s*]: Gauss-Legendre in theta, u = (tau - s*) sin^2(theta),
//       for the sqrt(u) behaviour of the boundary near expiry.
// Every quantity is in units of the life T.
struct Layout {
    int nodes;                     // n
    int per_point;                 // quadrature points per collocation point: 2 l
    std::vector<double> tau;       // tau_j, j = 0 .. n - 1
    std::vector<double> s;         // per quadrature point (j per_point + k): tau_j - u
    std::vector<double> weight;    // of du
    std::vector<double> cardinal;  // (n + 1) rows of all quadrature points: the cardinal function of x_i at each
    std::vector<double> by_point;  // the same, a row of `stride` per quadrature point (n + 1 and zeros)
    std::size_t stride;            // n + 1 rounded up to a multiple of 8
};

inline constexpr double kSplitMax = 0.5;  // rho when the layer is wider than that

// rho for an integral over [0, tau] on the terms (sigma, r, q): the kernels'
// layer reaches kLayerWidths widths sigma / (|r - q| + sigma^2 / 2) of sqrt(s).
double split_fraction(double sigma, double r, double q, double tau);

// The 2 l points of the integral over u in [0, tau], split at s* = rho tau,
// in units of tau: their s = tau - u, weights of du and u; and where
// rho = kSplitMax, (u / tau)^(1/3). Made once per l and kept.
struct SplitRule {
    std::vector<double> near_s, near_weight;  // s / s* and d(s / s*) of the first l
    std::vector<double> far_u, far_weight;    // u / (tau - s*) and its d of the last l
    std::vector<double> standard_cbrt_u;      // (u / tau)^(1/3) of all 2 l at rho = kSplitMax
};
const SplitRule& split_rule(int l);

// Appends the points of split_rule(l) for one integral over [0, tau]:
// s = tau - u, weights of du, and the Chebyshev coordinates of u (tau and T
// in the same unit, tau <= T).
void append_split_points(double tau, double T, double rho, int l, std::vector<double>& s, std::vector<double>& weight,
                         std::vector<double>& x);

// The layout with rho = kSplitMax at every collocation point, the same for
// all terms: made once per (n, l) and kept. Safe from several threads.
const Layout& standard_layout(int n, int l);

// The layout for the given rho_j (0 < rho_j <= kSplitMax), made afresh.
Layout layout(int n, int l, const std::vector<double>& rho);

// The Chebyshev coordinate of w = (tau / T)^(1/3).
double chebyshev_coordinate(double tau_over_T);

}  // namespace tvx::boundary
