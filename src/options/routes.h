// The routes of the Compute command. Each is entered with the checked terms
// (the volatility not yet read) and the busy pointer on; each reports its own
// result. Run-time errors propagate to the command's catch-all.
#pragma once

#include <string>
#include <vector>

#include "core/history.h"
#include "core/progress.h"
#include "core/user_interface.h"
#include "options/compute.h"
#include "options/implied_vol.h"
#include "options/main_window.h"
#include "options/output_window.h"
#include "options/sensitivities.h"
#include "options/valuation.h"
#include "pricing/cash_dividends.h"

namespace tvx {

// Thrown when the application closes while a computation waits in the event
// loop: the computation ends at once and quietly. Not a run-time error.
struct Abandoned {};

struct RouteContext {
    MainWindow& main;
    OutputWindow& output;
    Pacifier& pacifier;
    UserInterface& ui;
    const ComputeOptions& options;
    std::string terms_line;  // the option as typed when Compute was pressed (terms_text)
    // The fields as Compute read them, for the history (a simulation lets
    // the user type on while it runs).
    std::vector<HistoryTerm> terms = {};
    // How the American route valued ("grid", "boundary", "closed form"),
    // for the history; empty on the other routes.
    std::string method = {};
    // The line on the cash dividends, when they were given.
    std::string dividend_line = {};
};

// Rounds the six results, writes the six lines and shows the output window.
// Every line is formed before the window is touched, so a rounding overflow
// leaves the earlier lines in place. `std_error` and `method` are the added
// lines under the six (the simulation's standard error, the American
// route's method); empty on the other routes. `exact` is the line saying
// that the figures are exact, while Advanced > Exact Values is on. Without
// the lines (ComputeOptions::lines) the window is shown untouched.
void report_value(RouteContext& cx, const Sensitivities& s, std::string std_error = {}, std::string method = {},
                  std::string exact = {});

// Reports the outcome of an implied-volatility search (nothing when it was
// cancelled).
void report_search(RouteContext& cx, const SearchResult& result, const std::string& success_title);

// The volatility typed for a value. A negative one is refused as bad input
// (the generic error): the closed form would turn it into a wrong number,
// minus the other option type's value.
double read_volatility(const MainWindow& main);

void closed_form_route(RouteContext& cx, OptionTerms terms);
// Terms with cash dividends within the life: the exact methods of
// options/dividend_route.h, whatever the precision.
void dividend_route(RouteContext& cx, OptionTerms terms, const std::vector<CashDividend>& within, DividendModel model);
void american_route(RouteContext& cx, OptionTerms terms);
void monte_carlo_route(RouteContext& cx, OptionTerms terms, const Simulation& simulate);

// An implied-volatility search of the Compute command: the routes differ in
// the slope guard and the title of the success box.
SearchVariant search_variant(Valuation routine, SlopeGuard slope_guard, std::string success_title);

// The American search: slope strictly above 0.001, success reported under
// "Computation Output".
SearchVariant american_search(Valuation routine);

}  // namespace tvx
