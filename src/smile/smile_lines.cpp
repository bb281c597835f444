#include "smile/smile_lines.h"

#include <cmath>

#include "core/numbers.h"

namespace tvx {

namespace {

std::string num(double x) { return general_text(x, 6); }

std::string g_text(const GMin& g) {
    return "g least " + num(g.value) + " at k " + num(g.at) + (g.value < 0.0 ? " (butterfly arbitrage)" : "");
}

std::string lee_text(double lee) {
    return "Lee's wing " + num(lee) + (lee > kLeeBound ? " (above 2: arbitrage in the wings)" : "");
}

std::string slice_line(const SliceReport& s) {
    std::string line = iso_date(s.expiry) + " (" + num(s.market.time) + " years): forward " + num(s.market.forward) +
                       ", discount " + num(s.market.discount) +
                       (s.from_parity ? " from put-call parity" : " from the typed rate and yield");
    if (s.rate) line += " (rate " + num(100.0 * *s.rate) + " %";
    if (s.rate && s.yield) line += ", yield " + num(100.0 * *s.yield) + " %";
    if (s.rate) line += ")";
    return line + "; " + std::to_string(s.fitted) + " of " + std::to_string(s.quotes.size()) + " quotes fitted";
}

std::string fit_line(const SliceReport& s) {
    return "  SVI " + svi_text(*s.svi) + "; error " + num(s.rmse) + " volatility points; " + g_text(s.g) + "; " +
           lee_text(s.lee);
}

}  // namespace

std::string svi_text(const SviParams& p) {
    return "a " + num(p.a) + ", b " + num(p.b) + ", rho " + num(p.rho) + ", m " + num(p.m) + ", sigma " + num(p.sigma);
}

std::vector<std::string> smile_lines(const SmileReport& r) {
    std::size_t quotes = 0;
    int fitted = 0;
    for (const SliceReport& s : r.expiries) quotes += s.quotes.size(), fitted += s.svi ? s.fitted : 0;
    std::vector<std::string> lines;
    lines.push_back("Chain of " + std::to_string(quotes) + " quotes in " + std::to_string(r.expiries.size()) +
                    " expiries (" + layout_name(r.layout) + " layout), valued on " + iso_date(r.valuation_date) +
                    (r.spot ? ", spot " + num(*r.spot) : std::string()));
    for (const SliceReport& s : r.expiries) {
        if (!(s.market.time > 0.0)) {
            lines.push_back(iso_date(s.expiry) + ": expired");
            continue;
        }
        lines.push_back(slice_line(s));
        if (s.svi) lines.push_back(fit_line(s));
    }
    if (r.ssvi)
        lines.push_back("SSVI surface: rho " + num(r.ssvi->rho) + ", eta " + num(r.ssvi->eta) + ", gamma " +
                        num(r.ssvi->gamma) + "; error " + num(r.ssvi_rmse) + " volatility points");
    if (r.calendar.empty())
        lines.push_back("No calendar arbitrage: no expiry's total variance falls below an earlier one's");
    for (const CalendarCrossing& c : r.calendar)
        lines.push_back("Calendar arbitrage: " + iso_date(c.later) + " falls below " + iso_date(c.earlier) +
                        " for k from " + num(c.k_from) + " to " + num(c.k_to) + ", by " + num(c.drop) + " at k " +
                        num(c.k_worst));
    lines.push_back("Error of the " + std::string(r.fit == FitKind::Svi ? "SVI slices" : "SSVI surface") + ": " +
                    num(r.rmse) + " volatility points over " + std::to_string(fitted) + " quotes");
    for (const std::string& note : r.notes) lines.push_back("Note: " + note);
    return lines;
}

SliceCheck check_slice(const SviParams& p) {
    SliceCheck c;
    c.lee = lee_wing(p);
    c.min_variance = svi_min_variance(p);
    const double half = c.min_variance > 0.0 ? g_scan_half_width(p) : 0.0;
    if (c.min_variance > 0.0) c.g = svi_g_min(p, -half, half);
    return c;
}

std::vector<std::string> slice_check_lines(const SviParams& p, double t, const SliceCheck& c) {
    std::vector<std::string> lines = {"SVI slice " + svi_text(p) + "; life " + num(t) + " (years)"};
    if (!(c.min_variance > 0.0)) {
        lines.push_back("Its total variance falls to " + num(c.min_variance) + ": not a smile");
    } else {
        lines.push_back(g_text(c.g));
        lines.push_back("Least total variance " + num(c.min_variance) + ", at-the-money volatility " +
                        num(std::sqrt(svi_w(p, 0.0) / t)));
    }
    lines.push_back(lee_text(c.lee));
    lines.push_back(c.butterfly_free() && c.lee_ok() ? "Free of butterfly arbitrage" : "Not free of arbitrage");
    return lines;
}

}  // namespace tvx
