// The safeguarded implied-volatility search: a bracket that always holds
// the answer, and Newton or rational steps kept inside it. Unlike the
// window's search (Newton from 0.25, ten iterations), it finds the
// volatility for every price the valuation routine reaches between
// kRobustMinVol and kRobustMaxVol, or says that there is none.
#pragma once

#include <cstdint>
#include <optional>

#include "options/implied_vol.h"
#include "options/valuation.h"
#include "pricing/exact_closed_form.h"
#include "pricing/precision.h"

namespace tvx {

inline constexpr double kRobustMinVol = 1e-6;
inline constexpr double kRobustMaxVol = 10.0;
// The routine must reproduce the price within the larger of these.
inline constexpr double kRobustRelTolerance = 1e-10;
inline constexpr double kRobustAbsTolerance = 1e-12;

inline double robust_tolerance(double price) {
    const double rel = kRobustRelTolerance * (price < 0 ? -price : price);
    return rel > kRobustAbsTolerance ? rel : kRobustAbsTolerance;
}

// Exact figures (Advanced > Exact Values) reproduce the price within 1e-13
// of it, or within a few roundings of the value's terms where that is more
// (1e-15 of the spot and the strike together): as near as a double
// volatility can.
inline constexpr double kExactRelTolerance = 1e-13;
inline constexpr double kExactRoundings = 1e-15;
double exact_tolerance(double price, const OptionTerms& terms);

// The closed form (solver_euro) as a function of the volatility alone, with
// everything that does not depend on it worked out once. value() gives the
// very bits solver_euro gives; with it comes the exact derivative of that
// routine in the volatility (its vega, through the derivative of the
// routine's own approximation of N).
class EuroCurve {
public:
    // Exact: the exact closed form (solver_euro_exact) and its analytic vega.
    explicit EuroCurve(const OptionTerms& terms, Precision precision = Precision::Standard);

    struct Point {
        double value;  // solver_euro at this volatility, for the terms' type
        double otm;    // the value of the out-of-the-money type (equal to value when it is that type)
        double vega;   // d value / d volatility
        double volga;  // d vega / d volatility, as the exact normal has it: vega d1 d2 / volatility
    };
    Point at(double sigma) const;

    // e^(-q t) S - e^(-r t) K: the call's value less the put's.
    double forward_intrinsic() const { return spot_carry_ - strike_discount_; }
    bool call() const { return call_; }
    double spot_carry() const { return spot_carry_; }            // e^(-q t) S
    double strike_discount() const { return strike_discount_; }  // e^(-r t) K
    // The volatility at which the value's curvature changes sign:
    // sqrt(2 |ln(F / K)| / t), where vega is largest.
    double inflection() const;

private:
    OptionTerms terms_;
    bool call_;
    std::optional<ExactClosedForm> exact_;
    double sqrt_t_, log_moneyness_, drift_, spot_carry_, strike_discount_;
};

// The closed form's search: Newton on the value (above the inflection) or
// on the logarithm of the out-of-the-money value (below it), with bisection
// whenever a step would leave the bracket.
//
// Exact figures search to exact_tolerance, and where the smallest
// volatility already reproduces the price (the price at its no-arbitrage
// floor to double precision: a deep in-the-money European put's
// K e^(-r t) - S e^(-q t), say) no volatility is chosen: the outcome is
// NotDetermined, with the largest volatility that reproduces the price.
SearchResult robust_implied_euro(double price, const OptionTerms& terms, Precision precision = Precision::Standard);

// Any routine whose value rises with the volatility: the bracket's ends
// valued first, then inverse quadratic or secant steps inside it (Brent).
// When the ends do not straddle the price, a scan of the range looks for a
// stretch that does before the search declines. Exact figures as above.
SearchResult robust_implied(const Valuation& routine, double price, const OptionTerms& terms,
                            Precision precision = Precision::Standard);

}  // namespace tvx
