#include "strategy/analysis.h"

#include <algorithm>
#include <functional>

#include "core/fault.h"
#include "strategy/share_dividends.h"

namespace tvx {

namespace {

// With cash dividends, the spot at the horizon as the escrowed model has
// it: the lognormal part of the spot (less the present value of the
// dividends up to the last expiry) and the value then of those still to
// come. Exact under the escrowed model; under the spot model the
// distribution the legs' values are weighed with.
SpotDistribution distribution_of(const Strategy& s, const StrategyFigures& f) {
    const Market& m = s.market;
    const double r = m.rate / 100.0;
    const double last = std::max(f.horizon, last_expiry(s.legs));
    const std::vector<CashDividend> paid = dividends_within(s.dividends, last);
    const double escrowed = chk(m.spot - dividends_present_value(paid, r));
    const double later = dividends_present_value(paid, r, f.horizon);
    return SpotDistribution(escrowed, r, m.dividend / 100.0, f.volatility, f.horizon, later);
}

StrategyFigures figures_of(const Strategy& s, const PricedPosition& position) {
    StrategyFigures f;
    f.net_premium = position.net_premium();
    f.total = position.total();
    f.legs = position.legs();
    const std::optional<double> horizon = horizon_of(s);
    const std::optional<double> volatility = volatility_of(s);
    if (!horizon || !volatility) throw RuntimeError("no horizon or no volatility for the distribution");
    f.horizon = *horizon;
    f.horizon_set = s.horizon.has_value();
    f.volatility = *volatility;
    f.volatility_set = s.volatility.has_value();
    f.at_horizon = horizon_figures(position, f.horizon, distribution_of(s, f));
    return f;
}

std::optional<double> valued(const std::function<double()>& value, int& left_out) {
    try {
        return value();
    } catch (const RuntimeError&) {
        ++left_out;
        return std::nullopt;
    }
}

// The spots of the curves, evenly over the range.
std::vector<double> curve_spots(double low, double high) {
    std::vector<double> spots;
    for (int k = 0; k < kStrategyCurvePoints; ++k) spots.push_back(low + (high - low) * k / (kStrategyCurvePoints - 1));
    spots.back() = high;
    return spots;
}

StrategyCurves curves_of(const Strategy& s, const PricedPosition& position, const StrategyFigures& f,
                         const SpotRange& range) {
    const SpotDistribution d = distribution_of(s, f);
    StrategyCurves c;
    const auto [low, high] = curve_range(s, f, range);
    c.spots = curve_spots(low, high);
    c.bands = {d.spot_at(-2.0), d.spot_at(-1.0), d.spot_at(1.0), d.spot_at(2.0)};
    bool alive = false;
    for (const Leg& leg : s.legs) alive = alive || (leg.option() && leg.time > f.horizon);
    for (const double S : c.spots) {
        int faults = 0;
        c.at_expiry.push_back(valued([&] { return position.pnl_at_expiry(S); }, faults));
        c.today.push_back(valued([&] { return position.pnl(S, 0.0); }, faults));
        if (alive) c.at_horizon.push_back(valued([&] { return position.pnl(S, f.horizon); }, faults));
        c.left_out += faults > 0 ? 1 : 0;
    }
    return c;
}

StrategyGrid grid_of(const Strategy& s, const PricedPosition& position) {
    StrategyGrid g;
    g.cost = position.net_premium();
    for (int i = 0; i < kStrategyGridSpots; ++i)
        g.spots.push_back(s.market.spot * (0.8 + 0.4 * i / (kStrategyGridSpots - 1)));
    for (int j = 0; j < kStrategyGridFactors; ++j) g.factors.push_back(0.5 + 1.0 * j / (kStrategyGridFactors - 1));
    for (const double S : g.spots) {
        std::vector<std::optional<double>> row;
        for (const double factor : g.factors)
            row.push_back(valued([&] { return chk(position.pnl(S, 0.0, factor) + g.cost); }, g.left_out));
        g.value.push_back(std::move(row));
    }
    return g;
}

}  // namespace

std::pair<double, double> curve_range(const Strategy& s, const StrategyFigures& f, const SpotRange& typed) {
    const SpotDistribution d = distribution_of(s, f);
    double low = d.spot_at(-3.0), high = d.spot_at(3.0);
    for (const Leg& leg : s.legs) {
        if (!leg.option()) continue;
        low = std::min(low, leg.strike);
        high = std::max(high, leg.strike);
    }
    const double span = chk(high - low);
    low = std::max(low - 0.1 * span, 0.5 * low);
    high = chk(high + 0.1 * span);
    return {typed.from.value_or(low), typed.to.value_or(high)};
}

std::optional<double> horizon_of(const Strategy& s) { return s.horizon ? s.horizon : first_expiry(s.legs); }

std::optional<double> volatility_of(const Strategy& s) {
    if (s.volatility) return s.volatility;
    double sum = 0;
    int count = 0;
    for (const Leg& leg : s.legs) {
        if (!leg.option()) continue;
        sum = chk(sum + leg.volatility);
        ++count;
    }
    if (count == 0) return std::nullopt;
    return sum / count;
}

StrategyFigures strategy_figures(const Strategy& s, const LegValuer& valuer) {
    return figures_of(s, PricedPosition(s, valuer));
}

StrategyReport strategy_report(const Strategy& s, const LegValuer& valuer, const SpotRange& range) {
    const PricedPosition position(s, valuer);
    StrategyReport r;
    r.strategy = s;
    r.figures = figures_of(s, position);
    r.curves = curves_of(s, position, r.figures, range);
    r.grid = grid_of(s, position);
    r.precision = valuer.precision();
    return r;
}

}  // namespace tvx
