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
    // Under the six lines, on the American route only: that the
    // exercise-boundary method valued the terms because the solver's grid
    // cannot. Empty otherwise.
    std::string Method;
};

inline constexpr const char* kOkCaption = "OK";

}  // namespace tvx
