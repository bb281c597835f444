// Drawing the exercise-boundary chart: the main window's terms read as
// Compute reads them, the boundary solved once.
#include "charts/boundary_chart.h"
#include "charts/chart_text.h"
#include "charts/draw_parts.h"
#include "options/routes.h"

namespace tvx {

bool draw_boundary(ChartContext& cx, UserInterface& ui) {
    MainWindow& main = cx.sources.main;
    std::optional<OptionTerms> terms = read_option_terms(main, ui);
    if (!terms) return false;
    terms->sigma = read_volatility(main);
    ChartWindow& c = cx.chart;
    const std::optional<Range> r = chart_range(cx, term_name(OptionX::Time), default_boundary_range(terms->t));
    if (!r) return true;
    ui.set_pointer(Pointer::Busy);
    std::optional<Plot> plot = boundary_plot(*terms, *r);
    ui.set_pointer(Pointer::Normal);
    c.plot = plot ? std::move(*plot) : Plot{};
    ++c.version;
    c.note = plot ? chart_plot_note(c.plot) : chart_text::never_exercised;
    return true;
}

}  // namespace tvx
