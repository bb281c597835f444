// Drawing the option's charts and its scenario table: the terms read as
// Compute reads them, each point valued by the route Compute takes. A
// simulated chart computes in the event loop, point by point, with its
// progress in the window and Cancel.
#include <cmath>

#include "charts/chart_text.h"
#include "charts/draw_parts.h"
#include "charts/option_chart.h"
#include "charts/option_drawing.h"
#include "charts/scenario.h"
#include "core/numbers.h"
#include "options/american_rule.h"
#include "options/dividend_route.h"
#include "options/routes.h"
#include "options/simulation_run.h"
#include "options/style_values.h"

namespace tvx {

namespace {

// A simulated chart: Compute (whose simulation would restart the shared
// generator under this one) waits, the window shows its progress and
// Cancel, and everything is released however the chart ends.
class SimulatedChart {
public:
    explicit SimulatedChart(ChartContext& cx) : cx_(cx) {
        cx_.sources.main.cmdCompute_enabled = false;
        cx_.ui.refresh(Window::Main);
        cx_.chart.busy = true;
        cx_.chart.kill = 0;
        cx_.chart.progress = "Starting...";
        cx_.ui.refresh(Window::Chart);
    }
    ~SimulatedChart() {
        cx_.chart.busy = false;
        cx_.chart.progress.clear();
        cx_.sources.main.cmdCompute_enabled = true;
        cx_.ui.refresh(Window::Main);
        cx_.ui.refresh(Window::Chart);
    }
    SimulatedChart(const SimulatedChart&) = delete;
    SimulatedChart& operator=(const SimulatedChart&) = delete;

    // After every batch of paths.
    void after_batch() {
        cx_.ui.yield();
        if (stop()) throw ChartStopped{};
    }
    // After every point; false stops the chart.
    bool after_point(int done, int total) {
        cx_.chart.progress = "Point " + std::to_string(done) + " of " + std::to_string(total) + "...";
        cx_.ui.refresh(Window::Chart);
        cx_.ui.yield();
        return !stop();
    }

private:
    bool stop() const { return cx_.chart.kill != 0 || !cx_.chart.open || cx_.sources.main.unloaded; }
    ChartContext& cx_;
};

std::string simulation_note(const MainWindow& main, const SimulationSetup& s) {
    std::string note = main.svol ? "stochastic volatility" : "";
    if (main.srate)
        note += std::string(note.empty() ? "" : " and ") + "stochastic rates, correlation " + general_text(s.rho);
    return note;
}

// Whether the chart's figures are exact: the choice is on and the route
// follows it (a simulation does not).
bool exact_figures(const ChartContext& cx, OptionStyle style) {
    return style != OptionStyle::Simulated && cx.sources.main.precision == Precision::Exact;
}

}  // namespace

void draw_with(ChartContext& cx, const OptionTerms& terms, OptionStyle style, const std::string& sim_note,
               const Valuers& v, const AfterPoint& after, int counterpart_every) {
    ChartWindow& c = cx.chart;
    const bool scenario = c.source == ChartSource::Scenario;
    const double current = scenario ? terms.spot : option_x(terms, c.x);
    const Range fallback = scenario ? default_scenario_spots(current) : default_range(c.x, current);
    const std::optional<Range> r = chart_range(cx, scenario ? term_name(OptionX::Spot) : term_name(c.x), fallback);
    if (!r) return;
    if (scenario) {
        const std::optional<Range> vols = scenario_vol_range(cx, default_scenario_vols(terms.sigma));
        if (!vols) return;
        std::optional<ScenarioGrid> grid = scenario_grid(terms, style, sim_note, *r, *vols, v.value, after);
        if (!grid) {
            c.note = chart_text::cancelled;
            return;
        }
        c.grid = std::move(*grid);
        if (exact_figures(cx, style)) c.grid.title += kExactTitle;
        ++c.version;
        c.note = left_out_note(c.grid.left_out, "cell");
        return;
    }
    OptionChartSpec spec{terms, style, sim_note, c.y, c.x, *r, kCurvePoints, counterpart_every};
    if (style == OptionStyle::Simulated) spec.points = kSimulatedPoints;
    std::optional<Plot> plot = option_plot(spec, v.main, v.counterpart, after);
    if (!plot) {
        c.note = chart_text::cancelled;
        return;
    }
    c.plot = std::move(*plot);
    ++c.version;
    c.note = chart_plot_note(c.plot);
    if (exact_figures(cx, style)) {
        c.plot.title += kExactTitle;
    } else if (style == OptionStyle::ClosedForm && shows_approximation(c.plot, terms, c.x, c.y)) {
        c.note += std::string(c.note.empty() ? "" : " ") + chart_text::approximation_kinks;
    }
}

namespace {

// The valuers of an American or closed-form chart, the American points by
// one rule for the whole chart (its boundaries serve every point that
// shares their terms: all of a curve against the spot or the strike), and
// which methods valued them.
struct RuledValuers {
    AmericanRule rule;
    bool grid = false, boundary = false;

