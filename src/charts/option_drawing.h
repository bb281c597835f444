// Drawing an option's curves and scenario table from valuers of its
// points: shared by the chart of the Compute routes (draw_option.cpp) and
// the chart of an option with cash dividends (draw_dividends.cpp).
#pragma once

#include <string>

#include "charts/chart_commands.h"
#include "charts/option_chart.h"
#include "charts/scenario.h"
#include "options/dividend_route.h"

namespace tvx {

// How the points of a chart are valued: the chosen style with its
// sensitivities and its counterpart for a curve, the value alone for the
// scenario table.
struct Valuers {
    PointValuer main;
    PointValuer counterpart;
    ValueOf value;
};

// The chart's curves (or its scenario table) over the chart's range, by
// the valuers, into the chart window's model with its note.
void draw_with(ChartContext& cx, const OptionTerms& terms, OptionStyle style, const std::string& sim_note,
               const Valuers& v, const AfterPoint& after, int counterpart_every = 1);

// The chart of an option with cash dividends: every point by the exact
// methods of the schedule (the dividends within each point's life), the
// ex-dates marked on a chart against the time to expiry, and the note
// saying which schedule and model.
void draw_dividend_chart(ChartContext& cx, const OptionTerms& terms, OptionStyle style, const MainDividends& d);

}  // namespace tvx
