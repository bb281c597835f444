// The Compute command with cash dividends: reading the main window's
// schedule against the option's terms, and the route that values it. A
// schedule is valued by the exact methods whatever Advanced > Exact Values
// says (pricing/dividend_sensitivities.h): European options by the exact
// integrals of the spot model or the escrowed closed form, American ones
// by the finite-difference solver with the ex-dates on its time grid; the
// implied volatility by the safeguarded search on those values. The
// simulation does not value cash dividends and refuses them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/history.h"
#include "options/main_window.h"
#include "options/valuation.h"
#include "pricing/cash_dividends.h"

namespace tvx {

// The main window's dividends for the checked terms: those within the
// life (none when the field is empty, or when every one falls outside)
// and the output window's line (empty when the field is). No value when a
// check failed: its box is shown and the focus is in the field at fault.
struct MainDividends {
    std::vector<CashDividend> all;  // every dividend of the schedule, for other lives (a chart's)
    std::vector<CashDividend> within;
    DividendModel model = DividendModel::Spot;
    std::string line;
};
std::optional<MainDividends> read_main_dividends(const MainWindow& main, const OptionTerms& terms, UserInterface& ui);

// The terms the History records for a Compute: the fields of the window,
// then the dates and the dividends when they were given.
std::vector<HistoryTerm> compute_terms(const MainWindow& main);

}  // namespace tvx
