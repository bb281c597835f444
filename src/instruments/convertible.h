// `frmBonds`, the convertible bond calculator: a straight bond plus the
// right to exchange it for R shares, valued as R European calls struck at
// the conversion price P / R and expiring with the bond.
#pragma once

#include "pricing/precision.h"

#include <cstdint>
#include <optional>
#include <string>

#include "core/calculator.h"
#include "core/expiry_date.h"
#include "core/fields.h"
#include "core/results.h"
#include "core/user_interface.h"
#include "instruments/bonds.h"

namespace tvx {

struct ConvertibleBondsWindow {
    std::string pvalue = "1000.0";  // P, par value in dollars
    std::string coup = "8.5";       // annual coupon, per cent of par
    bool payment = true;            // "Annual"; otherwise Option2, "Semi-Annual"
    std::string conr = "100";       // R, shares for one bond, a whole number
    std::string ttm = "3.5";        // T, years
    std::string sprice = "9.5";     // S, share price in dollars
    std::string ir = "4.5";         // annual rate, per cent
    std::string vol = "0.3";        // share price volatility, a decimal fraction
    std::string del = "2.1";        // continuous dividend yield, per cent; not checked
    ExpiryDate dates;               // the expiry date's fields, which fill the years field

    bool operator==(const ConvertibleBondsWindow&) const = default;
};

// The fields in tab order: the bond's column, then the share's, each
// checked in turn; the first value at fault stops the checks. The dividend
// yield is not checked.
inline constexpr Field<ConvertibleBondsWindow> kConvertibleBondsFields[] = {
    bond_fields::par<ConvertibleBondsWindow>(),
    bond_fields::coupon<ConvertibleBondsWindow>(),
    bond_fields::payment<ConvertibleBondsWindow>(),
    number_field<&ConvertibleBondsWindow::conr>("conr", "Conversion Ratio", "ratio",
                                                "Conversion ratio: shares for one bond, a whole number")
        .count()
        .at_least(1, bonds_text::ratio),
    bond_fields::maturity<ConvertibleBondsWindow>(),
    number_field<&ConvertibleBondsWindow::sprice>("sprice", "Share Price (in dollars)", "share",
                                                  "Share price in dollars", 1)
        .positive(bonds_text::share),
    bond_fields::rate<ConvertibleBondsWindow>(1),
    number_field<&ConvertibleBondsWindow::vol>("vol", "Share Price Volatility", "volatility",
                                               "Share price volatility as a decimal fraction", 1)
        .positive(bonds_text::volatility),
    number_field<&ConvertibleBondsWindow::del>("del", "Annual Dividend Yield (percentage)", "dividend",
                                               "Annual dividend yield in per cent", 1)
        .per_cent(),
};

// The box's line, shown to four decimals.
inline constexpr ResultRow<BondValue> kConvertibleResults[] = {
    {{"fair_value", bonds_text::convertible_result, result_text, "%"}, &BondValue::percent},
};

inline constexpr CalculatorTables<ConvertibleBondsWindow, BondValue> kConvertibleBondsCalculator{
    Window::Bonds, kConvertibleBondsFields, kConvertibleResults,
    true,          bonds_caption::frmBonds, bonds_caption::Command1};

namespace convertible_text {
inline constexpr const char* parity = "The parity is ";
inline constexpr const char* premium = "The premium over parity is ";
inline constexpr const char* delta = "The share delta is ";
inline constexpr const char* shares = " shares";
}  // namespace convertible_text

// The convertible against its shares.
struct ConvertibleAnalytics {
    double parity = 0;   // the conversion value R S, in per cent of par
    double premium = 0;  // the fair value over parity, in per cent of parity
    double delta = 0;    // the change in the bond's value for a change in the share price: R times a call's delta
};

inline constexpr ResultRow<ConvertibleAnalytics> kConvertibleAnalyticsResults[] = {
    {{"parity", convertible_text::parity, result_text, "%"}, &ConvertibleAnalytics::parity},
    {{"premium_over_parity", convertible_text::premium, result_text, "%"}, &ConvertibleAnalytics::premium},
    {{"share_delta", convertible_text::delta, result_text, convertible_text::shares}, &ConvertibleAnalytics::delta},
};

inline constexpr CalculatorTables<ConvertibleBondsWindow, ConvertibleAnalytics> kConvertibleAnalyticsCalculator{
    Window::Bonds, kConvertibleBondsFields, kConvertibleAnalyticsResults,
    true,          bonds_caption::frmBonds, bonds_caption::cmdAnalytics};

// The fair value in per cent of par, before rounding: the straight bond
// B = bond_value(P, c, y, n) plus the R calls on one share each (strike
// P / R, expiry T, volatility sigma, rate r, dividend yield q; r and q as
// decimal fractions), Q = B / P * 100 + R * V / P * 100.
// Exact (Advanced > Exact Values): the calls on the exact closed form.
double convertible_value(double P, double c, double y, std::int16_t n, std::int16_t R, double T, double S, double sigma,
                         double r, double q, Precision precision = Precision::Standard);

// The convertible's terms as Compute reads them.
struct ConvertibleTerms {
    double P = 0;       // par value
    double coupon = 0;  // coupon rate per period (halved for semi-annual payment)
    bool annual = true;
    std::int16_t R = 0;  // conversion ratio
    double T = 0;        // years to maturity
    double S = 0;        // share price
    double r = 0;        // annual rate, a decimal fraction
    double sigma = 0;    // share price volatility
    double q = 0;        // dividend yield, a decimal fraction
    // How the calls are valued: the choice of the caller (the program's
    // Advanced > Exact Values), never a field of the window.
    Precision precision = Precision::Standard;
};

// Reads the fields in Compute's order (a text that is not a number, or a
// ratio beyond 16 bits, throws) and stops at the first failed check with
// its box and the focus in its field; then no value.
std::optional<ConvertibleTerms> read_convertible_terms(const ConvertibleBondsWindow& w, UserInterface& ui);

// The fair value in per cent of par, before rounding.
double convertible_percent(const ConvertibleTerms& c);

// Parity R S / P * 100; the premium (Q - parity) / parity * 100 of the
// fair value Q over it; and the delta R e^(-q T) N(d1) of the R calls, in
// shares: the bond's value in dollars moves by that many times a move of
// the share price. With exact precision N is the exact normal distribution,
// as in the value's calls.
ConvertibleAnalytics convertible_analytics(const ConvertibleTerms& c);

// Compute: reads the fields and the payment type, stops at the first
// failed check, and shows the fair value in per cent of par; `results`,
// when given, receives it at full precision. `precision` is the program's
// choice of exact figures (Advanced > Exact Values).
void Command1_Click(ConvertibleBondsWindow& w, UserInterface& ui, BondValue* results = nullptr,
                    Precision precision = Precision::Standard);

// Analytics: reads and checks what Compute does and shows the parity, the
// premium over parity and the share delta, on the calls that `precision`
// picks as Compute does.
void cmdAnalytics_Click(ConvertibleBondsWindow& w, UserInterface& ui, ConvertibleAnalytics* results = nullptr,
                        Precision precision = Precision::Standard);

// Cancel: the window goes back to its defaults and is unloaded.
void Command2_Click(ConvertibleBondsWindow& w, UserInterface& ui);

inline constexpr Precision precision_of(const ProgramChoices& choices) {
    return choices.exact ? Precision::Exact : Precision::Standard;
}

inline constexpr CalculatorButton<ConvertibleBondsWindow> kConvertibleBondsButtons[] = {
    {"cmdAnalytics", bonds_caption::cmdAnalytics,
     [](ConvertibleBondsWindow& w, UserInterface& ui, const ProgramChoices& c) {
         cmdAnalytics_Click(w, ui, nullptr, precision_of(c));
     }},
};

// Its calls follow Advanced > Exact Values.
inline constexpr CalculatorEntry<ConvertibleBondsWindow, BondValue> kConvertibleBondsEntry{
    .name = "frmBonds",
    .tables = &kConvertibleBondsCalculator,
    .fields = kConvertibleBondsFields,
    .compute = [](ConvertibleBondsWindow& w, UserInterface& ui, BondValue* r,
                  const ProgramChoices& c) { Command1_Click(w, ui, r, precision_of(c)); },
    .buttons = kConvertibleBondsButtons,
    .cancel = Command2_Click,
    .menu = {{menu::advanced, menu::bonds}, "mnuCbonds", "C&onvertible", "mnusbonds"},
    .help = {500, "mnuHelpCbonds", "&Convertible Bonds"},
    .command = "convertible",
    .summary =
        "A convertible bond's fair value in per cent of par; with --analytics its parity, premium over "
        "parity and share delta",
    .description = "convertible bonds",
};

}  // namespace tvx
