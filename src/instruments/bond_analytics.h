// A straight bond's yield from its price and its sensitivity to its rate,
// both from the cash flows bond_value discounts: the coupon c (per unit of
// par, per period) at the end of periods 1 to n and the par value at the
// end of period n, at the rate y per period.
#pragma once

#include <cstdint>

namespace tvx {

// Per unit of par: the value V = sum of CF_i v^i with v = 1 / (1 + y), its
// fall per unit of y, -dV/dy = sum of i CF_i v^(i+1), and its curvature,
// d2V/dy2 = sum of i (i + 1) CF_i v^(i+2). With n = 0 only the par value is
// left: V = 1 and both derivatives 0. The period counter is a 16-bit
// integer, as bond_value's: n = 32767 is an overflow. y must be above -1.
struct BondSums {
    double value = 0;
    double slope = 0;
    double curvature = 0;
};
BondSums bond_sums(double c, double y, std::int16_t n);

// The rate per period above 0 at which the bond is worth `price` per unit
// of par. V falls strictly as y rises, from 1 + c n at y = 0 towards 0, so
// for n >= 1 and 0 < price < 1 + c n there is exactly one; the caller
// checks that first. Newton's steps on V, kept inside a bracket that
// always holds the root and halved where a step would leave it, until no
// double lies between the bracket's ends or a step no longer moves: the
// root of the computed value, as close to the true one as that value's own
// rounding allows. A price so small that its yield cannot be computed with
// is an arithmetic fault.
double bond_yield(double c, std::int16_t n, double price);

// The annual figures at the annual rate `rate` (m periods a year, y =
// rate / m): Macaulay duration (1 + y) (-dV/dy) / (m V) and modified
// duration (-dV/dy) / (m V) in years, convexity (d2V/dy2) / (m^2 V) in
// years squared, and the value of one basis point, modified duration times
// the value in per cent of par times 0.0001.
struct BondRiskFigures {
    double macaulay = 0;
    double modified = 0;
    double convexity = 0;
    double bp_value = 0;
};
BondRiskFigures bond_risk(double c, double rate, std::int16_t n, int m);

}  // namespace tvx
