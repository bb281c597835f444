// The four calculators' Compute (Calculate) commands. Their boxes show
// the figures as text; the full-precision figures are worked out again from
// the same fields with the same routines once the command has succeeded.
#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "core/fault.h"
#include "core/numbers.h"
#include "instruments/bonds.h"
#include "instruments/convertible.h"
#include "instruments/futures.h"
#include "instruments/warrants.h"

namespace tvx::cli {

namespace {

template <class Window>
Outcome run_window(Window& w) {
    CliUi ui;
    Command1_Click(w, ui);
    return outcome_of(ui);
}

Outcome run_warrant(const Request& r) {
    WarrantsWindow w;
    w.share = r[0], w.exercise = r[1], w.warrant = r[2], w.time = r[3];
    Outcome o = run_window(w);
    if (o.status != kExitOk) return o;
    const WarrantFigures f = warrant_values(number(r, 0), number(r, 1), number(r, 2));
    o.figures = {{Result::IntrinsicValue, f.intrinsic},
                 {Result::TimeValue, f.time},
                 {Result::Premium, f.premium},
                 {Result::Leverage, f.leverage}};
    return o;
}

Outcome run_forward(const Request& r) {
    FuturesWindow w;
    w.ir = r[0], w.time = r[1], w.spot = r[2], w.delivery = r[3], w.yield = r[4], w.pvalue = r[5];
    Outcome o = run_window(w);
    if (o.status != kExitOk) return o;
    const ForwardFigures f = forward_values(number(r, 0), number(r, 1), number(r, 2), number(r, 3), number(r, 4));
    o.figures = {{Result::ForwardValue, f.value}, {Result::ForwardPrice, f.price}};
    return o;
}

// The coupon per period as both bond windows read it.
double coupon_per_period(const Request& r, std::size_t field, bool annual) {
    const double c = number(r, field) / 100.0;
    return annual ? c : c / 2.0;
}

Outcome run_bond(const Request& r) {
    StraightBondsWindow w;
    w.pvalue = r[0], w.coup = r[1], w.ttm = r[2], w.ir = r[3], w.payment = !r.flag(4);
    Outcome o = run_window(w);
    if (o.status != kExitOk) return o;
    const double P = number(r, 0);
    const BondPeriods p = bond_periods(number(r, 3) / 100.0, number(r, 2), w.payment);
    const double percent = chk(fdiv(bond_value(P, coupon_per_period(r, 1, w.payment), p.y, p.n), P) * 100.0);
    o.figures = {{Result::FairValue, percent}};
    return o;
}

Outcome run_convertible(const Request& r) {
    ConvertibleBondsWindow w;
    w.pvalue = r[0], w.coup = r[1], w.conr = r[2], w.ttm = r[3], w.sprice = r[4], w.ir = r[5], w.vol = r[6];
    w.del = r[7], w.payment = !r.flag(8);
    Outcome o = run_window(w);
    if (o.status != kExitOk) return o;
    const double rate = number(r, 5) / 100.0, T = number(r, 3);
    const BondPeriods p = bond_periods(rate, T, w.payment);
    const double percent =
        convertible_value(number(r, 0), coupon_per_period(r, 1, w.payment), p.y, p.n, round_int16(number(r, 2)), T,
                          number(r, 4), number(r, 6), rate, number(r, 7) / 100.0);
    o.figures = {{Result::FairValue, percent}};
    return o;
}

bool never(const Request&) { return false; }

const char* const kSemiAnnualHelp = "Semi-annual coupons (otherwise annual)";

}  // namespace

CommandSpec warrant_command() {
    const WarrantsWindow w;
    return {"warrant",
            "A warrant against its share: intrinsic value, time value, premium and leverage",
            {{"share", "Share price in dollars", FieldKind::Number, w.share},
             {"exercise", "Exercise price in dollars", FieldKind::Number, w.exercise},
             {"warrant", "Warrant price in dollars", FieldKind::Number, w.warrant},
             {"time", "Time to maturity in years", FieldKind::Number, w.time}},
            run_warrant,
            never};
}

CommandSpec forward_command() {
    const FuturesWindow w;
    return {"forward",
            "A forward contract: its value and the forward price",
            {{"rate", "Risk-free interest rate in per cent", FieldKind::Number, w.ir},
             {"time", "Time to maturity in years", FieldKind::Number, w.time},
             {"spot", "Spot price of the asset in dollars", FieldKind::Number, w.spot},
             {"delivery", "Delivery price in dollars", FieldKind::Number, w.delivery},
             {"yield", "Dividend yield on the asset in per cent", FieldKind::Number, w.yield},
             {"income", "Present value of known income in dollars", FieldKind::Number, w.pvalue}},
            run_forward,
            never};
}

CommandSpec bond_command() {
    const StraightBondsWindow w;
    return {"bond",
            "A straight bond's fair value in per cent of par",
            {{"par", "Par value in dollars", FieldKind::Number, w.pvalue},
             {"coupon", "Annual coupon in per cent of par", FieldKind::Number, w.coup},
             {"time", "Time to maturity in years", FieldKind::Number, w.ttm},
             {"rate", "Risk-free interest rate in per cent", FieldKind::Number, w.ir},
             {"semi_annual", kSemiAnnualHelp, FieldKind::Flag, "0"}},
            run_bond,
            never};
}

CommandSpec convertible_command() {
    const ConvertibleBondsWindow w;
    return {"convertible",
            "A convertible bond's fair value in per cent of par",
            {{"par", "Par value in dollars", FieldKind::Number, w.pvalue},
             {"coupon", "Annual coupon in per cent of par", FieldKind::Number, w.coup},
             {"ratio", "Conversion ratio: shares for one bond, a whole number", FieldKind::Number, w.conr},
             {"time", "Time to maturity in years", FieldKind::Number, w.ttm},
             {"share", "Share price in dollars", FieldKind::Number, w.sprice},
             {"rate", "Risk-free interest rate in per cent", FieldKind::Number, w.ir},
             {"volatility", "Share price volatility as a decimal fraction", FieldKind::Number, w.vol},
             {"dividend", "Annual dividend yield in per cent", FieldKind::Number, w.del},
             {"semi_annual", kSemiAnnualHelp, FieldKind::Flag, "0"}},
            run_convertible,
            never};
}

}  // namespace tvx::cli
