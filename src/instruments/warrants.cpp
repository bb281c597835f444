#include "instruments/warrants.h"

#include <optional>

#include "core/fault.h"
#include "core/field_checks.h"
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

namespace {

struct WarrantTerms {
    double S, X, W, T;
};

std::optional<WarrantTerms> read_warrant_terms(const WarrantsWindow& w, UserInterface& ui) {
    const auto v = read_checked<WarrantsWindow>(ui, Window::Warrants, kWarrantsFields, w, CheckPolicy::StopAtFirst);
    if (!v) return std::nullopt;
    return WarrantTerms{(*v)["share"], (*v)["exercise"], (*v)["warrant"], (*v)["time"]};
}

}  // namespace

void Command1_Click(WarrantsWindow& w, UserInterface& ui, WarrantFigures* results) {
    calculate(
        ui, kWarrantsCalculator, w, results, [&] { return read_warrant_terms(w, ui); },
        [](const WarrantTerms& t) { return warrant_values(t.S, t.X, t.W); });
}

void Command2_Click(WarrantsWindow& w, UserInterface& ui) {
    w = WarrantsWindow{};
    ui.unload(Window::Warrants);
}

}  // namespace tvx
