// The inner loops of the exercise-boundary method, over arrays of
// quadrature points: what every point adds to the boundary's equation, and
// to the value's integral. Built for several instruction sets; the fastest
// one the processor runs is used.
#pragma once

#include <cstddef>

namespace tvx::boundary {

// The rates of a unit put and mu- = r - q - sigma^2 / 2.
struct Rates {
    double r, q, mu_minus;
};

// Every array holds its points rounded up to a multiple of kPointPadding,
// the padding with weight 0, s 0, vol_root 1 and carry 1.
inline constexpr std::size_t kPointPadding = 16;

// The quadrature points of the boundary's integrals, as parallel arrays
// (structure of arrays) of `count` entries each.
struct EquationPoints {
    std::size_t count;
    const double* weight;    // of du
    const double* s;         // time from the collocation point's tau back to u, tau - u
    const double* vol_root;  // sigma sqrt(s)
    const double* carry;     // e^(-q s)
    const double* ell;       // ln(b(tau) / b(u)) at this step
    // Out, for each point: its shares of the integrals
    //   km  = w e^(-r s) phi(d-) / (sigma sqrt s),
    //   kp  = w e^(-q s) phi(d+) / (sigma sqrt s),
    //   cdf = w e^(-q s) N(d+)   (q >= 0), or w e^(-q s) N(-d+) (q < 0),
    // and the derivatives of r km and q (kp + cdf) in ell.
    double* km;
    double* kp;
    double* cdf;
    double* d_num;
    double* d_den;
};

// Raises ArithmeticError where an exponential overflows.
void equation_terms(const Rates& rates, const EquationPoints& points);

// The value's integral over the nodes of the premium, parallel arrays of
// `count` entries (padded as above, with weight 0):
//   sum of w [r e^(-r s) N(-d-) - q e^(ln S - q s) N(-d+)],
// d-+ from ln(S / b(u)) at each node. Raises ArithmeticError where an
// exponential overflows.
struct PremiumPoints {
    std::size_t count;
    const double* weight;     // of du
    const double* s;          // time from now to u before expiry
    const double* vol_root;   // sigma sqrt(s)
    const double* log_ratio;  // ln(S / b(u))
};

double premium_sum(const Rates& rates, double log_spot, const PremiumPoints& points);

// y = e^x for each of count numbers; x at most 700.
void exp_each(const double* x, double* y, std::size_t count);

// y += a x over count numbers.
void axpy(double a, const double* x, double* y, std::size_t count);

// out[i] += sum over k < count of a[k] rows[k width + i], i < width.
void add_rows(const double* a, const double* rows, std::size_t count, std::size_t width, double* out);

}  // namespace tvx::boundary
