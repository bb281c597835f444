// `frmBrantholm`, the main window: the terms of an equity option, the
// choices of style, type and calculation, the advanced preferences and the
// commands that act on them. Every field is free text; only the Compute
// command reads and checks it.
#pragma once

#include <cstdint>
#include <string>

#include "core/expiry_date.h"
#include "core/fields.h"
#include "core/user_interface.h"
#include "pricing/precision.h"

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

    // Beside the specified fields: the expiry as a date, which fills
    // `time`; the cash dividends ("Dividends..."), WHEN:AMOUNT,... (see
    // options/dividend_schedule.h), and their model, "spot" or "escrowed".
    ExpiryDate dates;
    std::string dividends;
    std::string dividend_model = "spot";

    // Advanced preferences (European options).
    bool svol = false;
    bool srate = false;
    int Slider1 = 100;  // 0..200
    std::string cor = "0.0";

    // Run-time state the window shows or the commands need.
    bool cmdCompute_enabled = true;
    std::string dlgHelp_HelpFile;  // bound by Form_Load
    bool unloaded = false;         // set when the user confirmed closing
    // Advanced > Exact Values (mnuExact): off at start and never saved. The
    // one value every valuation of the program reads the choice from: the
    // Compute command, the charts, the convertible calculator and whoever
    // values options for the user.
    Precision precision = Precision::Standard;
};

// The option's terms and choices, in the order the command line lists
// them; the form lays them out itself. The volatility is read only for a
// theoretical price, the option price only for an implied volatility.
// Compute's checks, in the order it runs them (every one, a box for each
// failure); the rest of Compute's messages are in options/compute.h.
namespace compute_text {
inline constexpr const char* rate_not_positive = "Interest Rates must be positive";
inline constexpr const char* strike_not_positive = "Strike Price must be positive";
inline constexpr const char* spot_not_positive = "Spot Price must be positive";
inline constexpr const char* time_not_positive = "Time to Maturity must be positive";
}  // namespace compute_text

// The fields in tab order. Compute reads the volatility or the price only
// on the route that needs it; the correlation is read by every route, but
// checked only by the simulation.
inline constexpr Field<MainWindow> kMainFields[] = {
    number_field<&MainWindow::current>("current", "Spot Price (in dollars)", "spot", "Spot price in dollars")
        .labelled("Label1")
        .positive(compute_text::spot_not_positive)
        .checked(3),
    number_field<&MainWindow::strike>("strike", "Strike Price (in dollars)", "strike", "Strike price in dollars")
        .labelled("Label2")
        .positive(compute_text::strike_not_positive)
        .checked(2),
    number_field<&MainWindow::dividend>("dividend", "Annual Dividend (percentage)", "dividend",
                                        "Annual dividend yield in per cent")
        .labelled("Label7")
        .per_cent(),
    number_field<&MainWindow::time>("time", "Time to Expiry (in years)", "time", "Time to expiry in years")
        .labelled("Label8")
        .positive(compute_text::time_not_positive)
        .checked(4),
    number_field<&MainWindow::irate>("irate", "Current Interest Rate", "rate", "Interest rate in per cent")
        .labelled("Label9")
        .per_cent()
        .positive(compute_text::rate_not_positive)
        .checked(1),
    number_field<&MainWindow::qqq>("qqq", "Volatility", "volatility", "Volatility as a decimal fraction")
        .labelled("Label3")
        .read_later()
        .when([](const MainWindow& m) { return m.optPrice; }),
    number_field<&MainWindow::qqq2>("qqq2", "Option Price", "price", "Market price of the option in dollars")
        .labelled("Label4")
        .read_later()
        .when([](const MainWindow& m) { return !m.optPrice; }),
    choice_field<&MainWindow::optCall>("Frame3", "Option Type", {"optCall", "Call"},
                                       {"optPut", "Put", "put", "A put (otherwise a call)"}),
    choice_field<&MainWindow::optEuro>("Frame2", "Option Style", {"optEuro", "European"},
                                       {"optAmer", "American", "american", "American style (otherwise European)"}),
    choice_field<&MainWindow::optPrice>("fraCalType", "Calculation Type", {"optPrice", "Theoretical Option Price"},
                                        {"optVol", "Implied Volatility"}),
    check_field<&MainWindow::svol>("svol", "Stochastic Volatility", "svol",
                                   "Stochastic volatility (European options, by simulation)"),
    check_field<&MainWindow::srate>("srate", "Stochastic Interest Rates", "srate",
                                    "Stochastic interest rates (European options, by simulation)"),
    number_field<&MainWindow::cor>("cor", "Spot Price/Interest Rate Correlation", "correlation",
                                   "Spot price/interest rate correlation, -1 to 1")
        .labelled("Label5"),
};

// Beside them, the cash dividends and their model (the "Dividends..."
// dialog): Compute reads them when the dividends are given.
inline constexpr Field<MainWindow> kMainDividendFields[] = {
    text_field<&MainWindow::dividends>("txtDividends", "Cash Dividends", "dividends",
                                       "Cash dividends WHEN:AMOUNT,WHEN:AMOUNT (WHEN a time in years or an ex-date "
                                       "YYYY-MM-DD)")
        .valued("SCHEDULE"),
    text_field<&MainWindow::dividend_model>("cboDividendModel", "Dividend Model", "dividend_model",
                                            "spot (the share drops by each dividend on its ex-date) or escrowed (the "
                                            "spot less the dividends' present value)")
        .valued("WORD"),
};

// The main window's other captions.
namespace main_caption {
inline constexpr const char* frmBrantholm = "Tarvenix";
inline constexpr const char* Frame4 = "Advanced Preferences (for European Options)";
// The scale under the slider: "-1", "0" and "1" under its left end, middle
// and right end (22 and 21 blanks, 47 characters in all).
inline constexpr const char* Label6 = "-1                      0                     1";
inline constexpr const char* cmdCompute = "Compute";
// The window's name in the History window.
inline constexpr const char* history = "Equity Options";
inline constexpr const char* help_file = "brant.hlp";
inline constexpr const char* exit_question = "Are you sure?";
inline constexpr const char* mnuExact = "Exact Values";
inline constexpr const char* cmdDividends = "Dividends...";
// What a screen reader says of the slider, apart from the field it writes.
inline constexpr const char* Slider1_name = "Correlation slider";
inline constexpr const char* Slider1_description = "Sets the Spot Price/Interest Rate Correlation from -1 to 1";
}  // namespace main_caption

inline constexpr int kSliderMin = 0;
inline constexpr int kSliderMax = 200;

// Binds the help dialog to the help file; every other default comes from
// the window's design.
void Form_Load(MainWindow& w);

// Writes (position - 100) / 100 into `cor` in general number text.
void Slider1_Change(MainWindow& w);

// The expiry date typed: its life in years, on the window's valuation
// date (`now` when empty) and day count, into `time`. On a problem its
// box and the focus in the date field at fault, `time` as it was; false.
bool Expiry_Change(MainWindow& w, UserInterface& ui, const Moment& now);

// Asks "Are you sure?". Yes unloads the window; No sets `cancel` to 1 and
// leaves everything as it was.
void Form_Unload(MainWindow& w, UserInterface& ui, std::int16_t& cancel);

}  // namespace tvx
