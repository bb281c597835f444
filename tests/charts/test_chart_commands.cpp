// The chart window's commands: the source's own messages for bad terms,
// clear notes for ranges that make no sense, following the source's
// Compute, and a simulated chart's progress, Cancel and lock on Compute.
#include "charts/chart_fixture.h"
#include "charts/chart_text.h"
#include "pricing/closed_form.h"

namespace tvx {
namespace {

using test::ChartFixture;
using test::UiEvent;
using Kind = UiEvent::Kind;

class ChartCommands : public ChartFixture {};

TEST_F(ChartCommands, BadTermsGetExactlyTheSourcesMessages) {
    main.strike = "0";
    main.time = "-1";
    open(ChartSource::Option);
    EXPECT_EQ(ui.box_texts(),
              (std::vector<std::string>{"Strike Price must be positive", "Time to Maturity must be positive"}));
    EXPECT_TRUE(chart.plot.empty());
    EXPECT_EQ(chart.note, chart_text::source_refused);

    ui.events.clear();
    main.strike = "64.0";
    main.time = "0.5";
    main.qqq = "abc";
    chart_draw(cx);
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{kGenericError});
    EXPECT_EQ(ui.pointer, Pointer::Normal);

    ui.events.clear();
    straight.coup = "0";
    open(ChartSource::Bond);
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{"Error: Coupon must be greater than zero"});
    ui.events.clear();
    convertible.conr = "0.4";
    open(ChartSource::Convertible);
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{"Error: Conversion Ratio must be greater than zero"});
}

TEST_F(ChartCommands, ARangeThatMakesNoSenseGetsAClearNote) {
    struct Case {
        OptionX x;
        const char* from;
        const char* to;
        const char* note;
        const char* field;
    };
    const Case cases[] = {
        {OptionX::Spot, "90", "30", "The lower end of the range must be below its upper end.", "txtFrom"},
        {OptionX::Spot, "50", "50", "The lower end of the range must be below its upper end.", "txtFrom"},
        {OptionX::Time, "-0.5", "1", "The time to expiry must be greater than zero: start the range above 0.",
         "txtFrom"},
        {OptionX::Rate, "0", "5", "The rate must be greater than zero: start the range above 0.", "txtFrom"},
        {OptionX::Volatility, "0.1", "", "The upper end of the range is not a number.", "txtTo"},
        {OptionX::Strike, "1,5", "80", "The lower end of the range is not a number.", "txtFrom"},
    };
    open(ChartSource::Option);
    for (const Case& c : cases) {
        ui.events.clear();
        chart.x = c.x;
        chart.from = c.from;
        chart.to = c.to;
        chart.range_typed = true;
        chart_draw(cx);
        EXPECT_EQ(chart.note, c.note);
        EXPECT_TRUE(chart.plot.empty()) << "nothing drawn for " << c.from << " to " << c.to;
        EXPECT_TRUE(ui.boxes().empty());
        ASSERT_FALSE(ui.events.empty());
        bool focused = false;
        for (const UiEvent& e : ui.events) focused |= e.kind == Kind::Focus && e.text == c.field;
        EXPECT_TRUE(focused) << c.note;
    }
    // The scenario table's volatility range is checked the same way.
    chart.source = ChartSource::Scenario;
    chart.from = "50";
    chart.to = "70";
    chart.vol_from = "0.3";
    chart.vol_to = "0.1";
    chart_draw(cx);
    EXPECT_EQ(chart.note, "The lower end of the volatility range must be below its upper end.");
    EXPECT_TRUE(chart.grid.empty());
}

TEST_F(ChartCommands, AnOpenChartFollowsItsSourcesComputeWithoutRepeatingItsMessages) {
    open(ChartSource::Option);
    const std::string before = chart.plot.caption;
    // Another source's Compute leaves it alone.
    main.current = "70";
    chart_follow(cx, ChartSource::Bond);
    EXPECT_EQ(chart.plot.caption, before);
    chart_follow(cx, ChartSource::Option);
    EXPECT_NE(chart.plot.caption, before);
    EXPECT_NE(chart.plot.caption.find("spot 35 to 105"), std::string::npos);

    // Bad terms: Compute has told the user; the chart keeps the terms it states.
    ui.events.clear();
    const std::string shown = chart.plot.caption;
    main.irate = "0";
    chart_follow(cx, ChartSource::Option);
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(chart.plot.caption, shown);
    EXPECT_EQ(chart.note, chart_text::source_refused);

    // A closed chart does not follow.
    main.irate = "4.5";
    chart_close(cx);
    EXPECT_TRUE(ui.count(Kind::Unload, Window::Chart) == 1);
    main.current = "80";
    chart_follow(cx, ChartSource::Option);
    EXPECT_EQ(chart.plot.caption, shown);
}

