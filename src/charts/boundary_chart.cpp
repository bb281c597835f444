#include "charts/boundary_chart.h"

#include <algorithm>
#include <string>

#include "charts/option_chart.h"
#include "core/fault.h"
#include "pricing/exercise_boundary.h"

namespace tvx {

Range default_boundary_range(double t) { return {t / 200.0, t}; }

std::optional<Plot> boundary_plot(const OptionTerms& terms, const Range& r) {
    const double life = std::max(terms.t, r.to);
    const ExerciseBoundary b(life, terms.sigma, terms.r, terms.strike, terms.yield, terms.optype);
    if (!b.exercised_early()) return std::nullopt;
    const bool call = terms.optype == 0;
    Plot plot;
    plot.title = std::string("Exercise boundary of the ") + (call ? "call" : "put") +
                 ": the critical price against the time to expiry";
    plot.caption = option_caption(terms, OptionStyle::American, "", {{OptionX::Time, r}});
    plot.x_label = term_name(OptionX::Time).label;
    plot.y_label = "Critical price (dollars)";
    plot.x = spread(r, kCurvePoints);
    Series critical{call ? "Exercised at or above" : "Exercised at or below", SeriesRole::Main, {}};
    Series strike{"Strike", SeriesRole::Strike, {}};
    for (const double tau : plot.x) {
        std::optional<double> y;
        try {
            y = b.critical_price(tau);
        } catch (const RuntimeError&) {
            ++plot.left_out;
        }
        critical.y.push_back(y);
        strike.y.push_back(terms.strike);
    }
    plot.series = {std::move(critical), std::move(strike)};
    if (terms.t >= r.from && terms.t <= r.to) {
        plot.current_x = terms.t;
        plot.current_y = b.critical_price(terms.t);
    }
    return plot;
}

}  // namespace tvx
