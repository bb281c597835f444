#include "instruments/warrants.h"

#include <exception>

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

void Command1_Click(WarrantsWindow& w, UserInterface& ui) {
    try {
        // Every text is converted before the first check.
        const double S = parse_number(w.share);
        const double X = parse_number(w.exercise);
        const double W = parse_number(w.warrant);
        const double T = parse_number(w.time);

        const auto refuse = [&](const char* field, const char* message) {
            warn(ui, message);
            ui.focus_field(Window::Warrants, field);
        };
        if (!(S > 0.0)) return refuse("share", warrants_text::share);
        if (!(X > 0.0)) return refuse("exercise", warrants_text::exercise);
        if (!(W > 0.0)) return refuse("warrant", warrants_text::warrant);
        if (!(T > 0.0)) return refuse("time", warrants_text::time);

        ui.set_pointer(Pointer::Busy);
        const WarrantFigures f = warrant_values(S, X, W);
        const std::string text = warrants_text::intrinsic + general_text(f.intrinsic) + "\r" +
                                 warrants_text::time_value + general_text(f.time) + "\r" + warrants_text::premium +
                                 general_text(f.premium) + "\r" + warrants_text::leverage + general_text(f.leverage);
        ui.set_pointer(Pointer::Normal);
        ui.message_box(kAppTitle, Icon::None, text, Buttons::Ok);
    } catch (const std::exception&) {
        report_error(ui);
    }
}

void Command2_Click(WarrantsWindow& w, UserInterface& ui) {
    w = WarrantsWindow{};
    ui.unload(Window::Warrants);
}

}  // namespace tvx
