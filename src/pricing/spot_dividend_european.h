// A European option under the spot model of cash dividends (the share drops
// by each dividend on its ex-date and is liquidated when it is worth less),
// valued exactly by one integral for each ex-date, from the last back to
// the valuation:
//
//   after the last drop the option is the closed form on the exact normal
//   distribution (or its payoff, for a dividend on the expiry);
//   just before an ex-date t_i it is worth the value after it at S - D_i,
//   or the value of a share worth nothing when S <= D_i;
//   back over the time to the ex-date before, the value is the discounted
//   expectation of that under the lognormal law, an integral over the
//   standard normal variable, split where the share is liquidated.
//
// Each value function between ex-dates is kept as Chebyshev polynomials on
// panels in the logarithm of the spot, split until they interpolate it to
// about 1e-13 of its size, over every spot the later integrals reach from
// the range asked for; the integrals are Gauss-Legendre rules on pieces of
// the standard normal's axis cut at the panels' edges and at the
// liquidation point, from -7.5 to 7.5 + the volatility over the interval.
// The values come within 1e-10 relative of the exact ones (about 1e-13
// absolute below a value of 1e-3).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "pricing/cash_dividends.h"
#include "pricing/piecewise_chebyshev.h"

namespace tvx {

class SpotDividendEuropean {
public:
    // The arguments of solver_euro less the spot, the dividends within the
    // life (dividends_within: 0 < time <= t, in order, at distinct times,
    // each amount above 0), and the range of spots (0 < low <= high) that
    // value() will be asked for. Faults as the closed form does (t, Sigma
    // or x not above 0, overflow).
    SpotDividendEuropean(double t, double Sigma, double r, double x, double delta, std::int16_t optype,
                         std::span<const CashDividend> dividends, double spot_low, double spot_high);

    // The value at spot S within the range.
    double value(double S) const;

private:
    struct Stage {
        double amount = 0, log_amount = 0;   // the dividend D and ln D
        double discount = 1;                 // e^(-r) over the interval up to the ex-date
        double drift = 0, vol = 0;           // of ln S over that interval: (r - q - Sigma^2 / 2) dt, Sigma sqrt(dt)
        double liquidated = 0;               // the value just after the ex-date of a share worth nothing
        double spread = 0;                   // the standard deviation of ln S at the ex-date
        double lo = 0, hi = 0;               // the span of ln S before the drop kept by `g` (empty when hi <= lo)
        PiecewiseChebyshev g;                // the value just before the ex-date, against ln S
        std::vector<double> edges;           // the standard normal's axis cut into whole pieces
        std::vector<double> nodes, weights;  // the rule on each whole piece, its weights times the density
    };

    void plan_spans(double spot_low, double spot_high);
    void build(std::size_t i);
    // The discounted expectation at the ex-date before stage i (the
    // valuation for stage 0), from spot s just after that ex-date.
    double expectation(const Stage& st, double s) const;
    double last_value(double s) const;  // after the last drop

    double t_, sigma_, r_, x_, delta_;
    bool call_;
    double scale_ = 0;  // the strike and the highest spot: the size of the values that matter
    std::vector<double> times_;
    std::vector<Stage> stages_;
};

// One value: the range is the spot alone.
double spot_dividend_european(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype,
                              std::span<const CashDividend> dividends);

}  // namespace tvx
