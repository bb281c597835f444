// The Volatility Smile window's commands: opening it from its menu, reading
// a chain (from Open or a file dropped on the window), fitting it with the
// window's terms, choosing what the chart shows, and "From Smile", which
// gives the main window or the Strategy Builder the fitted surface's
// volatility for their own strikes and lives.
#pragma once

#include <string>

#include "core/user_interface.h"
#include "options/main_window.h"
#include "smile/smile_window.h"
#include "strategy/strategy_window.h"

namespace tvx {

namespace smile_text {
inline constexpr const char* unreadable = "The chain cannot be read: ";
inline constexpr const char* no_chain = "Open an option chain first.";
inline constexpr const char* bad_date = "The valuation date must be a date such as 2010-03-01.";
inline constexpr const char* no_fit = "Open and fit an option chain in the Volatility Smile window first.";
inline constexpr const char* no_vol = "The fitted surface gives no volatility for this strike and life.";
}  // namespace smile_text

// Advanced > Volatility Smile.
void mnuSmile_Click(SmileWindow& w, UserInterface& ui);

// Reads the chain at `path` and fits it. A file that cannot be read gets
// its message (with the line and column at fault) and changes nothing.
bool smile_open(SmileWindow& w, UserInterface& ui, const std::string& path);

// Fits the chain last read with the window's terms. Terms that are refused
// get their message and leave the last fit shown.
bool smile_fit(SmileWindow& w, UserInterface& ui);

// The chart's choice, and the expiry of the per-expiry charts.
void smile_choose_chart(SmileWindow& w, UserInterface& ui, SmileChart chart);
void smile_choose_expiry(SmileWindow& w, UserInterface& ui, int expiry);

// Close: the window goes; its chain, terms and fit stay for the next opening.
void smile_close(SmileWindow& w, UserInterface& ui);

// "From Smile" in the main window: its volatility for its strike and time,
// the forward from its own spot, rate and yield.
bool main_from_smile(const SmileWindow& smile, MainWindow& main, UserInterface& ui);

// "From Smile" in the Strategy Builder: each option leg's volatility for
// its strike and time, the forward from the window's market terms.
bool strategy_from_smile(const SmileWindow& smile, StrategyWindow& strategy, UserInterface& ui);

}  // namespace tvx
