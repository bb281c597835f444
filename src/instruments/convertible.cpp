#include "instruments/convertible.h"

#include "core/checks.h"
#include "core/fault.h"
#include "core/numbers.h"
#include "instruments/bonds.h"
#include "pricing/closed_form.h"

namespace tvx {

double convertible_value(double P, double c, double y, std::int16_t n, std::int16_t R, double T, double S, double sigma,
                         double r, double q) {
    const double K = fdiv(P, R);  // conversion price: par given up for each share
    const double V = solver_euro(T, sigma, r, K, S, q, 0);
    const double B = bond_value(P, c, y, n);
    return chk(chk(fdiv(B, P) * 100.0) + chk(fdiv(chk(R * V), P) * 100.0));
}

std::optional<ConvertibleTerms> read_convertible_terms(const ConvertibleBondsWindow& w, UserInterface& ui) {
    // Every text is converted before the first check.
    ConvertibleTerms c;
    c.P = parse_number(w.pvalue);
    c.coupon = parse_number(w.coup) / 100.0;
    c.annual = w.payment;
    if (!c.annual) c.coupon /= 2.0;
    c.R = round_int16(parse_number(w.conr));
    c.T = parse_number(w.ttm);
    c.S = parse_number(w.sprice);
    c.r = parse_number(w.ir) / 100.0;
    c.sigma = parse_number(w.vol);
    c.q = parse_number(w.del) / 100.0;

    Checks checks(ui, Window::Bonds, CheckPolicy::StopAtFirst);
    checks.positive(c.P, "pvalue", bonds_text::par);
    checks.positive(c.coupon, "coup", bonds_text::coupon);
    checks.at_least(c.R, 1, "conr", bonds_text::ratio);
    checks.positive(c.T, "ttm", bonds_text::time);
    checks.positive(c.S, "sprice", bonds_text::share);
    checks.positive(c.r, "ir", bonds_text::rate);
    checks.positive(c.sigma, "vol", bonds_text::volatility);
    if (!checks.passed()) return std::nullopt;
    return c;
}

double convertible_percent(const ConvertibleTerms& c) {
    const BondPeriods p = bond_periods(c.r, c.T, c.annual);
    return convertible_value(c.P, c.coupon, p.y, p.n, c.R, c.T, c.S, c.sigma, c.r, c.q);
}

void Command1_Click(ConvertibleBondsWindow& w, UserInterface& ui, BondValue* results) {
    calculate(
        ui, kConvertibleBondsCalculator, w, results, [&] { return read_convertible_terms(w, ui); },
        [](const ConvertibleTerms& c) { return BondValue{convertible_percent(c)}; });
}

ConvertibleAnalytics convertible_analytics(const ConvertibleTerms& c) {
    ConvertibleAnalytics a;
    a.parity = chk(fdiv(chk(c.R * c.S), c.P) * 100.0);
    a.premium = chk(fdiv(chk(convertible_percent(c) - a.parity), a.parity) * 100.0);
    a.delta = chk(c.R * euro_call_delta(c.T, c.sigma, c.r, fdiv(c.P, c.R), c.S, c.q));
    return a;
}

void cmdAnalytics_Click(ConvertibleBondsWindow& w, UserInterface& ui, ConvertibleAnalytics* results) {
    calculate(
        ui, kConvertibleAnalyticsCalculator, w, results, [&] { return read_convertible_terms(w, ui); },
        convertible_analytics);
}

void Command2_Click(ConvertibleBondsWindow& w, UserInterface& ui) {
    w = ConvertibleBondsWindow{};
    ui.unload(Window::Bonds);
}

}  // namespace tvx