// A simulated chart with a simulation that yields twice per valuation and
// returns the closed form: its standard error is 0.01.
class SimulatedChart : public ChartFixture {
protected:
    SimulatedChart() {
        main.svol = true;
        cx.simulate = [this](const OptionTerms& o, std::int16_t, double, std::int16_t, const BatchYield& yield,
                             BatchCount, StepCount, McStats* stats) {
            ++valuations;
            yield();
            yield();
            if (stats) *stats = McStats{0.01, 200, 2};
            return solver_euro(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype);
        };
    }
    int valuations = 0;
};

TEST_F(SimulatedChart, ShowsItsProgressLocksComputeAndDrawsABand) {
    bool locked_throughout = true;
    std::vector<std::string> progress;
    ui.on_yield = [&](int) {
        locked_throughout &= !main.cmdCompute_enabled && chart.busy;
        if (progress.empty() || progress.back() != chart.progress) progress.push_back(chart.progress);
    };
    open(ChartSource::Option);
    EXPECT_TRUE(locked_throughout);
    EXPECT_TRUE(main.cmdCompute_enabled);
    EXPECT_FALSE(chart.busy);
    // 21 points and the current one, six valuations each.
    EXPECT_EQ(valuations, 22 * 6);
    EXPECT_EQ(chart.plot.x.size(), 21u);
    EXPECT_EQ(progress.back(), "Point 22 of 22...");
    const Series& low = series(SeriesRole::BandLow);
    const Series& high = series(SeriesRole::BandHigh);
    const Series& value = series(SeriesRole::Main);
    for (std::size_t i = 0; i < value.y.size(); ++i) {
        EXPECT_NEAR(*high.y[i] - *value.y[i], 0.01, 1e-12);
        EXPECT_NEAR(*value.y[i] - *low.y[i], 0.01, 1e-12);
    }
    EXPECT_NE(chart.plot.caption.find("(stochastic volatility)"), std::string::npos);
}

TEST_F(SimulatedChart, ThePayoffBendsAtTheStrikeBetweenTheSamplePoints) {
    // 21 points over spot 30 to 90 fall every 3 dollars, on 63 and 66 but
    // not on the strike 64: the call's payoff max(S - 64, 0) has its
    // corner there, as one point of the drawn line.
    open(ChartSource::Option);
    const Series& payoff = series(SeriesRole::Payoff);
    ASSERT_EQ(payoff.corners.size(), 1u);
    EXPECT_EQ(payoff.corners[0], (std::pair<double, double>{64.0, 0.0}));
    EXPECT_EQ(*payoff.y[11], 0.0);  // at 63
    EXPECT_EQ(*payoff.y[12], 2.0);  // at 66
    // Against the strike the corner is at the spot; against a term that
    // moves neither, the payoff is flat and has none.
    chart.x = OptionX::Strike;
    main.svol = false;
    chart_choice_changed(cx);
    ASSERT_EQ(series(SeriesRole::Payoff).corners.size(), 1u);
    EXPECT_EQ(series(SeriesRole::Payoff).corners[0].first, 60.0);
    chart.x = OptionX::Volatility;
    chart_choice_changed(cx);
    EXPECT_TRUE(series(SeriesRole::Payoff).corners.empty());
}

TEST_F(SimulatedChart, CancelStopsItAndLeavesThePreviousChart) {
    main.svol = false;
    open(ChartSource::Option);
    const Plot before = chart.plot;
    main.svol = true;
    ui.on_yield = [&](int n) {
        if (n == 7) chart_cancel(chart);
    };
    chart_draw(cx);
    EXPECT_EQ(chart.note, chart_text::cancelled);
    EXPECT_EQ(chart.plot.caption, before.caption);
    EXPECT_LE(valuations, 4);  // stopped within the batch that was running
    EXPECT_TRUE(main.cmdCompute_enabled);
    EXPECT_FALSE(chart.busy);
    // A Compute simulation waiting in the event loop keeps the chart from
    // starting one of its own.
    main.cmdCompute_enabled = false;
    valuations = 0;
    chart_draw(cx);
    EXPECT_EQ(valuations, 0);
    EXPECT_EQ(chart.note, chart_text::busy_elsewhere);
}

}  // namespace
}  // namespace tvx