    AmericanValuer seen(AmericanValuer v) {
        grid = grid || v == AmericanValuer::Grid;
        boundary = boundary || v == AmericanValuer::Boundary;
        return v;
    }
    // Beside a closed-form chart, the American value (its premium is what
    // the counterpart shows) on every fifth point: six solver runs a point
    // for every sensitivity would take the American chart's time.
    Valuers make(OptionStyle style, OptionY y) {
        const Precision precision = rule.precision();
        const PointValuer closed_form = [precision](const OptionTerms& o) { return closed_form_point(o, precision); };
        const ValueOf closed_form_value = [precision](const OptionTerms& o) { return european_value(o, precision); };
        const PointValuer american_point = [this](const OptionTerms& o) {
            const AmericanSensitivities s = rule.sensitivities(o);
            seen(s.valuer);
            return PointValue{s.s, std::nullopt};
        };
        const PointValuer american_value_only = [this](const OptionTerms& o) {
            const AmericanValue v = rule.value(o);
            seen(v.valuer);
            PointValue p;
            p.s.value = v.value;
            return p;
        };
        const ValueOf american_value = [this](const OptionTerms& o) { return rule.value(o).value; };
        if (style == OptionStyle::American) return {american_point, closed_form, american_value};
        Valuers v{closed_form, american_value_only, closed_form_value};
        if (y != OptionY::Value) v.counterpart = nullptr;
        return v;
    }
};

// A chart of closed-form or American values. Where the rule switches between
// the grid and the method along an American curve, its values would jump by
// up to the rule's tolerance there: the whole curve is drawn by the method
// instead, and the note says so.
void draw_valued(ChartContext& cx, const OptionTerms& terms, OptionStyle style) {
    const Precision precision = cx.sources.main.precision;
    const int every = style == OptionStyle::American ? 1 : 5;
    RuledValuers ruled{AmericanRule(AmericanMethod::Rule, precision)};
    draw_with(cx, terms, style, {}, ruled.make(style, cx.chart.y), {}, every);
    if (ruled.grid && ruled.boundary && cx.chart.source != ChartSource::Scenario) {
        RuledValuers method{AmericanRule(AmericanMethod::Boundary, precision)};
        draw_with(cx, terms, style, {}, method.make(style, cx.chart.y), {}, every);
        cx.chart.note += std::string(cx.chart.note.empty() ? "" : " ") + chart_text::american_by_method;
    }
}

}  // namespace

bool draw_option(ChartContext& cx, UserInterface& ui) {
    MainWindow& main = cx.sources.main;
    std::optional<OptionTerms> terms = read_option_terms(main, ui);
    if (!terms) return false;
    terms->sigma = read_volatility(main);
    const OptionStyle style = option_style(main);
    // With cash dividends the chart follows the schedule (and a simulation
    // refuses it, as Compute does).
    const std::optional<MainDividends> dividends = read_main_dividends(main, *terms, ui);
    if (!dividends) return false;
    if (!dividends->within.empty()) {
        ui.set_pointer(Pointer::Busy);
        draw_dividend_chart(cx, *terms, style, *dividends);
        ui.set_pointer(Pointer::Normal);
        return true;
    }
    if (style != OptionStyle::Simulated) {
        ui.set_pointer(Pointer::Busy);
        draw_valued(cx, *terms, style);
        ui.set_pointer(Pointer::Normal);
        return true;
    }
    // A simulation of Compute is waiting in the event loop.
    if (!main.cmdCompute_enabled) {
        cx.chart.note = chart_text::busy_elsewhere;
        return true;
    }
    const SimulationSetup setup = simulation_setup(main);
    SimulatedChart sim(cx);
    SimulationRun run(cx.simulate, setup, 6, mc_steps(terms->t), [&] { sim.after_batch(); });
    Valuers v;
    v.main = [&](const OptionTerms& o) {
        run.restart(mc_steps(o.t));
        const Sensitivities s = *sensitivities(run.routine(), o);
        return PointValue{s, run.reference_stats().standard_error};
    };
    v.counterpart = [](const OptionTerms& o) { return closed_form_point(o); };
    v.value = [&](const OptionTerms& o) {
        run.restart(mc_steps(o.t));
        return run(o);
    };
    try {
        draw_with(cx, *terms, style, simulation_note(main, setup), v,
                  [&](int done, int total) { return sim.after_point(done, total); });
    } catch (const ChartStopped&) {
        cx.chart.note = chart_text::cancelled;
    }
    return true;
}

}  // namespace tvx
