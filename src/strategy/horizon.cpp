#include "strategy/horizon.h"

#include <algorithm>
#include <array>
#include <boost/math/tools/minima.hpp>
#include <boost/math/tools/roots.hpp>
#include <cmath>
#include <limits>

#include "core/fault.h"

namespace tvx {

namespace {

// How far either side of a step of the curve it is sampled, relative.
inline constexpr double kStepSide = 1e-14;

struct Sample {
    double x, p;  // a spot and the profit and loss there
};

// The profit and loss at the horizon at its two ends: its limit as the
// spot falls to 0, and the line it follows as the spot grows without end.
struct Ends {
    double at_zero = 0;
    double slope = 0;
    double intercept = 0;
    bool alive = false;  // an option leg is still alive at the horizon
    double reach = 0;    // the largest sigma sqrt(remaining life) of those
    std::vector<double> strikes;
};

// One unit of a leg at the two ends: {at 0, slope, intercept}. An option
// alive at the horizon tends to its discounted exercise value, a European
// call to S e^(-q tau) - K e^(-r tau) and a put at 0 to K e^(-r tau); an
// American call on a dividend-paying asset and an American put are
// exercised there and worth S - K and K - S.
std::array<double, 3> unit_ends(const Leg& leg, double tau, double r, double q) {
    if (!leg.option()) return {0.0, 1.0, 0.0};
    const double K = leg.strike;
    const bool call = leg.instrument == Instrument::Call;
    const bool american = leg.style == LegStyle::American;
    if (tau <= 0.0) return call ? std::array{0.0, 1.0, -K} : std::array{K, 0.0, 0.0};
    if (!call) return {american ? K : chk(K * fexp(-r * tau)), 0.0, 0.0};
    if (american && q > 0.0) return {0.0, 1.0, -K};
    return {0.0, fexp(-q * tau), chk(-K * fexp(-r * tau))};
}

Ends ends_of(const PricedPosition& position, double horizon) {
    Ends e;
    const double r = position.market().rate / 100.0;
    const double q = position.market().dividend / 100.0;
    double slope_scale = 0;
    for (const PricedLeg& l : position.legs()) {
        const double tau = l.leg.time - horizon;
        if (l.leg.option()) {
            e.strikes.push_back(l.leg.strike);
            if (tau > 0.0) {
                e.alive = true;
                e.reach = std::max(e.reach, chk(l.leg.volatility * fsqrt(tau)));
            }
        }
        const auto [zero, slope, intercept] = unit_ends(l.leg, tau, r, q);
        e.at_zero = chk(e.at_zero + l.units * (zero - l.premium));
        e.slope = chk(e.slope + l.units * slope);
        e.intercept = chk(e.intercept + l.units * chk(intercept - l.premium));
        slope_scale = chk(slope_scale + std::fabs(l.units * slope));
    }
    // Slopes that cancel leave at most rounding behind.
    if (std::fabs(e.slope) <= 1e-12 * slope_scale) e.slope = 0;
    std::sort(e.strikes.begin(), e.strikes.end());
    e.strikes.erase(std::unique(e.strikes.begin(), e.strikes.end()), e.strikes.end());
    return e;
}

// The grid of a smooth curve: the limit at 0, then spots from below the
// lowest strike (and today's spot) to above the highest, eight times the
// widest reach beyond them in the logarithm, where every leg alive is its
// asymptote to double precision; and every strike. Each step of the curve
// is sampled on both its sides.
std::vector<double> smooth_spots(const Ends& e, double spot, const std::vector<double>& steps) {
    const double width = std::max(8.0 * e.reach, 0.1);
    const double low = chk(std::min(spot, e.strikes.front()) * std::exp(-width));
    const double high = chk(std::max(spot, e.strikes.back()) * std::exp(width));
    std::vector<double> x = e.strikes;
    const double step = (std::log(high) - std::log(low)) / (kHorizonGridPoints - 1);
    for (int k = 0; k < kHorizonGridPoints; ++k) x.push_back(low * std::exp(step * k));
    x.back() = high;
    // The computed d crosses 0 within a few roundings of the step's spot:
    // a hundred-trillionth either side of it is on the one side or the other.
    for (const double at : steps) {
        if (!(at > 0.0 && at < high)) continue;
        x.push_back(at * (1.0 - kStepSide));
        x.push_back(at * (1.0 + kStepSide));
    }
    std::sort(x.begin(), x.end());
    x.erase(std::unique(x.begin(), x.end()), x.end());
    return x;
}

// Whether a step of the curve lies between a and b.
bool steps_between(double a, double b, const std::vector<double>& steps) {
    const auto it = std::upper_bound(steps.begin(), steps.end(), a);
    return it != steps.end() && *it < b;
}

// The turning points of the curve between its samples, each solved for on
// the two intervals around a sample that stands above (or below) both its
// neighbours on the same smooth piece (no step between them).
template <class F>
std::vector<Sample> turning_points(const std::vector<Sample>& s, const std::vector<double>& steps, const F& pnl) {
    constexpr int kBits = std::numeric_limits<double>::digits / 2;
    std::vector<Sample> found;
    for (std::size_t j = 2; j + 2 < s.size(); ++j) {
        const bool peak = s[j].p >= s[j - 1].p && s[j].p >= s[j + 1].p;
        const bool trough = s[j].p <= s[j - 1].p && s[j].p <= s[j + 1].p;
        if (peak == trough) continue;  // neither, or a flat stretch
        if (steps_between(s[j - 1].x, s[j + 1].x, steps)) continue;
        const double sign = peak ? -1.0 : 1.0;
        const auto [x, v] = boost::math::tools::brent_find_minima([&](double S) { return sign * pnl(S); }, s[j - 1].x,
                                                                  s[j + 1].x, kBits);
        found.push_back({x, sign * v});
    }
    return found;
}

// Where the curve crosses 0 between two samples of different signs: on a
// straight piece by the line through them, otherwise solved for.
template <class F>
double crossing(const Sample& a, const Sample& b, bool straight, const F& pnl) {
    if (a.p == 0.0) return a.x;
    if (b.p == 0.0) return b.x;
    if (straight) return a.x + (b.x - a.x) * fdiv(a.p, a.p - b.p);
    boost::math::tools::eps_tolerance<double> tolerance(48);
    std::uintmax_t iterations = 200;
    const auto [lo, hi] = boost::math::tools::toms748_solve(pnl, a.x, b.x, a.p, b.p, tolerance, iterations);
    return 0.5 * (lo + hi);
}

// The spots where the curve stands above 0: between the samples, then
// along its asymptote beyond the last.
template <class F>
std::vector<SpotInterval> profit_intervals(const std::vector<Sample>& s, const Ends& e, const F& pnl) {
    std::vector<SpotInterval> profit;
    bool inside = s.front().p > 0.0;  // a profit interval is open, from `start`
    double start = 0.0;
    for (std::size_t j = 1; j < s.size(); ++j) {
        if ((s[j - 1].p > 0.0) == (s[j].p > 0.0)) continue;
        const double x = crossing(s[j - 1], s[j], !e.alive || j == 1, pnl);
        if (!inside)
            start = x;
        else
            profit.push_back({start, x});
        inside = !inside;
    }
    const Sample& last = s.back();
    if (inside) {
        profit.push_back({start, e.slope < 0.0 ? std::optional(last.x - fdiv(last.p, e.slope)) : std::nullopt});
    } else if (e.slope > 0.0) {
        profit.push_back({last.p == 0.0 ? last.x : last.x - fdiv(last.p, e.slope), std::nullopt});
    }
    return profit;
}

}  // namespace

HorizonFigures horizon_figures(const PricedPosition& position, double horizon, const SpotDistribution& spot) {
    const Ends e = ends_of(position, horizon);
    const auto pnl = [&](double S) { return position.pnl(S, horizon); };
    std::vector<Sample> s{{0.0, e.at_zero}};
    std::vector<double> spots = e.strikes;
    const std::vector<double> steps = e.alive ? position.pnl_steps(horizon) : std::vector<double>{};
    if (e.alive) spots = smooth_spots(e, position.market().spot, steps);
    for (const double x : spots) s.push_back({x, pnl(x)});
    if (e.alive) {
        const std::vector<Sample> turns = turning_points(s, steps, pnl);
        s.insert(s.end(), turns.begin(), turns.end());
        std::sort(s.begin(), s.end(), [](const Sample& a, const Sample& b) { return a.x < b.x; });
    }

    HorizonFigures f;
    f.profit = profit_intervals(s, e, pnl);
    for (const SpotInterval& i : f.profit) {
        if (i.from > 0.0) f.breakevens.push_back(i.from);
        if (i.to) f.breakevens.push_back(*i.to);
        f.probability += spot.probability(i.from, i.to);
    }
    const auto [low, high] = std::minmax_element(s.begin(), s.end(), [](auto& a, auto& b) { return a.p < b.p; });
    if (e.slope <= 0.0) f.max_profit = e.slope == 0.0 ? std::max(high->p, e.intercept) : high->p;
    if (e.slope >= 0.0) f.max_loss = -(e.slope == 0.0 ? std::min(low->p, e.intercept) : low->p);
    return f;
}

}  // namespace tvx
