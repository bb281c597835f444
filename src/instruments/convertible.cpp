#include "instruments/convertible.h"

#include "core/fault.h"
#include "core/field_checks.h"
#include "core/numbers.h"
#include "instruments/bonds.h"
#include "pricing/closed_form.h"
#include "pricing/exact_closed_form.h"

namespace tvx {

double convertible_value(double P, double c, double y, std::int16_t n, std::int16_t R, double T, double S, double sigma,
                         double r, double q, Precision precision) {
    const double K = fdiv(P, R);  // conversion price: par given up for each share
    const double V = precision == Precision::Exact ? solver_euro_exact(T, sigma, r, K, S, q, 0)
                                                   : solver_euro(T, sigma, r, K, S, q, 0);
    const double B = bond_value(P, c, y, n);
    return chk(chk(fdiv(B, P) * 100.0) + chk(fdiv(chk(R * V), P) * 100.0));
}

std::optional<ConvertibleTerms> read_convertible_terms(const ConvertibleBondsWindow& w, UserInterface& ui) {
    const auto v =
        read_checked<ConvertibleBondsWindow>(ui, Window::Bonds, kConvertibleBondsFields, w, CheckPolicy::StopAtFirst);
    if (!v) return std::nullopt;
    ConvertibleTerms c;
    c.P = (*v)["pvalue"];
    c.annual = w.payment;
    c.coupon = c.annual ? (*v)["coup"] : (*v)["coup"] / 2.0;
    c.R = static_cast<std::int16_t>((*v)["conr"]);
    c.T = (*v)["ttm"];
    c.S = (*v)["sprice"];
    c.r = (*v)["ir"];
    c.sigma = (*v)["vol"];
    c.q = (*v)["del"];
    return c;
}

double convertible_percent(const ConvertibleTerms& c) {
    const BondPeriods p = bond_periods(c.r, c.T, c.annual);
    return convertible_value(c.P, c.coupon, p.y, p.n, c.R, c.T, c.S, c.sigma, c.r, c.q, c.precision);
}

void Command1_Click(ConvertibleBondsWindow& w, UserInterface& ui, BondValue* results, Precision precision) {
    const auto read = [&]() -> std::optional<ConvertibleTerms> {
        std::optional<ConvertibleTerms> terms = read_convertible_terms(w, ui);
        if (terms) terms->precision = precision;
        return terms;
    };
    calculate(ui, kConvertibleBondsCalculator, w, results, read,
              [](const ConvertibleTerms& c) { return BondValue{convertible_percent(c)}; });
}

ConvertibleAnalytics convertible_analytics(const ConvertibleTerms& c) {
    ConvertibleAnalytics a;
    a.parity = chk(fdiv(chk(c.R * c.S), c.P) * 100.0);
    a.premium = chk(fdiv(chk(convertible_percent(c) - a.parity), a.parity) * 100.0);
    const double strike = fdiv(c.P, c.R);
    const double call_delta = c.precision == Precision::Exact
                                  ? exact_euro_sensitivities(c.T, c.sigma, c.r, strike, c.S, c.q, 0).delta
                                  : euro_call_delta(c.T, c.sigma, c.r, strike, c.S, c.q);
    a.delta = chk(c.R * call_delta);
    return a;
}

void cmdAnalytics_Click(ConvertibleBondsWindow& w, UserInterface& ui, ConvertibleAnalytics* results,
                        Precision precision) {
    const auto read = [&]() -> std::optional<ConvertibleTerms> {
        std::optional<ConvertibleTerms> terms = read_convertible_terms(w, ui);
        if (terms) terms->precision = precision;
        return terms;
    };
    calculate(ui, kConvertibleAnalyticsCalculator, w, results, read, convertible_analytics);
}

void Command2_Click(ConvertibleBondsWindow& w, UserInterface& ui) {
    w = ConvertibleBondsWindow{};
    ui.unload(Window::Bonds);
}

}  // namespace tvx
