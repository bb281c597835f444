// `frmBonds2`, the straight bond calculator, and `bond_value`, the fixed
// coupon bond that the convertible bond calculator values as well.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/calculator.h"
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

    bool operator==(const StraightBondsWindow&) const = default;
};

namespace bonds_caption {
inline constexpr const char* frmBonds2 = "Straight Bonds";
inline constexpr const char* frmBonds = "Convertible Bonds";
inline constexpr const char* Command1 = "Compute";
inline constexpr const char* Command2 = "Cancel";
}  // namespace bonds_caption

// The rows both bond windows share, for either window's model.
namespace bond_fields {
template <class M>
constexpr Field<M> par() {
    return number_field<&M::pvalue>("pvalue", "Par Value (in dollars)", "par", "Par value in dollars");
}
template <class M>
constexpr Field<M> coupon() {
    return number_field<&M::coup>("coup", "Coupon (percentage)", "coupon", "Annual coupon in per cent of par");
}
template <class M>
constexpr Field<M> payment() {
    return choice_field<&M::payment>(
        "Frame1", "Payment Type", {"payment", "Annual"},
        {"Option2", "Semi-Annual", "semi_annual", "Semi-annual coupons (otherwise annual)"});
}
template <class M>
constexpr Field<M> maturity() {
    return number_field<&M::ttm>("ttm", "Time to Maturity (in years)", "time", "Time to maturity in years");
}
template <class M>
constexpr Field<M> rate(int column) {
    return number_field<&M::ir>("ir", "Risk-free Interest Rate (percentage)", "rate",
                                "Risk-free interest rate in per cent", column);
}
}  // namespace bond_fields

// The fields in tab order.
inline constexpr Field<StraightBondsWindow> kStraightBondsFields[] = {
    bond_fields::par<StraightBondsWindow>(),     bond_fields::coupon<StraightBondsWindow>(),
    bond_fields::payment<StraightBondsWindow>(), bond_fields::maturity<StraightBondsWindow>(),
    bond_fields::rate<StraightBondsWindow>(0),
};

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
}  // namespace bonds_text

// The fair value in per cent of par, before rounding.
struct BondValue {
    double percent = 0;
};

// The box's line, shown to four decimals.
inline constexpr ResultRow<BondValue> kStraightBondResults[] = {
    {{"fair_value", bonds_text::straight_result, result_text, "%"}, &BondValue::percent},
};

inline constexpr CalculatorTables<StraightBondsWindow, BondValue> kStraightBondsCalculator{
    Window::Bonds2, kStraightBondsFields, kStraightBondResults, true};

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

// Compute: reads the fields and the payment type, stops at the first value
// that is not positive, and shows the fair value in per cent of par;
// `results`, when given, receives it at full precision.
void Command1_Click(StraightBondsWindow& w, UserInterface& ui, BondValue* results = nullptr);

// Cancel: the window goes back to its defaults and is unloaded.
void Command2_Click(StraightBondsWindow& w, UserInterface& ui);

}  // namespace tvx
