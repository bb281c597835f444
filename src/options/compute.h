// The main window's Compute command: reads and checks the option's terms,
// routes the work by style, calculation type and advanced preferences, and
// reports a value with its sensitivities in the output window or an implied
// volatility in a message box.
#pragma once

#include <array>
#include <optional>

#include "core/progress.h"
#include "core/results.h"
#include "core/user_interface.h"
#include "options/american_rule.h"
#include "options/main_window.h"
#include "options/output_window.h"
#include "options/sensitivities.h"
#include "options/valuation.h"
#include "pricing/monte_carlo.h"

namespace tvx {

// One Monte Carlo valuation of the terms with the model flags and the
// correlation; `yield` runs after every batch of paths, `batches` is 0
// (stop by the standard error) or the exact number of batches to run,
// `steps` the number of time steps of every path; `stats`, when given,
// receives the standard error, pairs and batches of the run.
using Simulation = std::function<double(const OptionTerms& terms, std::int16_t itype, double rho, std::int16_t vtype,
                                        const BatchYield& yield, BatchCount batches, StepCount steps, McStats* stats)>;

// The simulation the program uses: mcarlo.
double simulate_mcarlo(const OptionTerms& terms, std::int16_t itype, double rho, std::int16_t vtype,
                       const BatchYield& yield, BatchCount batches, StepCount steps, McStats* stats);

// Reads the main window's terms as Compute does: converts spot, strike,
// dividend, time, rate and the correlation (a text that is not a number
// throws), shows the box of every failed positivity test, in order, and
// puts the focus into the first failed field; then no value. The
// volatility is left to the caller (see read_volatility in routes.h).
std::optional<OptionTerms> read_option_terms(const MainWindow& main, UserInterface& ui);

// The option as the main window holds it, in words: "European call: spot
// 60.0, strike 64.0, dividend 2.1 %, time 0.5 years, rate 4.5 %, volatility
// 0.2", with the simulation's model and correlation when one is chosen.
std::string terms_text(const MainWindow& main);

// The results of one Compute before they are rounded for the screen.
struct ComputeResults {
    std::optional<Sensitivities> value;             // a valuation reported in the output window
    std::optional<double> implied_volatility;       // a search reported in its box
    std::optional<AmericanValuer> american_valuer;  // on the American route, the method that valued
};

// How a Compute runs. The window uses the defaults; other front ends may
// choose the safeguarded search (closed form and American) and read the
// results at full precision.
struct ComputeOptions {
    // The Monte Carlo valuation of the simulation route; tests replace it
    // to watch what the route asks for.
    Simulation simulate = simulate_mcarlo;
    bool robust_search = false;  // see options/robust_implied.h
    // The American route's method: the window's rule, or one forced.
    AmericanMethod american_method = AmericanMethod::Rule;
    ComputeResults* results = nullptr;
    // The output window's lines. A front end that shows only the figures
    // (the batch's CSV) leaves them out; each figure is still written as
    // its line would write it, so that one too large to show ends in the
    // generic error as in the window.
    bool lines = true;
};

void cmdCompute_Click(MainWindow& main, OutputWindow& output, Pacifier& pacifier, UserInterface& ui,
                      const ComputeOptions& options);
void cmdCompute_Click(MainWindow& main, OutputWindow& output, Pacifier& pacifier, UserInterface& ui,
                      const Simulation& simulate = simulate_mcarlo);

// Compute's other messages (its checks' are in options/main_window.h).
namespace compute_text {
inline constexpr const char* implied_volatility = "The implied volatility is ";
// A price at its no-arbitrage floor (exact figures): followed by the
// largest volatility that reproduces it and not_determined_end.
inline constexpr const char* not_determined = "The implied volatility is not determined: every volatility up to about ";
inline constexpr const char* not_determined_end = " gives this price";

// What the progress window says on the simulation route.
inline constexpr const char* initializing = "Initializing...";
inline constexpr std::array<const char*, 6> after_valuation = {
    "One of six calculations performed...",   "Two of six calculations performed...",
    "Three of six calculations performed...", "Four of six calculations performed...",
    "Five of six calculations performed...",  "Done...",
};
inline constexpr const char* initializing_search = "Initializing volatility calculator...";
// Followed by the iteration number, " is " and the change of the estimate.
inline constexpr const char* search_iteration = "Error in iteration ";
}  // namespace compute_text

// The output window's six lines, each to four decimals.
inline constexpr ResultRow<Sensitivities> kSensitivityResults[] = {
    {{"value", "The option value is ", result_text, " dollars"}, &Sensitivities::value},
    {{"delta", "Delta is ", result_text}, &Sensitivities::delta},
    {{"gamma", "Gamma is ", result_text}, &Sensitivities::gamma},
    {{"theta", "Theta is ", result_text}, &Sensitivities::theta},
    {{"vega", "Vega is ", result_text}, &Sensitivities::vega},
    {{"rho", "Rho is ", result_text}, &Sensitivities::rho},
};

// The search's box, to four decimals.
inline constexpr ResultLine kImpliedVolatilityLine = {"implied_volatility", compute_text::implied_volatility,
                                                      result_text};

}  // namespace tvx
