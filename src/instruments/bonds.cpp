#include "instruments/bonds.h"

#include <cmath>

#include "core/fault.h"
#include "core/field_checks.h"
#include "core/numbers.h"
#include "instruments/bond_analytics.h"

namespace tvx {

namespace {

// x / growth^i. Where growth^i is beyond the doubles (thousands of periods
// at a few per cent) the quotient is formed as x growth^-i: it is then
// below x 1e-308, nothing beside the earlier terms, and no overflow.
double over_power(double x, double growth, std::int16_t i) {
    const double power = std::pow(growth, i);
    return std::isfinite(power) ? fdiv(x, power) : chk(x * std::pow(growth, -i));
}

}  // namespace

double bond_value(double P, double c, double y, std::int16_t n) {
    const double growth = chk(1.0 + y);
    double annuity = 0.0;
    for (std::int16_t i = 1; i <= n; i = int16_add(i, 1)) annuity = chk(annuity + over_power(1.0, growth, i));
    return chk(over_power(P, growth, n) + chk(chk(P * c) * annuity));
}

BondPeriods bond_periods(double rate, double T, bool annual) {
    const double m = annual ? 1.0 : 2.0;
    return {rate / m, round_int16(chk(m * T))};
}

namespace {

// The bond as the fields read it, the coupon per period.
StraightBondTerms bond_terms(const FieldValues& v, bool annual) {
    StraightBondTerms b;
    b.P = v["pvalue"];
    b.coupon = annual ? v["coup"] : v["coup"] / 2.0;
    b.annual = annual;
    b.T = v["ttm"];
    return b;
}

}  // namespace

std::optional<StraightBondTerms> read_straight_terms(const StraightBondsWindow& w, UserInterface& ui) {
    const auto v = read_checked<StraightBondsWindow>(ui, Window::Bonds2, kBondValueFields, w, CheckPolicy::StopAtFirst);
    if (!v) return std::nullopt;
    StraightBondTerms b = bond_terms(*v, w.payment);
    b.rate = (*v)["ir"];
    return b;
}

double straight_percent(const StraightBondTerms& b) {
    const BondPeriods p = bond_periods(b.rate, b.T, b.annual);
    return chk(fdiv(bond_value(b.P, b.coupon, p.y, p.n), b.P) * 100.0);
}

void Command1_Click(StraightBondsWindow& w, UserInterface& ui, BondValue* results) {
    calculate(
        ui, kStraightBondsCalculator, w, results, [&] { return read_straight_terms(w, ui); },
        [](const StraightBondTerms& b) { return BondValue{straight_percent(b)}; });
}

std::optional<BondPriceTerms> read_price_terms(const StraightBondsWindow& w, UserInterface& ui) {
    Checks checks(ui, Window::Bonds2, CheckPolicy::StopAtFirst);
    const FieldValues v = read_fields<StraightBondsWindow>(kBondYieldFields, w, checks);
    BondPriceTerms t;
    StraightBondTerms& b = t.bond;
    if (!checks.failed()) {
        b = bond_terms(v, w.payment);
        t.price = v["mprice"];
        // At a rate of 0 the bond is worth the sum of its payments.
        const std::int16_t n = bond_periods(0.0, b.T, b.annual).n;
        checks.require(n > 0, "ttm", bonds_text::no_period);
        checks.require(t.price < chk(chk(1.0 + chk(b.coupon * n)) * 100.0), "mprice", bonds_text::no_yield);
    }
    if (!checks.passed()) return std::nullopt;
    return t;
}

void cmdYield_Click(StraightBondsWindow& w, UserInterface& ui, BondYield* results) {
    calculate(
        ui, kBondYieldCalculator, w, results, [&] { return read_price_terms(w, ui); },
        [](const BondPriceTerms& t) {
            const BondPeriods p = bond_periods(0.0, t.bond.T, t.bond.annual);
            const double per_period = bond_yield(t.bond.coupon, p.n, t.price / 100.0);
            return BondYield{chk(per_period * (t.bond.annual ? 1.0 : 2.0) * 100.0)};
        });
}

void cmdRisk_Click(StraightBondsWindow& w, UserInterface& ui, BondRisk* results) {
    calculate(
        ui, kBondRiskCalculator, w, results, [&] { return read_straight_terms(w, ui); },
        [](const StraightBondTerms& b) {
            const BondPeriods p = bond_periods(b.rate, b.T, b.annual);
            const BondRiskFigures r = bond_risk(b.coupon, b.rate, p.n, b.annual ? 1 : 2);
            return BondRisk{r.macaulay, r.modified, r.convexity, r.bp_value};
        });
}

void Command2_Click(StraightBondsWindow& w, UserInterface& ui) {
    w = StraightBondsWindow{};
    ui.unload(Window::Bonds2);
}

}  // namespace tvx
