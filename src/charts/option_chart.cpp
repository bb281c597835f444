#include "charts/option_chart.h"

#include <algorithm>
#include <cmath>

#include "core/fault.h"
#include "core/numbers.h"
#include "options/style_values.h"
#include "pricing/closed_form.h"

namespace tvx {

OptionStyle option_style(const MainWindow& main) {
    if (!main.optEuro) return OptionStyle::American;
    if (main.svol || main.srate) return OptionStyle::Simulated;
    return OptionStyle::ClosedForm;
}

PointValue closed_form_point(const OptionTerms& terms, Precision precision) {
    return {european_sensitivities(terms, precision), std::nullopt};
}

bool shows_approximation(const Plot& plot, const OptionTerms& terms, OptionX x, OptionY y) {
    if (plot.series.empty() || plot.series.front().y.size() != plot.x.size()) return false;
    const std::vector<std::optional<double>>& shown = plot.series.front().y;
    double low = 0, high = 0, gap = 0;
    bool first = true;
    for (std::size_t i = 0; i < plot.x.size(); ++i) {
        if (!shown[i]) continue;
        double exact = 0;
        try {
            exact = pick(european_sensitivities(with_option_x(terms, x, plot.x[i]), Precision::Exact), y);
        } catch (const RuntimeError&) {
            continue;
        }
        if (!std::isfinite(exact)) continue;
        low = first ? exact : std::min(low, exact);
        high = first ? exact : std::max(high, exact);
        first = false;
        gap = std::max(gap, std::fabs(*shown[i] - exact));
    }
    return !first && gap > 0.01 * (high - low);
}

double pick(const Sensitivities& s, OptionY y) {
    switch (y) {
        case OptionY::Value: return s.value;
        case OptionY::Delta: return s.delta;
        case OptionY::Gamma: return s.gamma;
        case OptionY::Theta: return s.theta;
        case OptionY::Vega: return s.vega;
        case OptionY::Rho: return s.rho;
    }
    return 0;
}

const char* y_name(OptionY y) {
    switch (y) {
        case OptionY::Value: return "Value";
        case OptionY::Delta: return "Delta";
        case OptionY::Gamma: return "Gamma";
        case OptionY::Theta: return "Theta";
        case OptionY::Vega: return "Vega";
        case OptionY::Rho: return "Rho";
    }
    return "";
}

namespace {

const char* style_name(OptionStyle style) {
    switch (style) {
        case OptionStyle::ClosedForm: return "European";
        case OptionStyle::American: return "American";
        case OptionStyle::Simulated: return "European, simulated";
    }
    return "";
}

const char* counterpart_name(OptionStyle style) {
    switch (style) {
        case OptionStyle::ClosedForm: return "American";
        case OptionStyle::American: return "European";
        case OptionStyle::Simulated: return "European, closed form (constant volatility and rate)";
    }
    return "";
}

std::string term_text(const OptionTerms& o, OptionX x) {
    const std::string v = general_text(option_x(o, x));
    switch (x) {
        case OptionX::Spot: return "spot " + v;
        case OptionX::Strike: return "strike " + v;
        case OptionX::Volatility: return "volatility " + v;
        case OptionX::Time: return "time " + v + " years";
        case OptionX::Rate: return "rate " + v + " %";
    }
    return "";
}

std::string range_term_text(OptionX x, const Range& r) {
    OptionTerms from = with_option_x({}, x, r.from);
    OptionTerms to = with_option_x({}, x, r.to);
    std::string a = term_text(from, x);
    std::string b = general_text(option_x(to, x));
    // "spot 30 to 90", "time 0.025 to 1 years"
    const std::string first = general_text(option_x(from, x));
    return a.replace(a.find(first), first.size(), first + " to " + b);
}

// A y that is a number, or none: nothing else is ever drawn.
std::optional<double> finite(double y) { return std::isfinite(y) ? std::optional<double>(y) : std::nullopt; }

// The main curve's point at o (and the band's, when `band` and the
// valuation has a standard error); false when the valuation faulted and
// the point is left out.
bool main_point(const PointValuer& main, const OptionTerms& o, OptionY y, bool band, Series& chosen, Series& low,
                Series& high) {
    try {
        const PointValue p = main(o);
        chosen.y.push_back(finite(pick(p.s, y)));
        if (band && p.standard_error) {
            low.y.push_back(finite(p.s.value - *p.standard_error));
            high.y.push_back(finite(p.s.value + *p.standard_error));
        } else {
            low.y.emplace_back(), high.y.emplace_back();
        }
        return true;
    } catch (const RuntimeError&) {
        chosen.y.emplace_back(), low.y.emplace_back(), high.y.emplace_back();
        return false;
    }
}

}  // namespace

std::string option_caption(const OptionTerms& terms, OptionStyle style, const std::string& simulation_note,
                           const std::vector<ChartedTerm>& charted) {
    std::string text = std::string(terms.optype == 0 ? "Call" : "Put") + ", " + style_name(style);
    if (!simulation_note.empty()) text += " (" + simulation_note + ")";
    text += ": ";
    const OptionX order[] = {OptionX::Spot, OptionX::Strike, OptionX::Time, OptionX::Rate, OptionX::Volatility};
    bool first = true;
    for (const OptionX x : order) {
        if (!first) text += ", ";
        first = false;
        std::string part = term_text(terms, x);
        for (const ChartedTerm& c : charted)
            if (c.x == x) part = range_term_text(x, c.range);
        text += part;
        if (x == OptionX::Strike) text += ", dividend " + general_text(terms.yield * 100.0) + " %";
    }
    return text;
}

namespace {

// The plot's titles, labels and abscissae, before any point is valued.
Plot plot_frame(const OptionChartSpec& spec) {
    Plot plot;
    const TermName term = term_name(spec.x);
    plot.title = std::string(y_name(spec.y)) + " of the " + (spec.terms.optype == 0 ? "call" : "put") +
                 " against the " + term.name;
    plot.caption = option_caption(spec.terms, spec.style, spec.simulation_note, {{spec.x, spec.range}});
    plot.x_label = term.label;
    plot.y_label = y_name(spec.y);
    plot.x = spread(spec.range, spec.points);
    return plot;
}

// The counterpart's point i of n, when it is one of those it values:
// false when that fails.
bool counterpart_point(const PointValuer& counterpart, const OptionTerms& o, const OptionChartSpec& spec, std::size_t n,
                       Series& other) {
    const std::size_t i = other.y.size();
    if (!counterpart || (i % spec.counterpart_every != 0 && i + 1 != n)) {
        other.y.emplace_back();  // not computed here: not a point left out
        return true;
    }
    try {
        other.y.push_back(finite(pick(counterpart(o).s, spec.y)));
        return true;
    } catch (const RuntimeError&) {
        other.y.emplace_back();
        return false;
    }
}

}  // namespace

std::optional<Plot> option_plot(const OptionChartSpec& spec, const PointValuer& main, const PointValuer& counterpart,
                                const AfterPoint& after_point) {
    Plot plot = plot_frame(spec);

    const bool value = spec.y == OptionY::Value;
    const bool simulated = spec.style == OptionStyle::Simulated;
    Series chosen{style_name(spec.style), SeriesRole::Main, {}};
    Series other{counterpart_name(spec.style), SeriesRole::Counterpart, {}};
    Series payoff_line{"Payoff at expiry", SeriesRole::Payoff, {}};
    Series low{"One standard error below", SeriesRole::BandLow, {}};
    Series high{"One standard error above", SeriesRole::BandHigh, {}};

    const double current = option_x(spec.terms, spec.x);
    const bool mark = spec.range.from <= current && current <= spec.range.to;
    const int total = spec.points + (mark ? 1 : 0);
    int done = 0;
    const auto step = [&] { return !after_point || after_point(++done, total); };

    for (const double xi : plot.x) {
        const OptionTerms o = with_option_x(spec.terms, spec.x, xi);
        bool faulted = !main_point(main, o, spec.y, simulated && value, chosen, low, high);
        if (!counterpart_point(counterpart, o, spec, plot.x.size(), other)) faulted = true;
        if (value) payoff_line.y.push_back(finite(payoff(o.spot, o.strike, o.optype)));
        plot.left_out += faulted ? 1 : 0;
        if (!step()) return std::nullopt;
    }
    // The payoff bends where the spot meets the strike.
    if (value && (spec.x == OptionX::Spot || spec.x == OptionX::Strike)) {
        const double corner = spec.x == OptionX::Spot ? spec.terms.strike : spec.terms.spot;
        if (spec.range.from < corner && corner < spec.range.to) payoff_line.corners.emplace_back(corner, 0.0);
    }
    if (mark) {
        try {
            plot.current_y = finite(pick(main(spec.terms).s, spec.y));
            if (plot.current_y) plot.current_x = current;
        } catch (const RuntimeError&) {}
        if (!step()) return std::nullopt;
    }

    plot.series.push_back(std::move(chosen));
    if (counterpart) plot.series.push_back(std::move(other));
    if (value) plot.series.push_back(std::move(payoff_line));
    if (simulated && value) {
        plot.series.push_back(std::move(low));
        plot.series.push_back(std::move(high));
    }
    return plot;
}

}  // namespace tvx
