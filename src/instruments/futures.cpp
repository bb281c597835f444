#include "instruments/futures.h"

#include <optional>

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

namespace {

struct ForwardTerms {
    double r, K, S, T, q, income;
};

// Every text is converted before the first check; every failing check has
// its box, and the focus goes to the first.
std::optional<ForwardTerms> read_forward_terms(const FuturesWindow& w, UserInterface& ui) {
    const ForwardTerms t{parse_number(w.ir),   parse_number(w.delivery), parse_number(w.spot),
                         parse_number(w.time), parse_number(w.yield),    parse_number(w.pvalue)};
    Checks checks(ui, Window::Futures, CheckPolicy::ReportEvery);
    checks.positive(t.r, "ir", futures_text::rate);
    checks.positive(t.K, "delivery", futures_text::delivery);
    checks.positive(t.S, "spot", futures_text::spot);
    checks.positive(t.T, "time", futures_text::time);
    checks.positive(t.income, "pvalue", futures_text::income);
    if (!checks.passed()) return std::nullopt;
    return t;
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
