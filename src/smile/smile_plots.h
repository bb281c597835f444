// The Volatility Smile window's charts as plain data, drawn by the Qt form
// and written out as CSV: per expiry, the smile (bid and ask bars, the
// mids, the fitted curve), the fit's residuals and the implied density;
// across the expiries, the at-the-money term structure, total variance
// against k and the surface as a heat map of volatility over strike and
// expiry.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "smile/smile_window.h"

namespace tvx {

enum class PlotMark {
    Line,    // a curve through the points
    Points,  // a marker at each point
    Bars,    // a vertical bar from low to high at each x (bid to ask)
};

struct PlotSeries {
    std::string name;
    PlotMark mark = PlotMark::Line;
    std::vector<double> x = {}, y = {};
    std::vector<double> low = {}, high = {};  // a bar's ends, for Bars
};

// Volatility at each strike (columns) and life (rows); none where the
// surface gives none.
struct HeatMap {
    std::vector<double> strikes;
    std::vector<double> times;
    std::vector<std::vector<std::optional<double>>> vol;  // [time][strike]
};

struct SmilePlot {
    std::string title;    // what is drawn: "Smile of 2010-03-10"
    std::string caption;  // the expiry's or the chain's terms
    std::string x_label, y_label;
    std::vector<PlotSeries> series = {};
    std::optional<HeatMap> heat = {};

    bool empty() const { return series.empty() && !heat; }
};

// The captions of the chart choices, in the order of SmileChart.
inline constexpr const char* kSmileChartNames[] = {
    "Smile", "Residuals", "At-the-money term structure", "Total variance", "Implied density", "Surface",
};

// What the window's chart shows now (empty before a fit).
SmilePlot smile_plot(const SmileWindow& w);

// The plot's points as CSV: "series,x,y,low,high" a point, or the heat
// map's rows of volatilities under a header of strikes.
std::string smile_plot_csv(const SmilePlot& p);

// A file name that says what the chart is: its title in lower case, words
// joined by "-", with the suffix given ("smile-of-2010-03-10.png").
std::string smile_plot_file_name(const SmilePlot& p, const std::string& suffix);

}  // namespace tvx
