// `frmOutput`, "Computation Output": the six result lines of a valuation.
// A single instance, hidden by OK and refreshed by the next valuation.
#pragma once

#include <string>

namespace tvx {

struct OutputWindow {
    static constexpr const char* caption = "Computation Output";
    std::string Label1 = "Label1";  // value
    std::string Label2 = "Label2";  // Delta
    std::string Label3 = "Label3";  // Gamma
    std::string Label4 = "Label4";  // Theta
    std::string Label5 = "Label5";  // Vega
    std::string Label6 = "Label6";  // Rho
    // Under the six lines, on the simulation route only: the value's
    // standard error and the pairs it took. Empty on every other route.
    std::string StdError;

    // The option the six lines were computed for, as the main window held
    // it then ("European call: spot 60.0, ..."); empty before the first.
    std::string Terms;
    // A later Compute has not (yet) shown a value: it is running, or it
    // ended in an implied volatility, a failed check, an error or a
    // cancellation. The main window's terms may then no longer be those of
    // the six lines: they stay, drawn greyed under a line saying which
    // terms they are from, until the next value.
    bool stale = false;
    // Under the six lines, on the American route only: that the
    // exercise-boundary method valued the terms because the solver's grid
    // cannot. Empty otherwise.
    std::string Method;
    // Under the six lines while Advanced > Exact Values is on: that the
    // figures are exact. Empty otherwise.
    std::string Exact;
    // Under the six lines when cash dividends were given: how many fell
    // before the expiry and under which model they were valued. Empty
    // otherwise.
    std::string Dividends;
};

inline constexpr const char* kExactLine =
    "Exact values: the normal distribution to full precision, analytic sensitivities";
inline constexpr const char* kExactAmericanLine =
    "Exact values: the exercise-boundary method at full accuracy, sensitivities by its central differences";

// Over the six lines while they are stale, followed by their terms.
inline constexpr const char* kEarlierCompute = "From an earlier Compute, for the ";

// The line over stale results: kEarlierCompute and the terms.
inline std::string earlier_compute_line(const OutputWindow& w) { return kEarlierCompute + w.Terms; }

inline constexpr const char* kOkCaption = "OK";

}  // namespace tvx
