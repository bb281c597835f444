// `frmWarrants`, the warrant calculator: a warrant measured against the
// share it converts into (one share per warrant).
#pragma once

#include <string>

#include "core/calculator.h"
#include "core/expiry_date.h"
#include "core/fields.h"
#include "core/results.h"
#include "core/user_interface.h"

namespace tvx {

struct WarrantsWindow {
    std::string share = "12.0";     // S, share price in dollars
    std::string exercise = "15.0";  // X, exercise price in dollars
    std::string warrant = "2.0";    // W, warrant price in dollars
    std::string time = "0.5";       // T, years; checked, but enters no figure
    ExpiryDate dates;               // the expiry date's fields, which fill the years field

    bool operator==(const WarrantsWindow&) const = default;
};

// The window's messages: its checks in order, then the lines of its result.
namespace warrants_text {
inline constexpr const char* share = "Error: Share Price must be positive";
inline constexpr const char* exercise = "Error: Exercise Price must be positive";
inline constexpr const char* warrant = "Error: Warrant Price must be positive";
inline constexpr const char* time = "Error: Time to Maturity must be positive";
inline constexpr const char* intrinsic = "The intrinsic value is ";
inline constexpr const char* time_value = "The time value is ";
inline constexpr const char* premium = "The premium is ";
inline constexpr const char* leverage = "The leverage is ";
}  // namespace warrants_text

// The fields in tab order, each checked in turn: the first value that is not
// positive stops the checks.
inline constexpr Field<WarrantsWindow> kWarrantsFields[] = {
    number_field<&WarrantsWindow::share>("share", "Share Price (in dollars)", "share", "Share price in dollars")
        .positive(warrants_text::share),
    number_field<&WarrantsWindow::exercise>("exercise", "Exercise Price (in dollars)", "exercise",
                                            "Exercise price in dollars")
        .positive(warrants_text::exercise),
    number_field<&WarrantsWindow::warrant>("warrant", "Warrant Price (in dollars)", "warrant",
                                           "Warrant price in dollars")
        .positive(warrants_text::warrant),
    number_field<&WarrantsWindow::time>("time", "Time to Maturity (in years)", "time", "Time to maturity in years")
        .positive(warrants_text::time),
};

namespace warrants_caption {
inline constexpr const char* frmWarrants = "Warrants";
inline constexpr const char* Command1 = "Compute";
inline constexpr const char* Command2 = "Cancel";
}  // namespace warrants_caption

struct WarrantFigures {
    double intrinsic;  // max(S - X, 0)
    double time;       // max(W - intrinsic, 0)
    double premium;    // max(W + X - S, 0) / S, a plain ratio
    double leverage;   // S / W
};

// The box's four lines, premium and leverage as plain ratios.
inline constexpr ResultRow<WarrantFigures> kWarrantResults[] = {
    {{"intrinsic_value", warrants_text::intrinsic, general_15}, &WarrantFigures::intrinsic},
    {{"time_value", warrants_text::time_value, general_15}, &WarrantFigures::time},
    {{"premium", warrants_text::premium, general_15}, &WarrantFigures::premium},
    {{"leverage", warrants_text::leverage, general_15}, &WarrantFigures::leverage},
};

inline constexpr CalculatorTables<WarrantsWindow, WarrantFigures> kWarrantsCalculator{
    Window::Warrants,          kWarrantsFields, kWarrantResults, true, warrants_caption::frmWarrants,
    warrants_caption::Command1};

// The four figures of a warrant; S and W must be non-zero.
WarrantFigures warrant_values(double S, double X, double W);

// Compute: reads and checks the four fields (stopping at the first value
// that is not positive) and shows the four figures in one box; `results`,
// when given, receives them at full precision.
void Command1_Click(WarrantsWindow& w, UserInterface& ui, WarrantFigures* results = nullptr);

// Cancel: the window goes back to its defaults and is unloaded.
void Command2_Click(WarrantsWindow& w, UserInterface& ui);

inline constexpr CalculatorEntry<WarrantsWindow, WarrantFigures> kWarrantsEntry{
    .name = "frmWarrants",
    .tables = &kWarrantsCalculator,
    .fields = kWarrantsFields,
    .compute = [](WarrantsWindow& w, UserInterface& ui, WarrantFigures* r,
                  const ProgramChoices&) { Command1_Click(w, ui, r); },
    .buttons = {},
    .cancel = Command2_Click,
    .menu = {{menu::advanced}, "mnuWarrants", "&Warrants"},
    .help = {300, "mnuHelpWarrants", "&Warrants"},
    .command = "warrant",
    .summary = "A warrant against its share: intrinsic value, time value, premium and leverage",
    .description = "warrants",
};

}  // namespace tvx
