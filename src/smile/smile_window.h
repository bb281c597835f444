// `frmSmile`, "Volatility Smile": an option chain opened from a file (or
// dropped on the window), the terms it is read with, and what the fit
// made of it: the quotes' volatilities and flags, each expiry's fit and
// the surface's, the arbitrage report, and the chart shown.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/fields.h"
#include "smile/chain.h"
#include "smile/smile.h"

namespace tvx {

// What the window's chart shows: per expiry (the smile with its bid and ask
// and the fit, the fit's residuals, the implied density) or across them
// (the at-the-money term structure, total variance against k, the surface
// as a heat map).
enum class SmileChart { Smile, Residuals, TermStructure, TotalVariance, Density, Surface };

struct SmileWindow {
    static constexpr const char* caption = "Volatility Smile";

    std::string file;            // the chain's path, as last opened
    std::string spot;            // empty: the chain's underlying price
    std::string valuation_date;  // empty: the chain's quote date
    std::string rate = "0";      // per cent
    std::string dividend = "0";  // per cent
    bool american = false;       // the quotes American (a row's own style column overrides)
    bool svi = true;             // the fit: SVI per expiry, otherwise the SSVI surface

    std::optional<Chain> chain;         // the chain last read whole
    std::optional<SmileReport> report;  // what the last fit made of it (kept when a later fit is refused)
    std::vector<std::string> lines;     // the report as the window and the command line show it
    SmileChart chart = SmileChart::Smile;
    int expiry = 0;   // the expiry of the per-expiry charts (an index of report->expiries)
    int version = 0;  // counts every new report, so a form redraws its table only then
    bool open = false;
    std::string save_folder;  // where the last Save of the session wrote
    std::string note;         // a chart that could not be saved
};

inline constexpr Field<SmileWindow> kSmileFields[] = {
    text_field<&SmileWindow::spot>("txtSpot", "Spot (empty: the chain's)", "spot",
                                   "Underlying price (default: the chain's underlying price)"),
    text_field<&SmileWindow::valuation_date>("txtValuationDate", "Valuation Date (empty: the chain's)",
                                             "valuation_date", "Valuation date YYYY-MM-DD (default: the quote date)"),
    number_field<&SmileWindow::rate>("txtRate", "Interest Rate (in percent)", "rate",
                                     "Interest rate in per cent (default 0)", 1),
    number_field<&SmileWindow::dividend>("txtDividend", "Dividend Yield (in percent)", "dividend",
                                         "Annual dividend yield in per cent (default 0)", 1),
    check_field<&SmileWindow::american>("chkAmerican", "American quotes", "american",
                                        "The quotes are American (forward and discount from the rate and yield)"),
    choice_field<&SmileWindow::svi>("fraFit", "Fit", {"optSvi", "SVI per expiry"}, {"optSsvi", "SSVI surface"},
                                    kBelowColumns),
};

namespace smile_caption {
inline constexpr const char* cmdOpen = "Open...";
inline constexpr const char* cmdFit = "Fit";
inline constexpr const char* cmdCopy = "Copy";
inline constexpr const char* cmdSave = "Save...";
inline constexpr const char* cmdClose = "Close";
inline constexpr const char* cmdFromSmile = "From Smile";
}  // namespace smile_caption

}  // namespace tvx
