#include "instruments/bonds.h"

#include <cmath>
#include <exception>

#include "core/fault.h"
#include "core/field_focus.h"
#include "core/numbers.h"

namespace tvx {

double bond_value(double P, double c, double y, std::int16_t n) {
    const double growth = chk(1.0 + y);
    double annuity = 0.0;
    for (std::int16_t i = 1; i <= n; i = int16_add(i, 1)) {
        annuity = chk(annuity + fdiv(1.0, chk(std::pow(growth, i))));
    }
    return chk(fdiv(P, chk(std::pow(growth, n))) + chk(chk(P * c) * annuity));
}

BondPeriods bond_periods(double rate, double T, bool annual) {
    const double m = annual ? 1.0 : 2.0;
    return {rate / m, round_int16(chk(m * T))};
}

std::optional<StraightBondTerms> read_straight_terms(const StraightBondsWindow& w, UserInterface& ui) {
    // Every text is converted before the first check.
    StraightBondTerms b;
    b.P = parse_number(w.pvalue);
    b.coupon = parse_number(w.coup) / 100.0;
    b.annual = w.payment;
    if (!b.annual) b.coupon /= 2.0;
    b.T = parse_number(w.ttm);
    b.rate = parse_number(w.ir) / 100.0;

    const auto refuse = [&](const char* field, const char* message) {
        warn(ui, message);
        ui.focus_field(Window::Bonds2, field);
        return std::nullopt;
    };
    if (!(b.P > 0.0)) return refuse("pvalue", bonds_text::par);
    if (!(b.coupon > 0.0)) return refuse("coup", bonds_text::coupon);
    if (!(b.T > 0.0)) return refuse("ttm", bonds_text::time);
    if (!(b.rate > 0.0)) return refuse("ir", bonds_text::rate);
    return b;
}

double straight_percent(const StraightBondTerms& b) {
    const BondPeriods p = bond_periods(b.rate, b.T, b.annual);
    return chk(fdiv(bond_value(b.P, b.coupon, p.y, p.n), b.P) * 100.0);
}

void Command1_Click(StraightBondsWindow& w, UserInterface& ui) {
    try {
        const std::optional<StraightBondTerms> b = read_straight_terms(w, ui);
        if (!b) return;
        ui.set_pointer(Pointer::Busy);
        const double percent = round4(straight_percent(*b));
        ui.set_pointer(Pointer::Normal);
        ui.message_box(kAppTitle, Icon::None, bonds_text::straight_result + general_text(percent) + "%", Buttons::Ok);
    } catch (const std::exception&) {
        report_error(ui);
        focus_unreadable(ui, Window::Bonds2, {{"pvalue", w.pvalue}, {"coup", w.coup}, {"ttm", w.ttm}, {"ir", w.ir}});
    }
}

void Command2_Click(StraightBondsWindow& w, UserInterface& ui) {
    w = StraightBondsWindow{};
    ui.unload(Window::Bonds2);
}

}  // namespace tvx
