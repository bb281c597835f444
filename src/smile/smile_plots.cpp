#include "smile/smile_plots.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "core/csv_text.h"
#include "core/numbers.h"

namespace tvx {

namespace {

constexpr int kCurvePoints = 200;
constexpr int kHeatStrikes = 41;
constexpr int kHeatTimes = 30;

std::string num(double x) { return general_text(x, 6); }

const char* fit_name(const SmileReport& r) { return r.fit == FitKind::Svi ? "SVI fit" : "SSVI fit"; }

std::string slice_caption(const SliceReport& s) {
    return "Expiry " + iso_date(s.expiry) + ", " + num(s.market.time) + " years; forward " + num(s.market.forward) +
           ", discount " + num(s.market.discount) +
           (s.svi ? "; fit error " + num(s.rmse) + " volatility points" : "; not fitted");
}

// The strikes of the quotes with a volatility, least and most.
std::pair<double, double> strike_span(const SliceReport& s) {
    double lo = 0, hi = 0;
    for (const QuoteResult& q : s.quotes) {
        if (!q.iv_mid && !q.iv_bid && !q.iv_ask) continue;
        lo = lo == 0 ? q.quote.strike : std::min(lo, q.quote.strike);
        hi = std::max(hi, q.quote.strike);
    }
    return {lo, hi};
}

double fit_vol(const SliceReport& s, double strike) {
    return std::sqrt(std::max(0.0, svi_w(*s.svi, std::log(strike / s.market.forward))) / s.market.time);
}

PlotSeries curve(std::string name, double from, double to, const auto& f) {
    PlotSeries c{std::move(name)};
    for (int i = 0; i <= kCurvePoints; ++i) {
        const double x = from + (to - from) * i / kCurvePoints;
        const std::optional<double> y = f(x);
        if (!y) continue;
        c.x.push_back(x);
        c.y.push_back(*y);
    }
    return c;
}

SmilePlot smile_chart(const SmileReport& r, const SliceReport& s) {
    SmilePlot p{"Smile of " + iso_date(s.expiry), slice_caption(s), "Strike", "Implied volatility"};
    PlotSeries bars{"Bid to ask", PlotMark::Bars}, fitted{"Mid, fitted", PlotMark::Points},
        other{"Mid, not fitted", PlotMark::Points};
    for (const QuoteResult& q : s.quotes) {
        if (q.iv_bid && q.iv_ask) {
            bars.x.push_back(q.quote.strike);
            bars.y.push_back(q.iv_mid ? *q.iv_mid : 0.5 * (*q.iv_bid + *q.iv_ask));
            bars.low.push_back(*q.iv_bid);
            bars.high.push_back(*q.iv_ask);
        }
        if (!q.iv_mid) continue;
        PlotSeries& into = q.fitted ? fitted : other;
        into.x.push_back(q.quote.strike);
        into.y.push_back(*q.iv_mid);
    }
    for (PlotSeries* series : {&bars, &fitted, &other})
        if (!series->x.empty()) p.series.push_back(std::move(*series));
    if (s.svi) {
        const auto [lo, hi] = strike_span(s);
        p.series.push_back(curve(fit_name(r), lo, hi, [&s](double k) { return std::optional(fit_vol(s, k)); }));
    }
    return p;
}

SmilePlot residual_chart(const SliceReport& s) {
    SmilePlot p{"Residuals of " + iso_date(s.expiry), slice_caption(s), "Strike", "Fit less mid (volatility points)"};
    PlotSeries points{"Fit less mid", PlotMark::Points};
    for (const QuoteResult& q : s.quotes) {
        if (!q.fitted || !s.svi) continue;
        points.x.push_back(q.quote.strike);
        points.y.push_back(100.0 * (fit_vol(s, q.quote.strike) - *q.iv_mid));
    }
    if (!points.x.empty()) p.series.push_back(std::move(points));
    return p;
}

SmilePlot density_chart(const SliceReport& s) {
    SmilePlot p{"Implied density of " + iso_date(s.expiry), slice_caption(s), "Strike", "Density of the price"};
    if (!s.svi) return p;
    const auto [lo, hi] = strike_span(s);
    const double k_lo = std::log(lo / s.market.forward), k_hi = std::log(hi / s.market.forward);
    const double wide = 0.5 * (k_hi - k_lo);
    // The density of the price at expiry: the log-moneyness's over the strike.
    p.series.push_back(curve("Implied density", s.market.forward * std::exp(k_lo - wide),
                             s.market.forward * std::exp(k_hi + wide), [&s](double strike) -> std::optional<double> {
                                 const double k = std::log(strike / s.market.forward);
                                 if (!(svi_w(*s.svi, k) > 0.0)) return std::nullopt;
                                 return svi_density(*s.svi, k) / strike;
                             }));
    return p;
}

std::string chain_caption(const SmileReport& r) {
    return "Valued on " + iso_date(r.valuation_date) + (r.spot ? ", spot " + num(*r.spot) : std::string()) + "; " +
           (r.fit == FitKind::Svi ? "SVI slices" : "SSVI surface") + ", error " + num(r.rmse) + " volatility points";
}

SmilePlot term_chart(const SmileReport& r) {
    SmilePlot p{"At-the-money volatility against the expiry", chain_caption(r), "Time to expiry (years)",
                "At-the-money volatility"};
    PlotSeries line{std::string(fit_name(r)) + " at the forward"};
    for (const SliceReport& s : r.expiries) {
        if (!s.svi) continue;
        line.x.push_back(s.market.time);
        line.y.push_back(std::sqrt(std::max(0.0, svi_w(*s.svi, 0.0)) / s.market.time));
    }
    PlotSeries points = line;
    points.name = "Expiries";
    points.mark = PlotMark::Points;
    if (!line.x.empty()) p.series = {std::move(line), std::move(points)};
    return p;
}

SmilePlot variance_chart(const SmileReport& r) {
    SmilePlot p{"Total variance against log-moneyness", chain_caption(r), "k = ln(strike / forward)",
                "Total implied variance"};
    double lo = 0, hi = 0;
    for (const SliceReport& s : r.expiries)
        for (const QuoteResult& q : s.quotes)
            if (q.fitted) lo = std::min(lo, q.k), hi = std::max(hi, q.k);
    for (const SliceReport& s : r.expiries)
        if (s.svi)
            p.series.push_back(
                curve(iso_date(s.expiry), lo, hi, [&s](double k) { return std::optional(svi_w(*s.svi, k)); }));
    return p;
}

// The forward at life t: ln F linear in t between the expiries, flat
// beyond them.
double forward_at(const SmileReport& r, double t) {
    const SliceReport* before = nullptr;
    for (const SliceReport& s : r.expiries) {
        if (!(s.market.time > 0.0)) continue;
        if (s.market.time >= t) {
            if (!before) return s.market.forward;
            const double x = (t - before->market.time) / (s.market.time - before->market.time);
            return std::exp((1.0 - x) * std::log(before->market.forward) + x * std::log(s.market.forward));
        }
        before = &s;
    }
    return before ? before->market.forward : 1.0;
}

SmilePlot surface_chart(const SmileReport& r) {
    SmilePlot p{"Volatility surface", chain_caption(r), "Strike", "Time to expiry (years)"};
    double k_lo = 0, k_hi = 0, t_lo = 0, t_hi = 0;
    for (const SliceReport& s : r.expiries) {
        if (!s.svi) continue;
        const auto [lo, hi] = strike_span(s);
        k_lo = k_lo == 0 ? lo : std::min(k_lo, lo);
        k_hi = std::max(k_hi, hi);
        t_lo = t_lo == 0 ? s.market.time : std::min(t_lo, s.market.time);
        t_hi = std::max(t_hi, s.market.time);
    }
    if (!(k_hi > k_lo) || !(t_hi > 0.0)) return p;
    HeatMap h;
    for (int i = 0; i < kHeatStrikes; ++i) h.strikes.push_back(k_lo + (k_hi - k_lo) * i / (kHeatStrikes - 1));
    for (int j = 0; j < kHeatTimes; ++j) {
        const double t = t_hi > t_lo ? t_lo + (t_hi - t_lo) * j / (kHeatTimes - 1) : t_lo;
        h.times.push_back(t);
        std::vector<std::optional<double>> row;
        for (const double strike : h.strikes) row.push_back(surface_vol(r, strike, forward_at(r, t), t));
        h.vol.push_back(std::move(row));
    }
    p.heat = std::move(h);
    return p;
}

}  // namespace

SmilePlot smile_plot(const SmileWindow& w) {
    if (!w.report || w.report->expiries.empty()) return {};
    const SmileReport& r = *w.report;
    const SliceReport& s =
        r.expiries[static_cast<std::size_t>(std::clamp(w.expiry, 0, static_cast<int>(r.expiries.size()) - 1))];
    const bool live = s.market.time > 0.0;
    switch (w.chart) {
        case SmileChart::Smile: return live ? smile_chart(r, s) : SmilePlot{};
        case SmileChart::Residuals: return live ? residual_chart(s) : SmilePlot{};
        case SmileChart::Density: return live ? density_chart(s) : SmilePlot{};
        case SmileChart::TermStructure: return term_chart(r);
        case SmileChart::TotalVariance: return variance_chart(r);
        case SmileChart::Surface: return surface_chart(r);
    }
    return {};
}

std::string smile_plot_csv(const SmilePlot& p) {
    std::string out;
    if (p.heat) {
        out = "time";
        for (const double k : p.heat->strikes) out += ",", append_number(out, k);
        out += "\n";
        for (std::size_t j = 0; j < p.heat->times.size(); ++j) {
            append_number(out, p.heat->times[j]);
            for (const std::optional<double>& v : p.heat->vol[j]) {
                out += ",";
                if (v) append_number(out, *v);
            }
            out += "\n";
        }
        return out;
    }
    out = "series,x,y,low,high\n";
    for (const PlotSeries& s : p.series) {
        for (std::size_t i = 0; i < s.x.size(); ++i) {
            append_csv_field(out, s.name);
            for (const double v : {s.x[i], s.y[i]}) out += ",", append_number(out, v);
            out += ",";
            if (i < s.low.size()) append_number(out, s.low[i]);
            out += ",";
            if (i < s.high.size()) append_number(out, s.high[i]);
            out += "\n";
        }
    }
    return out;
}

std::string smile_plot_file_name(const SmilePlot& p, const std::string& suffix) {
    std::string name;
    for (const char c : p.title.empty() ? std::string("volatility smile") : p.title) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!name.empty() && name.back() != '-') {
            name += '-';
        }
    }
    while (!name.empty() && name.back() == '-') name.pop_back();
    return name + suffix;
}

}  // namespace tvx
