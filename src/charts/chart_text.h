// The chart window's texts: a plot's points as CSV, the coordinates shown
// under the pointer and the note on points left out.
#pragma once

#include <string>
#include <vector>

#include "charts/chart_window.h"

namespace tvx {

// One line of column names (x, then every curve), then one line per x;
// a point that could not be valued is an empty field. Numbers in general
// number text; fields with a comma or a quote are quoted.
std::string plot_csv(const Plot& plot);

// The same points as cells: the column names, then a row of texts per x
// (empty where a point could not be valued). The window shows them as a
// table, for those who cannot see the curves.
struct TextTable {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
};
TextTable plot_table(const Plot& plot);

// "Spot price (dollars) 61.5, European 2.3412": the point under the
// pointer, x to four decimals, y as a result.
std::string hover_text(const Plot& plot, const std::string& series, double x, double y);

// "3 points could not be valued and are left out." (empty for none).
std::string left_out_note(int count, const char* what = "point");

namespace chart_text {
inline constexpr const char* cancelled = "Cancelled: the chart shows what it showed before.";
inline constexpr const char* busy_elsewhere =
    "A simulation is running in the main window: draw the chart when it has finished.";
inline constexpr const char* not_saved = "The file could not be written: ";
inline constexpr const char* source_refused =
    "The terms in the source window did not pass its checks: the chart still shows the terms above it.";
inline constexpr const char* nothing_valued = "No point of this range could be valued.";
// Under a closed-form curve whose kinks are the five-decimal normal
// distribution's, not the option's.
inline constexpr const char* approximation_kinks =
    "The curve's kinks come from the program's five-decimal normal distribution, not from the option: "
    "Advanced > Exact Values draws the exact curve.";
// Under an option chart whose American points the rule would value partly
// on the solver's grid and partly by the exercise-boundary method.
inline constexpr const char* american_by_method =
    "The American curve is drawn by the exercise-boundary method at every point, so that it has no jump: the "
    "solver's grid cannot value all of its points.";
// Under an option chart with cash dividends, before the output window's
// line on them ("Cash dividends: 2 before expiry, spot model").
inline constexpr const char* dividends_note =
    "Every point is valued with the cash dividends before its expiry, by the exact methods. ";
// The ex-dates' marks on a chart against the time to expiry.
inline constexpr const char* ex_dates = "Ex-dividend dates";
inline constexpr const char* never_exercised =
    "A call without a dividend yield is never exercised early: it has no exercise boundary.";
}  // namespace chart_text

}  // namespace tvx
