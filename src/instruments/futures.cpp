#include "instruments/futures.h"

#include <optional>

#include "core/fault.h"
#include "core/field_checks.h"
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

namespace {

struct ForwardTerms {
    double r, K, S, T, q, income;
};

// Every failing check has its box, and the focus goes to the first.
std::optional<ForwardTerms> read_forward_terms(const FuturesWindow& w, UserInterface& ui) {
    const auto v = read_checked<FuturesWindow>(ui, Window::Futures, kFuturesFields, w, CheckPolicy::ReportEvery);
    if (!v) return std::nullopt;
    return ForwardTerms{(*v)["ir"], (*v)["delivery"], (*v)["spot"], (*v)["time"], (*v)["yield"], (*v)["pvalue"]};
}

}  // namespace

void Command1_Click(FuturesWindow& w, UserInterface& ui, ForwardFigures* results) {
    calculate(
        ui, kFuturesCalculator, w, results, [&] { return read_forward_terms(w, ui); },
        [](const ForwardTerms& t) { return forward_values(t.r, t.T, t.S, t.K, t.q); });
}

void Command2_Click(FuturesWindow& w, UserInterface& ui) {
    w = FuturesWindow{};
    ui.unload(Window::Futures);
}

}  // namespace tvx
