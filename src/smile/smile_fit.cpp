// The fits of a smile report: each expiry's SVI slice, the SSVI surface,
// the arbitrage report and the errors.
#include <algorithm>
#include <cmath>

#include "core/fault.h"
#include "smile/smile.h"
#include "smile/svi_fit.h"

namespace tvx {

namespace {

// The least spread a quote is taken to have, in volatility: a market that
// quotes none (bid equal to ask) weighs as if it quoted this.
constexpr double kLeastSpread = 0.001;

// The out-of-the-money quotes with a mid volatility: calls at or above the
// forward, puts below it. Each squared residual in total variance weighs
// the inverse square of the quote's spread in total variance.
SviData fit_points(SliceReport& s) {
    SviData d;
    const double t = s.market.time;
    for (QuoteResult& q : s.quotes) {
        q.fitted = false;
        if (q.flag != QuoteFlag::Ok || !q.iv_mid || q.quote.call != (q.k >= 0.0)) continue;
        const double v = *q.iv_mid;
        double spread = 2.0 * v * kLeastSpread * t;
        if (q.iv_bid && q.iv_ask) spread = std::max(spread, (*q.iv_ask * *q.iv_ask - *q.iv_bid * *q.iv_bid) * t);
        d.k.push_back(q.k);
        d.w.push_back(v * v * t);
        d.weight.push_back(fdiv(1.0, spread * spread));
        q.fitted = true;
    }
    s.fitted = static_cast<int>(d.k.size());
    return d;
}

double fit_vol(const SviParams& p, double k, double t) { return std::sqrt(std::max(0.0, svi_w(p, k)) / t); }

// The final fit's errors and arbitrage figures.
void judge(SliceReport& s) {
    const SviParams& p = *s.svi;
    double sum = 0;
    for (const QuoteResult& q : s.quotes) {
        if (!q.fitted) continue;
        const double e = fit_vol(p, q.k, s.market.time) - *q.iv_mid;
        sum += e * e;
    }
    s.rmse = s.fitted > 0 ? 100.0 * std::sqrt(sum / s.fitted) : 0.0;
    const double half = g_scan_half_width(p);
    s.g = svi_min_variance(p) > 0.0 ? svi_g_min(p, -half, half) : GMin{-1.0, p.m};
    s.lee = lee_wing(p);
}

void fit_surface(SmileReport& r, const std::vector<SviData>& data) {
    std::vector<SsviSlice> slices;
    std::vector<SliceReport*> of;
    double theta = 0, rho = 0;
    for (std::size_t i = 0; i < r.expiries.size(); ++i) {
        SliceReport& s = r.expiries[i];
        if (!s.own_svi) continue;
        // The at-the-money variance, never falling with the expiry.
        theta = std::max(svi_w(*s.own_svi, 0.0), theta * (1.0 + 1e-9) + 1e-12);
        slices.push_back({theta, data[i]});
        of.push_back(&s);
        rho += s.own_svi->rho;
    }
    if (slices.size() < 2) return;
    r.ssvi = fit_ssvi(slices, rho / static_cast<double>(slices.size()));
    double sum = 0;
    int n = 0;
    for (std::size_t i = 0; i < slices.size(); ++i) {
        const SviParams p = ssvi_slice(*r.ssvi, slices[i].theta);
        for (const QuoteResult& q : of[i]->quotes) {
            if (!q.fitted) continue;
            const double e = fit_vol(p, q.k, of[i]->market.time) - *q.iv_mid;
            sum += e * e, ++n;
        }
        if (r.fit == FitKind::Ssvi) of[i]->svi = p;
    }
    r.ssvi_rmse = n > 0 ? 100.0 * std::sqrt(sum / n) : 0.0;
}

// Where each fitted slice's total variance falls below the one before,
// over the k of both slices' fitted quotes.
void find_crossings(SmileReport& r) {
    const SliceReport* before = nullptr;
    for (const SliceReport& s : r.expiries) {
        if (!s.svi) continue;
        if (before) {
            double lo = 0, hi = 0;
            for (const SliceReport* x : {before, &s})
                for (const QuoteResult& q : x->quotes)
                    if (q.fitted) lo = std::min(lo, q.k), hi = std::max(hi, q.k);
            constexpr int kSteps = 400;
            std::optional<CalendarCrossing> c;
            for (int i = 0; i <= kSteps; ++i) {
                const double k = lo + (hi - lo) * i / kSteps;
                const double drop = svi_w(*before->svi, k) - svi_w(*s.svi, k);
                if (!(drop > 1e-12)) continue;
                if (!c) c = CalendarCrossing{before->expiry, s.expiry, k, k, k, drop};
                c->k_to = k;
                if (drop > c->drop) c->k_worst = k, c->drop = drop;
            }
            if (c) r.calendar.push_back(*c);
        }
        before = &s;
    }
}

}  // namespace

void fit_smile(SmileReport& r) {
    std::vector<SviData> data;
    for (SliceReport& s : r.expiries) {
        data.push_back(s.market.time > 0.0 ? fit_points(s) : SviData{});
        if (s.market.time > 0.0 && s.fitted < kSviLeastPoints)
            r.notes.push_back(iso_date(s.expiry) + smile_text::too_few);
        if (s.fitted < kSviLeastPoints) continue;
        s.own_svi = fit_svi(data.back());
        s.svi = s.own_svi;
    }
    fit_surface(r, data);
    double sum = 0;
    int n = 0;
    for (SliceReport& s : r.expiries) {
        if (r.fit == FitKind::Ssvi && !r.ssvi) s.svi.reset();
        if (!s.svi) continue;
        judge(s);
        sum += s.rmse * s.rmse * s.fitted, n += s.fitted;
    }
    r.rmse = n > 0 ? std::sqrt(sum / n) : 0.0;
    find_crossings(r);
}

std::optional<double> surface_variance(const SmileReport& r, double k, double t) {
    const SliceReport* below = nullptr;
    const SliceReport* above = nullptr;
    for (const SliceReport& s : r.expiries) {
        if (!s.svi) continue;
        if (s.market.time <= t) below = &s;
        if (s.market.time >= t && !above) above = &s;
    }
    if (!below && !above) return std::nullopt;
    const auto w = [k](const SliceReport* s) { return std::max(0.0, svi_w(*s->svi, k)); };
    if (!below) return w(above) * t / above->market.time;
    if (!above) return w(below) * t / below->market.time;
    if (above == below) return w(below);
    const double x = (t - below->market.time) / (above->market.time - below->market.time);
    return (1.0 - x) * w(below) + x * w(above);
}

std::optional<double> surface_vol(const SmileReport& r, double strike, double forward, double t) {
    if (!(t > 0.0)) return std::nullopt;
    const std::optional<double> w = surface_variance(r, flog(fdiv(strike, forward)), t);
    if (!w || !(*w > 0.0)) return std::nullopt;
    return fsqrt(*w / t);
}

}  // namespace tvx
