// Drawing the two bond charts and reading a chart's range.
#include "charts/bond_chart.h"
#include "charts/chart_text.h"
#include "charts/draw_parts.h"

namespace tvx {

namespace {

std::optional<Range> typed_or_default(ChartContext& cx, std::string& from, std::string& to, const TermName& term,
                                      const char* what, const char* from_field, const char* to_field, Range fallback) {
    ChartWindow& c = cx.chart;
    if (!c.range_typed) {
        from = range_text(fallback.from);
        to = range_text(fallback.to);
    }
    RangeProblem problem;
    const std::optional<Range> r = read_range(from, to, term, what, from_field, to_field, problem);
    if (!r) {
        c.plot = Plot{};
        c.grid = ScenarioGrid{};
        ++c.version;
        c.note = problem.message;
        cx.ui.refresh(Window::Chart);
        cx.ui.focus_field(Window::Chart, problem.field);
    }
    return r;
}

// The note after a chart is drawn: the points left out, or that none at
// all could be valued.
std::string plot_note(const Plot& plot) {
    if (plot.left_out >= static_cast<int>(plot.x.size())) return chart_text::nothing_valued;
    return left_out_note(plot.left_out);
}

}  // namespace

std::optional<Range> chart_range(ChartContext& cx, const TermName& term, Range fallback) {
    return typed_or_default(cx, cx.chart.from, cx.chart.to, term, "range", "txtFrom", "txtTo", fallback);
}

std::optional<Range> scenario_vol_range(ChartContext& cx, Range fallback) {
    return typed_or_default(cx, cx.chart.vol_from, cx.chart.vol_to, kScenarioVolatility, "volatility range",
                            "txtVolFrom", "txtVolTo", fallback);
}

bool draw_bond(ChartContext& cx, UserInterface& ui) {
    const std::optional<StraightBondTerms> b = read_straight_terms(cx.sources.straight, ui);
    if (!b) return false;
    ChartWindow& c = cx.chart;
    const std::optional<Range> r = chart_range(cx, term_name(c.bond_x), default_range(c.bond_x, bond_x(*b, c.bond_x)));
    if (!r) return true;
    c.plot = bond_plot(*b, c.bond_x, *r);
    ++c.version;
    c.note = plot_note(c.plot);
    return true;
}

bool draw_convertible(ChartContext& cx, UserInterface& ui) {
    std::optional<ConvertibleTerms> t = read_convertible_terms(cx.sources.convertible, ui);
    if (t) t->precision = cx.sources.main.precision;  // the calls follow Advanced > Exact Values
    if (!t) return false;
    ChartWindow& c = cx.chart;
    const std::optional<Range> r = chart_range(cx, kSharePrice, default_share_range(t->S));
    if (!r) return true;
    c.plot = convertible_plot(*t, *r);
    ++c.version;
    c.note = plot_note(c.plot);
    return true;
}

std::string chart_plot_note(const Plot& plot) { return plot_note(plot); }

}  // namespace tvx
