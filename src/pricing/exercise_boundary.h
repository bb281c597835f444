// The exercise-boundary method for American options on an asset with a
// continuous yield: the critical asset price at which early exercise pays,
// solved as a function of the time to expiry from its integral equation,
// and the option's value at any spot from the early-exercise premium
// integrated over that boundary (Kim, 1990; Andersen, Lake and Offengenden,
// 2016). The boundary does not depend on the spot, and after scaling not
// on the strike either: one solve values every spot, every strike and every
// life up to the one it was solved for.
//
// Calls are valued as puts by put-call symmetry: a call on (S, K, r, q) is
// worth the put on (K, S, q, r). A call whose yield is not above 0 is never
// exercised early and is worth its European value.
//
// Accurate to double precision where it counts: the normal distribution is
// the exact one, not N's five-decimal approximation. Every arithmetic
// fault is raised as ArithmeticError; no NaN or infinity comes out.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tvx {

// How finely the boundary and the value are resolved.
struct BoundarySettings {
    int nodes;        // Chebyshev intervals in sqrt of the time to expiry (nodes + 1 collocation points)
    int quadrature;   // Gauss-Legendre nodes of each integral of the boundary's equation
    int iterations;   // Newton steps on the boundary's equation, from the QD+ approximation
    int value_nodes;  // Gauss-Legendre nodes of the value's integral
};

// The referee's setting: about 1e-5 relative, a few microseconds a value.
inline constexpr BoundarySettings kBoundaryFast{8, 6, 1, 32};
// The full setting: within 1e-6 relative (1e-8 absolute for values below
// 0.01) of an accurate valuation over ordinary and extreme terms.
inline constexpr BoundarySettings kBoundaryFull{20, 12, 2, 128};

// An American put with unit strike: rate r > 0, yield q (any sign),
// volatility sigma > 0, life T > 0. Every option of the method reduces to
// one of these.
struct UnitPutTerms {
    double T, sigma, r, q;
};

// The boundary of a unit-strike put, solved once, as ln of the critical
// price against the time to expiry, and values from it.
class UnitPutBoundary {
public:
    UnitPutBoundary(const UnitPutTerms& terms, const BoundarySettings& settings);

    // ln b(tau) for 0 <= tau <= T; b(0) = min(1, r / q).
    double log_critical(double tau) const;
    // The put's value at spot s (the strike being 1) with life L <= T.
    double value(double s, double life) const;

    const UnitPutTerms& terms() const { return terms_; }

private:
    double log_cap_gap(double tau) const;  // ln b(0) - ln b(tau)

    // The nodes of the premium's integral over one life, padded for the
    // vector kernel, and the boundary at each: they do not depend on the spot.
    struct PremiumNodes {
        double life = 0;
        std::vector<double> weight, elapsed, vol_root, gap;  // gap: ln b(0) - ln b(u)
    };
    PremiumNodes premium_nodes(double life) const;

    UnitPutTerms terms_;
    double log_cap_;  // ln b(0)
    int value_nodes_;
    // H = (ln(b / b(0)))^2 at the Chebyshev extrema of the coordinate of
    // (tau / T)^(1/3), and those extrema.
    std::vector<double> h_, nodes_;
    PremiumNodes full_life_;  // for life T
};

// The European put with unit strike, by the exact normal distribution.
double unit_european_put(const UnitPutTerms& terms, double s, double life);

// An American call or put on (t, Sigma, r, x, delta, optype), the arguments
// of solver_usa less the spot: rate above 0, any yield, Sigma above 0 and
// t above 0 (anything else is an ArithmeticError).
class ExerciseBoundary {
public:
    ExerciseBoundary(double t, double Sigma, double r, double x, double delta, std::int16_t optype,
                     const BoundarySettings& settings = kBoundaryFull);

    // The value at spot S, with the life and strike solved for, or with a
    // shorter life (0 < life <= t) and any strike (the same boundary
    // serves both).
    double value(double S) const { return value(S, t_, x_); }
    double value(double S, double life, double x) const;

    // False for a call whose yield is not above 0: never exercised early.
    bool exercised_early() const { return !european_; }
    // The critical asset price at time to expiry tau (0 <= tau <= t): a put
    // is exercised at or below it, a call at or above it. Only for options
    // exercised early (RuntimeError otherwise).
    double critical_price(double tau) const;

    double t() const { return t_; }
    double strike() const { return x_; }
    std::int16_t optype() const { return optype_; }

private:
    double t_, sigma_, r_, x_, delta_;
    std::int16_t optype_;
    bool european_;
    std::optional<UnitPutBoundary> put_;  // the unit put the option reduces to; none when european_
};

// One value by the method at its full setting: the contract of solver_usa.
double solver_boundary(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype);

}  // namespace tvx
