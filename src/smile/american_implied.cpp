#include "smile/american_implied.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "core/fault.h"
#include "pricing/exercise_boundary.h"
#include "smile/forwards.h"

namespace tvx {

namespace {

constexpr int kNodes = 12;
constexpr double kMinVol = 0.005;
constexpr double kMaxVol = 5.0;
// The interpolation is taken as it is when it vouches for this much.
constexpr double kVouched = 1e-7;

bool never_early(const AmericanMarket& m, bool call) { return call ? m.yield <= 0.0 : m.rate <= 0.0; }

ExpiryMarket european_market(const AmericanMarket& m) { return rate_market(m.spot, m.rate, m.yield, m.time); }

ExerciseBoundary boundary_at(const AmericanMarket& m, bool call, double vol) {
    return ExerciseBoundary(m.time, vol, m.rate, m.spot, m.yield, call ? 0 : 1, kBoundaryFull);
}

// The volatility in [lo, hi] at which the method's value is `price`, given
// the value's excess over the price at both ends (f_lo <= 0 <= f_hi) and
// a first guess: secant steps from the guess, halving the bracket whenever
// a step would leave it or fails to shrink it.
double solve_in(const AmericanMarket& m, bool call, double strike, double price, double lo, double hi, double guess) {
    const double tolerance = 1e-12 * std::max(price, 1e-6);
    const auto excess = [&](double vol) { return boundary_at(m, call, vol).value(m.spot, m.time, strike) - price; };
    double x = std::clamp(guess, lo, hi), fx = excess(x);
    double x_prev = x, f_prev = fx;
    for (int i = 0; i < 60 && std::fabs(fx) > tolerance && hi - lo > 1e-11; ++i) {
        (fx < 0.0 ? lo : hi) = x;
        double next = 0.5 * (lo + hi);
        if (i == 0) {
            const double nudge = std::max(1e-6, 1e-4 * x);
            next = fx < 0.0 ? std::min(x + nudge, hi) : std::max(x - nudge, lo);
        } else if (fx != f_prev) {
            next = x - fx * (x - x_prev) / (fx - f_prev);
        }
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        x_prev = x, f_prev = fx;
        x = next, fx = excess(x);
    }
    return x;
}

// The nodes of one expiry's calls or puts, and the values of one strike
// on them.
struct Nodes {
    std::vector<double> vol;
    std::vector<ExerciseBoundary> boundary;
};

Nodes nodes_over(const AmericanMarket& m, bool call, double lo, double hi) {
    Nodes n;
    for (int j = kNodes - 1; j >= 0; --j) {  // cos falls with j: ascending volatilities
        const double v = 0.5 * (lo + hi) + 0.5 * (hi - lo) * std::cos(std::numbers::pi * (j + 0.5) / kNodes);
        n.vol.push_back(v);
        n.boundary.push_back(boundary_at(m, call, v));
    }
    return n;
}

// The American volatility at European volatility tau through the nodes'
// (tau_j, sigma_j - tau_j), by barycentric Lagrange interpolation, and
// how far the same without the node farthest from tau lies from it.
struct Estimate {
    double vol = 0;
    double spread = 1;
};

double lagrange(const std::vector<double>& x, const std::vector<double>& y, double at, std::size_t skip) {
    double sum = 0;
    for (std::size_t a = 0; a < x.size(); ++a) {
        if (a == skip) continue;
        double l = 1;
        for (std::size_t b = 0; b < x.size(); ++b)
            if (b != a && b != skip) l *= (at - x[b]) / (x[a] - x[b]);
        sum += l * y[a];
    }
    return sum;
}

Estimate estimate(const std::vector<double>& tau, const std::vector<double>& gap, double at) {
    if (tau.size() < 4) return {};
    std::size_t far = 0;
    for (std::size_t a = 1; a < tau.size(); ++a)
        if (std::fabs(tau[a] - at) > std::fabs(tau[far] - at)) far = a;
    const double all = lagrange(tau, gap, at, tau.size());
    const double fewer = lagrange(tau, gap, at, far);
    return {at + all, std::fabs(all - fewer)};
}

// One strike's prices against the nodes.
class StrikeOnNodes {
public:
    StrikeOnNodes(const AmericanMarket& m, bool call, double strike, const Nodes& nodes)
        : m_(m), call_(call), strike_(strike), nodes_(nodes), euro_(european_market(m)) {
        for (std::size_t j = 0; j < nodes.vol.size(); ++j) {
            value_.push_back(nodes.boundary[j].value(m.spot, m.time, strike));
            // Values with next to no time value say nothing of the map.
            if (value_[j] - floor() < 1e-9 * strike) continue;
            const PriceVol e = european_vol(euro_, strike, call, value_[j]);
            if (!e.vol) continue;
            tau_.push_back(*e.vol);
            gap_.push_back(nodes.vol[j] - *e.vol);
        }
    }

