// The parts of drawing a chart, one per source, shared by the chart
// commands. Each reads its source's terms through `ui` (whose boxes may be
// silenced when following a Compute), returns false when the terms were
// refused, and leaves its result (or a note) in the chart's model.
#pragma once

#include <optional>

#include "charts/chart_commands.h"
#include "charts/ranges.h"

namespace tvx {

bool draw_option(ChartContext& cx, UserInterface& ui);
bool draw_boundary(ChartContext& cx, UserInterface& ui);
bool draw_bond(ChartContext& cx, UserInterface& ui);
bool draw_convertible(ChartContext& cx, UserInterface& ui);

// The range of the chart: typed, or the default around `current` written
// into the fields. A range that makes no sense clears the chart and puts
// its message in the note, with the cursor in its field.
std::optional<Range> chart_range(ChartContext& cx, const TermName& term, Range fallback);
std::optional<Range> scenario_vol_range(ChartContext& cx, Range fallback);

// The note under a drawn chart: the points left out, or that none could
// be valued.
std::string chart_plot_note(const Plot& plot);

// Thrown inside a simulated chart when it must stop: Cancel, the window
// closed, or the application closing.
struct ChartStopped {};

}  // namespace tvx
