#include "pricing/spot_dividend_european.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

#include "core/fault.h"
#include "pricing/exact_closed_form.h"
#include "pricing/gauss_legendre.h"
#include "pricing/normal.h"

namespace tvx {

namespace {

constexpr double kReach = 7.5;   // standard deviations below the mean (and above it, plus the volatility)
constexpr double kPiece = 1.25;  // the widest piece of the normal's axis under one rule
constexpr int kRule = 12;        // Gauss-Legendre nodes a piece
constexpr ChebyshevPlan kPlan{.degree = 20, .relative = 1e-13, .absolute = 0.0, .max_panels = 160};
constexpr double kPanelWidth = 1.0;   // the widest first panel, in ln S
constexpr double kPanelSpread = 2.5;  // or in standard deviations of ln S at the ex-date
// The panels' tolerance in dollars, against the strike and the highest spot.
constexpr double kAbsolute = 1e-15;

double density(double z) { return kInvSqrt2Pi * std::exp(-0.5 * z * z); }

}  // namespace

SpotDividendEuropean::SpotDividendEuropean(double t, double Sigma, double r, double x, double delta,
                                           std::int16_t optype, std::span<const CashDividend> dividends,
                                           double spot_low, double spot_high)
    : t_(t), sigma_(Sigma), r_(r), x_(x), delta_(delta), call_(optype == 0) {
    if (!(spot_low > 0.0 && spot_low <= spot_high)) throw std::invalid_argument("no range of spots");
    scale_ = chk(x + spot_high);
    const double mu = chk(chk(r - delta) - chk(0.5 * chk(Sigma * Sigma)));
    const GaussLegendre& rule = gauss_legendre(kRule);
    double previous = 0.0;
    for (const CashDividend& d : dividends) {
        if (!(d.time > previous && d.time <= t && d.amount > 0.0))
            throw std::invalid_argument("dividends out of order, outside the life or not positive");
        const double dt = d.time - previous;
        Stage st;
        st.amount = d.amount;
        st.log_amount = flog(d.amount);
        st.discount = fexp(chk(-r * dt));
        st.drift = chk(mu * dt);
        st.vol = chk(Sigma * fsqrt(dt));
        if (!(st.vol > 0.0)) raise_division_by_zero();
        st.liquidated = call_ ? 0.0 : chk(x * fexp(chk(-r * chk(t - d.time))));
        const double top = kReach + st.vol;
        const int pieces = static_cast<int>(std::ceil((kReach + top) / kPiece));
        const double width = (kReach + top) / pieces;
        for (int k = 0; k <= pieces; ++k) st.edges.push_back(k == pieces ? top : -kReach + k * width);
        for (int k = 0; k < pieces; ++k) {
            for (int j = 0; j < kRule; ++j) {
                const double z = -kReach + (k + 0.5) * width + 0.5 * width * rule.x[static_cast<std::size_t>(j)];
                st.nodes.push_back(z);
                st.weights.push_back(0.5 * width * rule.w[static_cast<std::size_t>(j)] * density(z));
            }
        }
        stages_.push_back(std::move(st));
        times_.push_back(d.time);
        previous = d.time;
    }
    plan_spans(spot_low, spot_high);
    for (std::size_t i = stages_.size(); i-- > 0;) build(i);
}

void SpotDividendEuropean::plan_spans(double spot_low, double spot_high) {
    // ln of the lowest and highest spot asked for, carried by the drift
    // and the drops alone (the lowest lost once a drop liquidates it, both
    // once every spot is liquidated), and the variance of ln S from the
    // valuation.
    double low = flog(spot_low), high = flog(spot_high);
    bool has_low = true, has_high = true;
    double variance = 0.0;
    for (Stage& st : stages_) {
        variance = chk(variance + st.vol * st.vol);
        st.spread = std::sqrt(variance);
        low += st.drift, high += st.drift;
        st.lo = st.hi = 0.0;
        if (!has_high) continue;
        const double lo = has_low ? std::max(st.log_amount, low - kReach * st.spread) : st.log_amount;
        const double hi = chk(high + (kReach + st.spread) * st.spread);
        if (!(lo < hi)) {
            has_high = false;
            continue;
        }
        st.lo = lo, st.hi = hi;
        // The spot after the drop, when the share is not liquidated.
        const auto dropped = [&](double& log_spot) {
            const double s = chk(fexp(log_spot) - st.amount);
            if (s > 0.0) log_spot = std::log(s);
            return s > 0.0;
        };
        has_low = has_low && dropped(low);
        has_high = dropped(high);
    }
}

double SpotDividendEuropean::last_value(double s) const {
    const double life = times_.empty() ? t_ : t_ - times_.back();
    if (life <= 0.0) return std::max(call_ ? s - x_ : x_ - s, 0.0);
    return ExactClosedForm(life, r_, x_, s, delta_, call_ ? 0 : 1).value(sigma_);
}

void SpotDividendEuropean::build(std::size_t i) {
    Stage& st = stages_[i];
    if (!(st.lo < st.hi)) return;
    const bool last = i + 1 == stages_.size();
    // Where the value bends: at the strike after the later dividends, and
    // (before the last) where the next one liquidates the share.
    double later = 0.0;
    for (std::size_t j = i + 1; j < stages_.size(); ++j) later += stages_[j].amount;
    std::vector<double> breaks{std::log(x_ + later + st.amount)};
    if (!last) breaks.push_back(std::log(stages_[i + 1].amount + st.amount));
    const double width = std::min(kPanelWidth, kPanelSpread * st.spread);
    for (double b = st.lo + width; b < st.hi; b += width) breaks.push_back(b);
    const auto after_drop = [&](double log_spot) {
        const double s = std::exp(log_spot) - st.amount;
        if (s <= 0.0) return st.liquidated;
        return last ? last_value(s) : expectation(stages_[i + 1], s);
    };
    ChebyshevPlan plan = kPlan;
    plan.absolute = kAbsolute * scale_;
    st.g = PiecewiseChebyshev(after_drop, st.lo, st.hi, std::move(breaks), plan);
}

double SpotDividendEuropean::expectation(const Stage& st, double s) const {
    const double m = std::log(s) + st.drift;
    const double liquidation = (st.log_amount - m) / st.vol;
    double sum = st.liquidated * normal_cdf(liquidation);
    if (!(st.lo < st.hi)) return chk(st.discount * sum);
    const std::span<const double> panels = st.g.edges();
    const GaussLegendre& rule = gauss_legendre(kRule);
    double xs[kRule], ws[kRule];
    // The rule's points from a to b on the normal's axis, all on one panel,
    // with their weights times the density.
    const auto piece = [&](double a, double b, const double* nodes, const double* weights) {
        for (int j = 0; j < kRule; ++j) {
            const double z = nodes ? nodes[j] : 0.5 * (a + b) + 0.5 * (b - a) * rule.x[static_cast<std::size_t>(j)];
            xs[j] = m + st.vol * z;
            ws[j] = weights ? weights[j] : 0.5 * (b - a) * rule.w[static_cast<std::size_t>(j)] * density(z);
        }
        sum += st.g.weighted_sum(st.g.panel(m + st.vol * 0.5 * (a + b)), xs, ws);
    };
    const double start = std::max(liquidation, st.edges.front());
    auto edge = std::upper_bound(panels.begin(), panels.end(), m + st.vol * start);
    for (std::size_t k = 0; k + 1 < st.edges.size(); ++k) {
        const double a = st.edges[k], b = st.edges[k + 1];
        if (b <= start) continue;
        double from = std::max(a, start);
        if (from == a && (edge == panels.end() || *edge >= m + st.vol * b)) {
            piece(a, b, &st.nodes[k * kRule], &st.weights[k * kRule]);
            continue;
        }
        for (; edge != panels.end() && *edge < m + st.vol * b; ++edge) {
            const double cut = (*edge - m) / st.vol;
            if (cut > from) piece(from, cut, nullptr, nullptr), from = cut;
        }
        piece(from, b, nullptr, nullptr);
    }
    return chk(st.discount * sum);
}

double SpotDividendEuropean::value(double S) const {
    if (stages_.empty()) return last_value(S);
    return expectation(stages_.front(), S);
}

double spot_dividend_european(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype,
                              std::span<const CashDividend> dividends) {
    return SpotDividendEuropean(t, Sigma, r, x, delta, optype, dividends, S, S).value(S);
}

}  // namespace tvx
