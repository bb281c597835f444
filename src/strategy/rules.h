// The rules a strategy's terms must keep, wherever they come from (the
// window's fields, a strategy file, the command line), and the words of
// each rule's message.
#pragma once

#include "core/field_checks.h"
#include "strategy/position.h"

namespace tvx {

namespace strategy_text {
// The main window's words for the same terms.
inline constexpr const char* spot = "Spot Price must be positive";
inline constexpr const char* rate = "Interest Rates must be positive";
inline constexpr const char* strike = "Strike Price must be positive";
inline constexpr const char* time = "Time to Maturity must be positive";
// The strategy's own.
inline constexpr const char* horizon = "Horizon must be positive";
inline constexpr const char* horizon_after_expiry = "Horizon must not come after the first expiry";
inline constexpr const char* spot_volatility = "Spot Volatility must be positive";
inline constexpr const char* quantity = "Quantity must be a whole number from 1 to 32767";
inline constexpr const char* volatility = "Volatility must be positive";
inline constexpr const char* premium = "Premium must not be negative";
inline constexpr const char* no_legs = "Add a leg or choose a preset";
inline constexpr const char* shares_alone = "A position of shares alone needs a Horizon and a Spot Volatility";
// The presets' placement (the command line's --strike and --width).
inline constexpr const char* centre = "Centre Strike must be positive";
inline constexpr const char* width = "Width must be positive";
// A field that is not a number, after the field's caption ("Leg 2 Strike").
inline constexpr const char* not_a_number = " must be a number";
// The chart's range of the spot.
inline constexpr const char* spot_from = "Chart Spot From must be positive";
inline constexpr const char* spot_range = "Chart Spot To must be above Chart Spot From";
// Add Leg with every row in use.
inline constexpr const char* legs_full = "A strategy holds at most 8 legs: remove one to add another";
// Cancel (or Esc, or the close box) with legs changed since they came in.
inline constexpr const char* discard_legs = "Close the Strategy Builder and discard the changes to the legs?";
// Over the results after Take from Main Window, until the next Compute.
inline constexpr const char* stale =
    "These results are of the terms before Take from Main Window: press Compute to bring them up to date";
// Open and Save, followed by the file's name.
inline constexpr const char* not_opened = "The strategy could not be opened from ";
inline constexpr const char* not_saved = "The strategy could not be saved to ";
}  // namespace strategy_text

// A whole number from 1 to kMaxQuantity: the rule of a leg's quantity
// field, and of a strategy file's.
inline bool whole_quantity(double q) { return keeps_rule(Rule::Whole, q, 1.0, kMaxQuantity); }

}  // namespace tvx
