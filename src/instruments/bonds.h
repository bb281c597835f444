// `frmBonds2`, the straight bond calculator, and `bond_value`, the fixed
// coupon bond that the convertible bond calculator values as well. Beside
// Compute (the fair value at the typed rate), Yield gives the yield to
// maturity at the typed market price and Risk the durations, convexity and
// value of a basis point at the typed rate (instruments/bond_analytics.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/calculator.h"
#include "core/expiry_date.h"
#include "core/fields.h"
#include "core/results.h"
#include "core/user_interface.h"

namespace tvx {

// Value in dollars of a bond of par P paying the coupon rate c per period
// at the end of periods 1 to n and P at the end of period n, discounted at
// the rate y per period; with n = 0 only the par value is left. (The
// windows check T > 0, so n is never negative.)
// The period counter is a 16-bit integer: n = 32767 is an overflow.
double bond_value(double P, double c, double y, std::int16_t n);

// The periods both bond windows derive from an annual rate (a decimal
// fraction) and the years to redemption: with m = 1 coupon a year for
// annual payment and 2 otherwise, the rate per period y = rate / m and the
// count of remaining periods n = m T rounded to the nearest whole number,
// ties to even (a 16-bit integer).
struct BondPeriods {
    double y;
    std::int16_t n;
};
BondPeriods bond_periods(double rate, double T, bool annual);

struct StraightBondsWindow {
    std::string pvalue = "1000.0";  // P, par value in dollars
    std::string coup = "8.5";       // annual coupon, per cent of par
    bool payment = true;            // "Annual"; otherwise Option2, "Semi-Annual"
    std::string ttm = "3.5";        // T, years to redemption
    std::string ir = "4.5";         // annual rate, per cent
    std::string mprice = "100.0";   // market price, per cent of par: for Yield
    ExpiryDate dates;               // the expiry date's fields, which fill the years field

