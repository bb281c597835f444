// The main window's Compute command: reads and checks the option's terms,
// routes the work by style, calculation type and advanced preferences, and
// reports a value with its sensitivities in the output window or an implied
// volatility in a message box.
#pragma once

#include "core/progress.h"
#include "core/user_interface.h"
#include "options/main_window.h"
#include "options/output_window.h"

namespace tvx {

void cmdCompute_Click(MainWindow& main, OutputWindow& output, Pacifier& pacifier, UserInterface& ui);

// Validation messages, in the order they are tested.
namespace compute_text {
inline constexpr const char* rate_not_positive = "Interest Rates must be positive";
inline constexpr const char* strike_not_positive = "Strike Price must be positive";
inline constexpr const char* spot_not_positive = "Spot Price must be positive";
inline constexpr const char* time_not_positive = "Time to Maturity must be positive";
inline constexpr const char* implied_volatility = "The implied volatility is ";
}  // namespace compute_text

}  // namespace tvx
