#include "charts/bond_chart.h"

#include <cmath>
#include <functional>

#include "core/fault.h"
#include "core/numbers.h"

namespace tvx {

double bond_x(const StraightBondTerms& terms, BondX x) { return x == BondX::Rate ? terms.rate * 100.0 : terms.T; }

namespace {

StraightBondTerms with_bond_x(StraightBondTerms b, BondX x, double value) {
    if (x == BondX::Rate) {
        b.rate = value / 100.0;
    } else {
        b.T = value;
    }
    return b;
}

std::string coupon_text(double per_period, bool annual) {
    return "coupon " + general_text(per_period * (annual ? 100.0 : 200.0)) + " %, " +
           (annual ? "annual" : "semi-annual");
}

std::string range_or(const Range& r, bool charted, double value) {
    return charted ? general_text(r.from) + " to " + general_text(r.to) : general_text(value);
}

// The value of every x by `value`, each fault left out and counted.
Series curve(const char* name, SeriesRole role, const std::vector<double>& xs, int& left_out,
             const std::function<double(double)>& value) {
    Series s{name, role, {}};
    for (const double x : xs) {
        try {
            const double y = value(x);
            s.y.push_back(std::isfinite(y) ? std::optional<double>(y) : std::nullopt);
        } catch (const RuntimeError&) {
            s.y.emplace_back();
        }
        if (!s.y.back()) ++left_out;
    }
    return s;
}

// Marks the current terms when they lie inside the range.
void mark(Plot& plot, const Range& r, double current, const std::function<double(double)>& value) {
    if (current < r.from || current > r.to) return;
    try {
        plot.current_y = value(current);
        plot.current_x = current;
    } catch (const RuntimeError&) {}
}

}  // namespace

Plot bond_plot(const StraightBondTerms& terms, BondX x, const Range& range, int points) {
    Plot plot;
    const TermName term = term_name(x);
    plot.title = std::string("Fair value of the straight bond against its ") + term.name;
    plot.caption = "Straight bond: par " + general_text(terms.P) + ", " + coupon_text(terms.coupon, terms.annual) +
                   ", time to maturity " + range_or(range, x == BondX::Time, terms.T) + " years, rate " +
                   range_or(range, x == BondX::Rate, terms.rate * 100.0) + " %";
    plot.x_label = term.label;
    plot.y_label = "Fair value (per cent of par)";
    plot.x = spread(range, points);
    const auto value = [&](double xi) { return straight_percent(with_bond_x(terms, x, xi)); };
    plot.series.push_back(curve("Straight bond", SeriesRole::Main, plot.x, plot.left_out, value));
    mark(plot, range, bond_x(terms, x), value);
    return plot;
}

Plot convertible_plot(const ConvertibleTerms& terms, const Range& range, int points) {
    Plot plot;
    plot.title = "Fair value of the convertible bond against the share price";
    plot.caption = "Convertible bond: par " + general_text(terms.P) + ", " + coupon_text(terms.coupon, terms.annual) +
                   ", conversion ratio " + std::to_string(terms.R) + ", time to maturity " + general_text(terms.T) +
                   " years, share price " + range_or(range, true, terms.S) + ", rate " + general_text(terms.r * 100.0) +
                   " %, volatility " + general_text(terms.sigma) + ", dividend yield " + general_text(terms.q * 100.0) +
                   " %";
    plot.x_label = kSharePrice.label;
    plot.y_label = "Fair value (per cent of par)";
    plot.x = spread(range, points);
    const auto value = [&](double S) {
        ConvertibleTerms c = terms;
        c.S = S;
        return convertible_percent(c);
    };
    const StraightBondTerms straight{terms.P, terms.coupon, terms.annual, terms.T, terms.r};
    int ignored = 0;  // the floor and the conversion value fault only where the convertible does
    plot.series.push_back(curve("Convertible", SeriesRole::Main, plot.x, plot.left_out, value));
    plot.series.push_back(
        curve("Bond floor", SeriesRole::Floor, plot.x, ignored, [&](double) { return straight_percent(straight); }));
    plot.series.push_back(curve("Conversion value", SeriesRole::Conversion, plot.x, ignored,
                                [&](double S) { return chk(fdiv(chk(terms.R * S), terms.P) * 100.0); }));
    mark(plot, range, terms.S, value);
    return plot;
}

}  // namespace tvx
