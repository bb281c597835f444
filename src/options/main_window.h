// `frmBrantholm`, the main window: the terms of an equity option, the
// choices of style, type and calculation, the advanced preferences and the
// commands that act on them. Every field is free text; only the Compute
// command reads and checks it.
#pragma once

#include <cstdint>
#include <string>

#include "core/user_interface.h"

namespace tvx {

struct MainWindow {
    // Term fields.
    std::string current = "60.0";  // spot price
    std::string strike = "64.0";
    std::string dividend = "2.1";  // per cent
    std::string time = "0.5";      // years
    std::string irate = "4.5";     // per cent

    // Each pair of option buttons holds exactly one selection.
    bool optCall = true;   // otherwise optPut
    bool optEuro = true;   // otherwise optAmer
    bool optPrice = true;  // otherwise optVol

    std::string qqq = "0.2";    // volatility, a decimal fraction
    std::string qqq2 = "3.45";  // market option price

    // Advanced preferences (European options).
    bool svol = false;
    bool srate = false;
    int Slider1 = 100;  // 0..200
    std::string cor = "0.0";

    // Run-time state the window shows or the commands need.
    bool cmdCompute_enabled = true;
    std::string dlgHelp_HelpFile;  // bound by Form_Load
    bool unloaded = false;         // set when the user confirmed closing
};

// Captions of the main window.
namespace main_caption {
inline constexpr const char* frmBrantholm = "Tarvenix";
inline constexpr const char* Label1 = "Spot Price (in dollars)";
inline constexpr const char* Label2 = "Strike Price (in dollars)";
inline constexpr const char* Label7 = "Annual Dividend (percentage)";
inline constexpr const char* Label8 = "Time to Expiry (in years)";
inline constexpr const char* Label9 = "Current Interest Rate";
inline constexpr const char* Frame3 = "Option Type";
inline constexpr const char* optCall = "Call";
inline constexpr const char* optPut = "Put";
inline constexpr const char* Frame2 = "Option Style";
inline constexpr const char* optEuro = "European";
inline constexpr const char* optAmer = "American";
inline constexpr const char* fraCalType = "Calculation Type";
inline constexpr const char* optPrice = "Theoretical Option Price";
inline constexpr const char* optVol = "Implied Volatility";
inline constexpr const char* Label3 = "Volatility";
inline constexpr const char* Label4 = "Option Price";
inline constexpr const char* Frame4 = "Advanced Preferences (for European Options)";
inline constexpr const char* svol = "Stochastic Volatility";
inline constexpr const char* srate = "Stochastic Interest Rates";
inline constexpr const char* Label5 = "Spot Price/Interest Rate Correlation";
// The scale under the slider: "-1", "0" and "1" under its left end, middle
// and right end (22 and 21 blanks, 47 characters in all).
inline constexpr const char* Label6 = "-1                      0                     1";
inline constexpr const char* cmdCompute = "Compute";
inline constexpr const char* help_file = "brant.hlp";
inline constexpr const char* exit_question = "Are you sure?";
}  // namespace main_caption

inline constexpr int kSliderMin = 0;
inline constexpr int kSliderMax = 200;

// Binds the help dialog to the help file; every other default comes from
// the window's design.
void Form_Load(MainWindow& w);

// Writes (position - 100) / 100 into `cor` in general number text.
void Slider1_Change(MainWindow& w);

// Asks "Are you sure?". Yes unloads the window; No sets `cancel` to 1 and
// leaves everything as it was.
void Form_Unload(MainWindow& w, UserInterface& ui, std::int16_t& cancel);

}  // namespace tvx
