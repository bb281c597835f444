#include "instruments/warrants.h"

#include <exception>

#include "core/checks.h"
#include "core/fault.h"
#include "core/numbers.h"

namespace tvx {

WarrantFigures warrant_values(double S, double X, double W) {
    WarrantFigures f{};
    f.intrinsic = maximum(chk(S - X), 0.0);
    f.time = maximum(chk(W - f.intrinsic), 0.0);
    f.leverage = fdiv(S, W);
    f.premium = fdiv(maximum(chk(chk(W + X) - S), 0.0), S);
    return f;
}

void Command1_Click(WarrantsWindow& w, UserInterface& ui, WarrantFigures* results) {
    try {
        // Every text is converted before the first check.
        const double S = parse_number(w.share);
        const double X = parse_number(w.exercise);
        const double W = parse_number(w.warrant);
        const double T = parse_number(w.time);

        Checks checks(ui, Window::Warrants, CheckPolicy::StopAtFirst);
        checks.positive(S, "share", warrants_text::share);
        checks.positive(X, "exercise", warrants_text::exercise);
        checks.positive(W, "warrant", warrants_text::warrant);
        checks.positive(T, "time", warrants_text::time);
        if (!checks.passed()) return;

        ui.set_pointer(Pointer::Busy);
        const WarrantFigures f = warrant_values(S, X, W);
        const std::string text = results_text(kWarrantResults, f);
        ui.set_pointer(Pointer::Normal);
        if (results) *results = f;
        ui.message_box(kAppTitle, Icon::None, text, Buttons::Ok);
    } catch (const std::exception&) {
        report_error(ui, Window::Warrants, kWarrantsFields, w);
    }
}

void Command2_Click(WarrantsWindow& w, UserInterface& ui) {
    w = WarrantsWindow{};
    ui.unload(Window::Warrants);
}

}  // namespace tvx
