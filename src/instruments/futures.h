// `frmFutures`, the forward and futures calculator: a forward contract on an
// asset with a continuous dividend yield, at continuously compounded rates.
#pragma once

#include <string>

#include "core/calculator.h"
#include "core/expiry_date.h"
#include "core/fields.h"
#include "core/results.h"
#include "core/user_interface.h"

namespace tvx {

struct FuturesWindow {
    // Left column.
    std::string ir = "4.5";      // r, per cent a year
    std::string time = "0.5";    // T, years to delivery
    std::string spot = "264.0";  // S, dollars
    // Right column.
    std::string delivery = "270.0";  // K, dollars
    std::string yield = "1.1";       // q, per cent a year; not checked
    std::string pvalue = "20.0";     // checked, but enters no figure
    ExpiryDate dates;                // the expiry date's fields, which fill the years field

    bool operator==(const FuturesWindow&) const = default;
};

// The window's messages: its checks in order, then the lines of its result
// (each followed by the amount and " dollars").
namespace futures_text {
inline constexpr const char* rate = "Interest Rates must be positive";
inline constexpr const char* delivery = "Delivery Price must be positive";
inline constexpr const char* spot = "Spot Price must be positive";
inline constexpr const char* time = "Time to Maturity must be positive";
inline constexpr const char* income = "Present Value must be positive";
inline constexpr const char* value = "The value of the forward contract is ";
inline constexpr const char* price = "The forward price is ";
}  // namespace futures_text

// The fields in tab order: the left column, then the right. Every check
// runs, in the order numbered (not the tab order), each failure with its
// box; the dividend yield is not checked.
inline constexpr Field<FuturesWindow> kFuturesFields[] = {
    number_field<&FuturesWindow::ir>("ir", "Current Risk-free Interest Rate (percentage)", "rate",
                                     "Risk-free interest rate in per cent", 0)
        .positive(futures_text::rate)
        .checked(1),
    number_field<&FuturesWindow::time>("time", "Time to Maturity (in years)", "time", "Time to maturity in years", 0)
        .positive(futures_text::time)
        .checked(4),
    number_field<&FuturesWindow::spot>("spot", "Spot Price of Asset (in dollars)", "spot",
                                       "Spot price of the asset in dollars", 0)
        .positive(futures_text::spot)
        .checked(3),
    number_field<&FuturesWindow::delivery>("delivery", "Delivery Price (in dollars)", "delivery",
                                           "Delivery price in dollars", 1)
        .positive(futures_text::delivery)
        .checked(2),
    number_field<&FuturesWindow::yield>("yield", "Dividend Yield on Asset (percentage)", "yield",
                                        "Dividend yield on the asset in per cent", 1),
    number_field<&FuturesWindow::pvalue>("pvalue", "Present Value of Known Income (in dollars)", "income",
                                         "Present value of known income in dollars", 1)
        .positive(futures_text::income)
        .checked(5),
};

namespace futures_caption {
inline constexpr const char* frmFutures = "Futures Calculator";
inline constexpr const char* Command1 = "Calculate";
inline constexpr const char* Command2 = "Cancel";
}  // namespace futures_caption

struct ForwardFigures {
    double value;  // f = S e^(-qT) - K e^(-rT), a long position today
    double price;  // F = S e^((r-q)T), the delivery price worth nothing today
};

// The box's two lines, in dollars to four decimals.
inline constexpr ResultRow<ForwardFigures> kForwardResults[] = {
    {{"forward_value", futures_text::value, four_decimal_text, " dollars"}, &ForwardFigures::value},
    {{"forward_price", futures_text::price, four_decimal_text, " dollars"}, &ForwardFigures::price},
};

// Instantaneous: no busy pointer.
inline constexpr CalculatorTables<FuturesWindow, ForwardFigures> kFuturesCalculator{
    Window::Futures, kFuturesFields, kForwardResults, false, futures_caption::frmFutures, futures_caption::Command1};

// r and q in per cent a year, T in years.
ForwardFigures forward_values(double r, double T, double S, double K, double q);

// Calculate: reads every field, runs all five checks (a box for each
// failure) and shows the contract's value and the forward price;
// `results`, when given, receives them at full precision.
void Command1_Click(FuturesWindow& w, UserInterface& ui, ForwardFigures* results = nullptr);

// Cancel: the window goes back to its defaults and is unloaded.
void Command2_Click(FuturesWindow& w, UserInterface& ui);

inline constexpr CalculatorEntry<FuturesWindow, ForwardFigures> kFuturesEntry{
    .name = "frmFutures",
    .tables = &kFuturesCalculator,
    .fields = kFuturesFields,
    .compute = [](FuturesWindow& w, UserInterface& ui, ForwardFigures* r,
                  const ProgramChoices&) { Command1_Click(w, ui, r); },
    .buttons = {},
    .cancel = Command2_Click,
    .menu = {{menu::advanced}, "mnuAdvancedFutures", "&Futures"},
    .help = {200, "mnuHelpFutures", "&Futures"},
    .command = "forward",
    .summary = "A forward contract: its value and the forward price",
    .description = "forward and futures contracts",
};

}  // namespace tvx