    // The least value of the option: exercised now, or the discounted
    // forward's intrinsic value.
    double floor() const {
        const double now = call_ ? m_.spot - strike_ : strike_ - m_.spot;
        const double forward = euro_.discount * (call_ ? euro_.forward - strike_ : strike_ - euro_.forward);
        return std::max({0.0, now, forward});
    }

    PriceVol vol_of(double price) const {
        if (!(price > floor())) return {std::nullopt, QuoteFlag::BelowIntrinsic};
        if (!(price < (call_ ? m_.spot : strike_))) return {std::nullopt, QuoteFlag::NoSolution};
        const std::size_t n = value_.size();
        if (price < value_.front()) return outside(price, kMinVol, nodes_.vol.front(), QuoteFlag::BelowIntrinsic);
        if (price > value_.back()) return outside(price, nodes_.vol.back(), kMaxVol, QuoteFlag::NoSolution);
        std::size_t j = 0;
        while (j + 2 < n && value_[j + 1] < price) ++j;
        const double lo = nodes_.vol[j], hi = nodes_.vol[j + 1];
        double guess = 0.5 * (lo + hi);
        if (const PriceVol e = european_vol(euro_, strike_, call_, price); e.vol) {
            const Estimate est = estimate(tau_, gap_, *e.vol);
            if (est.spread < kVouched && est.vol >= lo && est.vol <= hi) return {est.vol, QuoteFlag::Ok};
            if (est.vol > lo && est.vol < hi) guess = est.vol;
        }
        return {solve_in(m_, call_, strike_, price, lo, hi, guess), QuoteFlag::Ok};
    }

private:
    // A price beyond the nodes: solved between the last node and the
    // volatilities' end, unless the end does not reach it.
    PriceVol outside(double price, double lo, double hi, QuoteFlag beyond) const {
        const double end = beyond == QuoteFlag::BelowIntrinsic ? lo : hi;
        const double at_end = boundary_at(m_, call_, end).value(m_.spot, m_.time, strike_);
        if (beyond == QuoteFlag::BelowIntrinsic ? price <= at_end : price >= at_end) return {std::nullopt, beyond};
        return {solve_in(m_, call_, strike_, price, lo, hi, 0.5 * (lo + hi)), QuoteFlag::Ok};
    }

    const AmericanMarket& m_;
    bool call_;
    double strike_;
    const Nodes& nodes_;
    ExpiryMarket euro_;
    std::vector<double> value_;      // on every node
    std::vector<double> tau_, gap_;  // the usable nodes' European volatility and the gap to the node's
};

// The span of the nodes: the American volatility of a price lies at or
// below its European one; the least of these, well below, down to where
// deep in-the-money prices may fall.
std::pair<double, double> node_span(const AmericanMarket& m, bool call, const std::vector<AmericanPrice>& prices) {
    const ExpiryMarket euro = european_market(m);
    double lo = kMaxVol, hi = 0;
    for (const AmericanPrice& p : prices) {
        const PriceVol e = european_vol(euro, p.strike, call, p.price);
        if (!e.vol) continue;
        lo = std::min(lo, *e.vol);
        hi = std::max(hi, *e.vol);
    }
    if (hi <= 0.0) return {0.05, 1.0};
    return {std::max(kMinVol, 0.6 * lo), std::min(kMaxVol, 1.05 * hi + 0.02)};
}

}  // namespace

double american_value(const AmericanMarket& m, bool call, double strike, double vol) {
    if (never_early(m, call)) return european_value(european_market(m), strike, call, vol);
    return boundary_at(m, call, vol).value(m.spot, m.time, strike);
}

std::vector<PriceVol> american_vols(const AmericanMarket& m, bool call, const std::vector<AmericanPrice>& prices) {
    std::vector<PriceVol> out(prices.size());
    if (prices.empty()) return out;
    if (never_early(m, call)) {
        const ExpiryMarket euro = european_market(m);
        for (std::size_t i = 0; i < prices.size(); ++i)
            out[i] = european_vol(euro, prices[i].strike, call, prices[i].price);
        return out;
    }
    const auto [lo, hi] = node_span(m, call, prices);
    const Nodes nodes = nodes_over(m, call, lo, hi);
    // Each strike once, however many of its prices are asked for.
    std::vector<std::size_t> order(prices.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&prices](std::size_t a, std::size_t b) { return prices[a].strike < prices[b].strike; });
    for (std::size_t i = 0; i < order.size();) {
        const double strike = prices[order[i]].strike;
        const StrikeOnNodes on(m, call, strike, nodes);
        for (; i < order.size() && prices[order[i]].strike == strike; ++i)
            out[order[i]] = on.vol_of(prices[order[i]].price);
    }
    return out;
}

}  // namespace tvx
