// The option's chart with cash dividends: each point valued as Compute
// values a schedule (pricing/dividend_sensitivities.h), with the dividends
// that fall within that point's life, so that a curve against the time to
// expiry bends where the expiry passes an ex-date; the ex-dates marked
// there.
#include "charts/chart_text.h"
#include "charts/option_drawing.h"
#include "options/dividend_schedule.h"
#include "pricing/dividend_sensitivities.h"

namespace tvx {

namespace {

// The value (and, for a chart of a sensitivity, the sensitivities) of the
// terms with the schedule's dividends within their life.
PointValue dividend_point(const OptionTerms& o, bool american, bool value_only, const MainDividends& d) {
    const std::vector<CashDividend> within = dividends_within(d.all, o.t);
    const DividendOption x{o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype, within, d.model};
    PointValue p;
    if (value_only) {
        p.s.value = american ? american_dividend_value(x) : european_dividend_value(x);
    } else {
        p.s = american ? american_dividend_sensitivities(x) : european_dividend_sensitivities(x);
    }
    return p;
}

}  // namespace

void draw_dividend_chart(ChartContext& cx, const OptionTerms& terms, OptionStyle style, const MainDividends& d) {
    const bool american = style == OptionStyle::American;
    const bool value_only = cx.chart.y == OptionY::Value;
    Valuers v;
    v.main = [&](const OptionTerms& o) { return dividend_point(o, american, value_only, d); };
    v.counterpart = [&](const OptionTerms& o) { return dividend_point(o, !american, true, d); };
    if (!value_only) v.counterpart = nullptr;
    v.value = [&](const OptionTerms& o) { return dividend_point(o, american, true, d).s.value; };
    // Every point of both curves: the counterpart's jumps at the ex-dates
    // are drawn where they are.
    draw_with(cx, terms, style, {}, v, {}, 1);
    ChartWindow& c = cx.chart;
    if (c.source == ChartSource::Option && c.x == OptionX::Time && !c.plot.empty()) {
        for (const CashDividend& div : d.all)
            if (div.time >= c.plot.x.front() && div.time <= c.plot.x.back())
                c.plot.x_marks.push_back({chart_text::ex_dates, div.time});
    }
    c.note += std::string(c.note.empty() ? "" : " ") + chart_text::dividends_note + d.line;
}

}  // namespace tvx
