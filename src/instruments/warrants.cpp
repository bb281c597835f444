#include "instruments/warrants.h"

#include <optional>

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

namespace {

struct WarrantTerms {
    double S, X, W, T;
};

// Every text is converted before the first check; the first value that
// is not positive stops them.
std::optional<WarrantTerms> read_warrant_terms(const WarrantsWindow& w, UserInterface& ui) {
    const WarrantTerms t{parse_number(w.share), parse_number(w.exercise), parse_number(w.warrant),
                         parse_number(w.time)};
    Checks checks(ui, Window::Warrants, CheckPolicy::StopAtFirst);
    checks.positive(t.S, "share", warrants_text::share);
    checks.positive(t.X, "exercise", warrants_text::exercise);
    checks.positive(t.W, "warrant", warrants_text::warrant);
    checks.positive(t.T, "time", warrants_text::time);
    if (!checks.passed()) return std::nullopt;
    return t;
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
