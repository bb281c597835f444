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

void Command1_Click(StraightBondsWindow& w, UserInterface& ui) {
    try {
        // Every text is converted before the first check.
        const double P = parse_number(w.pvalue);
        double coupon = parse_number(w.coup) / 100.0;
        const bool annual = w.payment;
        if (!annual) coupon /= 2.0;
        const double T = parse_number(w.ttm);
        const double rate = parse_number(w.ir) / 100.0;

        const auto refuse = [&](const char* field, const char* message) {
            warn(ui, message);
            ui.focus_field(Window::Bonds2, field);
        };
        if (!(P > 0.0)) return refuse("pvalue", bonds_text::par);
        if (!(coupon > 0.0)) return refuse("coup", bonds_text::coupon);
        if (!(T > 0.0)) return refuse("ttm", bonds_text::time);
        if (!(rate > 0.0)) return refuse("ir", bonds_text::rate);

        ui.set_pointer(Pointer::Busy);
        const BondPeriods p = bond_periods(rate, T, annual);
        const double percent = round4(chk(fdiv(bond_value(P, coupon, p.y, p.n), P) * 100.0));
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
