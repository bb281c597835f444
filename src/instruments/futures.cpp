#include "instruments/futures.h"

#include <exception>

#include "core/checks.h"
#include "core/fault.h"
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

void Command1_Click(FuturesWindow& w, UserInterface& ui, ForwardFigures* results) {
    try {
        // Every text is converted before the first check.
        const double r = parse_number(w.ir);
        const double K = parse_number(w.delivery);
        const double S = parse_number(w.spot);
        const double T = parse_number(w.time);
        const double q = parse_number(w.yield);
        const double income = parse_number(w.pvalue);

        Checks checks(ui, Window::Futures, CheckPolicy::ReportEvery);
        checks.positive(r, "ir", futures_text::rate);
        checks.positive(K, "delivery", futures_text::delivery);
        checks.positive(S, "spot", futures_text::spot);
        checks.positive(T, "time", futures_text::time);
        checks.positive(income, "pvalue", futures_text::income);
        if (!checks.passed()) return;

        const ForwardFigures f = forward_values(r, T, S, K, q);
        const std::string text = results_text(kForwardResults, f);
        if (results) *results = f;
        ui.message_box(kAppTitle, Icon::None, text, Buttons::Ok);
    } catch (const std::exception&) {
        report_error(ui, Window::Futures, kFuturesFields, w);
    }
}

void Command2_Click(FuturesWindow& w, UserInterface& ui) {
    w = FuturesWindow{};
    ui.unload(Window::Futures);
}

}  // namespace tvx
