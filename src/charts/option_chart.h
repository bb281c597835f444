// Curves of an option's value or one of its sensitivities against one of
// its terms, by the Compute command's own routes: the chosen style and its
// counterpart, the payoff at expiry on a value chart, the current terms
// marked.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "charts/chart_window.h"
#include "charts/ranges.h"
#include "options/main_window.h"
#include "options/sensitivities.h"

namespace tvx {

// The route Compute takes for a value: American; European by simulation
// (an advanced preference checked); European by the closed form.
enum class OptionStyle { ClosedForm, American, Simulated };
OptionStyle option_style(const MainWindow& main);

// One point: the value and its sensitivities, and the standard error of a
// simulated value. Throws a RuntimeError where the terms cannot be valued.
struct PointValue {
    Sensitivities s;
    std::optional<double> standard_error;
};
using PointValuer = std::function<PointValue(const OptionTerms& terms)>;

// The closed form as a point valuer (the American route's points come
// from one options/american_rule.h rule per chart).
PointValue closed_form_point(const OptionTerms& terms);

// Called after each point with the points done and the total; false stops
// the chart (cancelled).
using AfterPoint = std::function<bool(int done, int total)>;

struct OptionChartSpec {
    OptionTerms terms;  // as typed, the volatility read
    OptionStyle style = OptionStyle::ClosedForm;
    std::string simulation_note;  // for a simulation: its model and correlation
    OptionY y = OptionY::Value;
    OptionX x = OptionX::Spot;
    Range range;
    int points = kCurvePoints;
    // The counterpart is valued at every n-th point (and the last) only;
    // between them its curve has no points, none of them left out.
    int counterpart_every = 1;
};

// The curves, or no value when `after_point` cancelled. `main` values the
// chosen style, `counterpart` the other one (none: no counterpart curve).
std::optional<Plot> option_plot(const OptionChartSpec& spec, const PointValuer& main, const PointValuer& counterpart,
                                const AfterPoint& after_point = {});

// The chosen sensitivity (or the value) of a point.
double pick(const Sensitivities& s, OptionY y);
const char* y_name(OptionY y);

// "Call, American: spot 60, strike 64, ...", each charted term written as
// its range ("spot 30 to 90").
struct ChartedTerm {
    OptionX x;
    Range range;
};
std::string option_caption(const OptionTerms& terms, OptionStyle style, const std::string& simulation_note,
                           const std::vector<ChartedTerm>& charted);

}  // namespace tvx
