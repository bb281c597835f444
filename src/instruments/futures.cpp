#include "instruments/futures.h"

#include <exception>

#include "core/fault.h"
#include "core/field_focus.h"
#include "core/numbers.h"

namespace tvx {

ForwardFigures forward_values(double r, double T, double S, double K, double q) {
    const double A = fexp(chk(-q * T) / 100.0);  // dividend discount factor
    const double B = fexp(chk(-r * T) / 100.0);  // interest discount factor
    ForwardFigures f{};
    f.value = chk(chk(S * A) - chk(K * B));
    f.price = chk(S * fexp(chk(chk(r - q) * T) / 100.0));
    return f;
}

void Command1_Click(FuturesWindow& w, UserInterface& ui) {
    try {
        // Every text is converted before the first check.
        const double r = parse_number(w.ir);
        const double K = parse_number(w.delivery);
        const double S = parse_number(w.spot);
        const double T = parse_number(w.time);
        const double q = parse_number(w.yield);
        const double income = parse_number(w.pvalue);

        // Every failing check has its box; the focus goes to the first.
        const char* first_failed = nullptr;
        const auto check = [&](bool ok, const char* field, const char* message) {
            if (ok) return;
            warn(ui, message);
            if (!first_failed) first_failed = field;
        };
        check(r > 0.0, "ir", futures_text::rate);
        check(K > 0.0, "delivery", futures_text::delivery);
        check(S > 0.0, "spot", futures_text::spot);
        check(T > 0.0, "time", futures_text::time);
        check(income > 0.0, "pvalue", futures_text::income);
        if (first_failed) {
            ui.focus_field(Window::Futures, first_failed);
            return;
        }

        const ForwardFigures f = forward_values(r, T, S, K, q);
        const std::string text = futures_text::value + four_decimal_text(f.value) + " dollars\r" + futures_text::price +
                                 four_decimal_text(f.price) + " dollars";
        ui.message_box(kAppTitle, Icon::None, text, Buttons::Ok);
    } catch (const std::exception&) {
        report_error(ui);
        focus_unreadable(ui, Window::Futures,
                         {{"ir", w.ir},
                          {"time", w.time},
                          {"spot", w.spot},
                          {"delivery", w.delivery},
                          {"yield", w.yield},
                          {"pvalue", w.pvalue}});
    }
}

void Command2_Click(FuturesWindow& w, UserInterface& ui) {
    w = FuturesWindow{};
    ui.unload(Window::Futures);
}

}  // namespace tvx
