// A straight bond's fair value against its rate (the price-yield curve) or
// its time to maturity, and a convertible's against the share price beside
// its straight-bond floor and its conversion value; all in per cent of par,
// by the bond windows' own valuations.
#pragma once

#include "charts/chart_window.h"
#include "charts/ranges.h"
#include "instruments/bonds.h"
#include "instruments/convertible.h"

namespace tvx {

Plot bond_plot(const StraightBondTerms& terms, BondX x, const Range& range, int points = kCurvePoints);
Plot convertible_plot(const ConvertibleTerms& terms, const Range& share_range, int points = kCurvePoints);

// The term charted against, in its field's units (the rate in per cent).
double bond_x(const StraightBondTerms& terms, BondX x);

}  // namespace tvx