    bool operator==(const StraightBondsWindow&) const = default;
};

namespace bonds_caption {
inline constexpr const char* frmBonds2 = "Straight Bonds";
inline constexpr const char* frmBonds = "Convertible Bonds";
inline constexpr const char* Command1 = "Compute";
inline constexpr const char* Command2 = "Cancel";
inline constexpr const char* cmdYield = "Yield";
inline constexpr const char* cmdRisk = "Risk";
inline constexpr const char* cmdAnalytics = "Analytics";
}  // namespace bonds_caption

// Messages shared by the two bond windows.
namespace bonds_text {
inline constexpr const char* par = "Error: Nominal Value must be greater than zero";
inline constexpr const char* coupon = "Error: Coupon must be greater than zero";
inline constexpr const char* time = "Error: Time to Maturity must be greater than zero";
inline constexpr const char* rate = "Error: Risk-free interest rate must be greater than zero";
// The convertible's own checks.
inline constexpr const char* ratio = "Error: Conversion Ratio must be greater than zero";
inline constexpr const char* share = "Error: Share Price must be greater than zero";
inline constexpr const char* volatility = "Error: Volatility must be greater than zero";
// The results, each followed by the percentage and "%".
inline constexpr const char* straight_result = "The fair value for this bond is ";
inline constexpr const char* convertible_result = "The fair value for this convertible bond is ";
// Yield's checks and result.
inline constexpr const char* price = "Error: Market Price must be greater than zero";
inline constexpr const char* no_period =
    "Error: The bond has no coupon period left, so it is worth its par value at every rate";
inline constexpr const char* no_yield =
    "Error: No positive yield gives this price: it must be below the sum of the bond's payments";
inline constexpr const char* yield_result = "The yield to maturity is ";
// Risk's lines.
inline constexpr const char* macaulay = "The Macaulay duration is ";
inline constexpr const char* modified = "The modified duration is ";
inline constexpr const char* convexity = "The convexity is ";
inline constexpr const char* bp_value = "The value of one basis point is ";
inline constexpr const char* years = " years";
}  // namespace bonds_text

// The rows both bond windows share, for either window's model, with their
// checks: the rates are read as percentages.
namespace bond_fields {
template <class M>
constexpr Field<M> par() {
    return number_field<&M::pvalue>("pvalue", "Par Value (in dollars)", "par", "Par value in dollars")
        .positive(bonds_text::par);
}
template <class M>
constexpr Field<M> coupon() {
    return number_field<&M::coup>("coup", "Coupon (percentage)", "coupon", "Annual coupon in per cent of par")
        .per_cent()
        .positive(bonds_text::coupon);
}
template <class M>
constexpr Field<M> payment() {
    return choice_field<&M::payment>(
        "Frame1", "Payment Type", {"payment", "Annual"},
        {"Option2", "Semi-Annual", "semi_annual", "Semi-annual coupons (otherwise annual)"});
}
template <class M>
constexpr Field<M> maturity() {
    return number_field<&M::ttm>("ttm", "Time to Maturity (in years)", "time", "Time to maturity in years")
        .positive(bonds_text::time);
}
template <class M>
constexpr Field<M> rate(int column) {
    return number_field<&M::ir>("ir", "Risk-free Interest Rate (percentage)", "rate",
                                "Risk-free interest rate in per cent", column)
        .per_cent()
        .positive(bonds_text::rate);
}
}  // namespace bond_fields

namespace straight_fields {
using W = StraightBondsWindow;
inline constexpr Field<W> price =
    number_field<&W::mprice>("mprice", "Market Price (%)", "price",
                             "Market price in per cent of par: gives the yield to maturity")
        .positive(bonds_text::price);
}  // namespace straight_fields

// The fields in tab order.
inline constexpr Field<StraightBondsWindow> kStraightBondsFields[] = {
    bond_fields::par<StraightBondsWindow>(),     bond_fields::coupon<StraightBondsWindow>(),
    bond_fields::payment<StraightBondsWindow>(), bond_fields::maturity<StraightBondsWindow>(),
    bond_fields::rate<StraightBondsWindow>(0),   straight_fields::price,
};

// What Compute and Risk read: the bond and the rate.
inline constexpr Field<StraightBondsWindow> kBondValueFields[] = {
    bond_fields::par<StraightBondsWindow>(),     bond_fields::coupon<StraightBondsWindow>(),
    bond_fields::payment<StraightBondsWindow>(), bond_fields::maturity<StraightBondsWindow>(),
    bond_fields::rate<StraightBondsWindow>(0),
};

// What Yield reads: the bond and its market price.
inline constexpr Field<StraightBondsWindow> kBondYieldFields[] = {
    bond_fields::par<StraightBondsWindow>(),
    bond_fields::coupon<StraightBondsWindow>(),
    bond_fields::payment<StraightBondsWindow>(),
    bond_fields::maturity<StraightBondsWindow>(),
    straight_fields::price,
};

// The fair value in per cent of par, before rounding.
struct BondValue {
    double percent = 0;
};

// The box's line, shown to four decimals.
inline constexpr ResultRow<BondValue> kStraightBondResults[] = {
    {{"fair_value", bonds_text::straight_result, result_text, "%"}, &BondValue::percent},
};

inline constexpr CalculatorTables<StraightBondsWindow, BondValue> kStraightBondsCalculator{
    Window::Bonds2, kBondValueFields, kStraightBondResults, true, bonds_caption::frmBonds2, bonds_caption::Command1};

// The yield to maturity: the annual rate, in per cent, compounded once or
// twice a year as the coupons are paid, at which the bond is worth the
// market price.
struct BondYield {
    double yield = 0;
};

inline constexpr ResultRow<BondYield> kBondYieldResults[] = {
    {{"yield", bonds_text::yield_result, result_text, "%"}, &BondYield::yield},
};

inline constexpr CalculatorTables<StraightBondsWindow, BondYield> kBondYieldCalculator{
    Window::Bonds2, kBondYieldFields, kBondYieldResults, true, bonds_caption::frmBonds2, bonds_caption::cmdYield};

// The bond's sensitivity to its rate, at the typed rate.
struct BondRisk {
    double macaulay = 0;   // years: the payments' times weighted by their present values
    double modified = 0;   // years: -(dV/dr) / V for the annual rate r
    double convexity = 0;  // years squared: (d2V/dr2) / V
    double bp_value = 0;   // per cent of par: the fall in value for a rise of 0.01 % in r, to first order
};

inline constexpr ResultRow<BondRisk> kBondRiskResults[] = {
    {{"macaulay_duration", bonds_text::macaulay, result_text, bonds_text::years}, &BondRisk::macaulay},
    {{"modified_duration", bonds_text::modified, result_text, bonds_text::years}, &BondRisk::modified},
    {{"convexity", bonds_text::convexity, result_text}, &BondRisk::convexity},
    {{"bp_value", bonds_text::bp_value, result_text, "%"}, &BondRisk::bp_value},
};

inline constexpr CalculatorTables<StraightBondsWindow, BondRisk> kBondRiskCalculator{
    Window::Bonds2, kBondValueFields, kBondRiskResults, true, bonds_caption::frmBonds2, bonds_caption::cmdRisk};

// The straight bond's terms as Compute reads them.
struct StraightBondTerms {
    double P = 0;       // par value
    double coupon = 0;  // coupon rate per period (the annual one halved for semi-annual payment)
    bool annual = true;
    double T = 0;     // years to redemption
    double rate = 0;  // annual rate, a decimal fraction
};

// Reads the fields in Compute's order (a text that is not a number throws)
// and stops at the first value that is not positive with its box and the
// focus in its field; then no value.
std::optional<StraightBondTerms> read_straight_terms(const StraightBondsWindow& w, UserInterface& ui);

// The fair value in per cent of par, before rounding.
double straight_percent(const StraightBondTerms& b);

// The bond's terms and market price as Yield reads them.
struct BondPriceTerms {
    StraightBondTerms bond;  // its rate unused
    double price = 0;        // per cent of par
};

// Reads the fields Yield needs in the window's order (a text that is not a
// number throws) and stops at the first failed check: the four values
// positive, a coupon period left, and a price below the sum of the
// payments (every lower price has one positive yield); then no value.
std::optional<BondPriceTerms> read_price_terms(const StraightBondsWindow& w, UserInterface& ui);

// Compute: reads the fields and the payment type, stops at the first value
// that is not positive, and shows the fair value in per cent of par;
// `results`, when given, receives it at full precision.
void Command1_Click(StraightBondsWindow& w, UserInterface& ui, BondValue* results = nullptr);

// Yield: reads the bond and its market price and shows the yield to
// maturity in per cent.
void cmdYield_Click(StraightBondsWindow& w, UserInterface& ui, BondYield* results = nullptr);

// Risk: reads what Compute reads and shows the durations, the convexity
// and the value of a basis point at the typed rate.
void cmdRisk_Click(StraightBondsWindow& w, UserInterface& ui, BondRisk* results = nullptr);

// Cancel: the window goes back to its defaults and is unloaded.
void Command2_Click(StraightBondsWindow& w, UserInterface& ui);

// Yield and Risk beside Compute; a market price typed and Return gives its
// yield.
inline constexpr CalculatorButton<StraightBondsWindow> kStraightBondsButtons[] = {
    {"cmdYield", bonds_caption::cmdYield,
     [](StraightBondsWindow& w, UserInterface& ui, const ProgramChoices&) { cmdYield_Click(w, ui); }, "mprice"},
    {"cmdRisk", bonds_caption::cmdRisk,
     [](StraightBondsWindow& w, UserInterface& ui, const ProgramChoices&) { cmdRisk_Click(w, ui); }},
};

inline constexpr CalculatorEntry<StraightBondsWindow, BondValue> kStraightBondsEntry{
    .name = "frmBonds2",
    .tables = &kStraightBondsCalculator,
    .fields = kStraightBondsFields,
    .compute = [](StraightBondsWindow& w, UserInterface& ui, BondValue* r,
                  const ProgramChoices&) { Command1_Click(w, ui, r); },
    .buttons = kStraightBondsButtons,
    .cancel = Command2_Click,
    .menu = {{menu::advanced, menu::bonds}, "mnusbonds", "&Straight"},
    .help = {400, "mnuHelpSbonds", "&Straight Bonds"},
    .command = "bond",
    .summary =
        "A straight bond's fair value in per cent of par; with --price its yield to maturity, with --risk "
        "its durations, convexity and value of a basis point",
    .description = "straight coupon bonds",
};

}  // namespace tvx
