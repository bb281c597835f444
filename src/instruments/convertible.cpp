#include "instruments/convertible.h"

#include <exception>

#include "core/fault.h"
#include "core/field_focus.h"
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

    const auto refuse = [&](const char* field, const char* message) {
        warn(ui, message);
        ui.focus_field(Window::Bonds, field);
        return std::nullopt;
    };
    if (!(c.P > 0.0)) return refuse("pvalue", bonds_text::par);
    if (!(c.coupon > 0.0)) return refuse("coup", bonds_text::coupon);
    if (!(c.R >= 1)) return refuse("conr", bonds_text::ratio);
    if (!(c.T > 0.0)) return refuse("ttm", bonds_text::time);
    if (!(c.S > 0.0)) return refuse("sprice", bonds_text::share);
    if (!(c.r > 0.0)) return refuse("ir", bonds_text::rate);
    if (!(c.sigma > 0.0)) return refuse("vol", bonds_text::volatility);
    return c;
}

double convertible_percent(const ConvertibleTerms& c) {
    const BondPeriods p = bond_periods(c.r, c.T, c.annual);
    return convertible_value(c.P, c.coupon, p.y, p.n, c.R, c.T, c.S, c.sigma, c.r, c.q);
}

void Command1_Click(ConvertibleBondsWindow& w, UserInterface& ui) {
    try {
        const std::optional<ConvertibleTerms> c = read_convertible_terms(w, ui);
        if (!c) return;
        ui.set_pointer(Pointer::Busy);
        const double percent = round4(convertible_percent(*c));
        ui.set_pointer(Pointer::Normal);
        ui.message_box(kAppTitle, Icon::None, bonds_text::convertible_result + general_text(percent) + "%",
                       Buttons::Ok);
    } catch (const std::exception&) {
        report_error(ui);
        // The bond's column, then the share's.
        focus_unreadable(ui, Window::Bonds,
                         {{"pvalue", w.pvalue},
                          {"coup", w.coup},
                          {"conr", w.conr},
                          {"ttm", w.ttm},
                          {"sprice", w.sprice},
                          {"ir", w.ir},
                          {"vol", w.vol},
                          {"del", w.del}});
    }
}

void Command2_Click(ConvertibleBondsWindow& w, UserInterface& ui) {
    w = ConvertibleBondsWindow{};
    ui.unload(Window::Bonds);
}

}  // namespace tvx
