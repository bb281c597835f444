// The strategy window's commands headless: opening from the main window,
// Compute with the main window's own valuation, the checks, the presets,
// and Save and Open of a strategy file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "charts/strategy_chart.h"
#include "instruments/calculator_checks.h"
#include "options/compute.h"
#include "pricing/exact_closed_form.h"
#include "strategy/presets.h"
#include "strategy/rules.h"
#include "strategy/strategy_commands.h"
#include "support/recording_ui.h"

namespace tvx::test {
namespace {

bool same_entries(const StrategyWindow& a, const StrategyWindow& b) {
    return a.spot == b.spot && a.rate == b.rate && a.dividend == b.dividend && a.horizon == b.horizon &&
           a.spotvol == b.spotvol && a.legs == b.legs && a.leg_count == b.leg_count;
}

int preset_index(std::string_view name) { return static_cast<int>(preset_named(name) - presets().data()); }

class StrategyWindowTest : public ::testing::Test {
protected:
    MainWindow main;
    StrategyWindow w;
    RecordingUi ui;

    void open() { mnuStrategy_Click(main, w, ui); }
    void compute() {
        ui = RecordingUi{};
        strategy_compute(w, ui);
    }
    std::filesystem::path scratch(const char* name) {
        const auto p = std::filesystem::temp_directory_path() / ("tvx_strategy_" + std::to_string(::getpid()) + name);
        std::filesystem::remove(p);
        return p;
    }
};

TEST_F(StrategyWindowTest, OpensOnTheMainWindowsTermsAndOptionAndValuesItAsComputeDoes) {
    main.current = "61";
    main.optCall = false;
    open();
    EXPECT_TRUE(ui.shown(Window::Strategy));
    EXPECT_EQ(w.spot, "61");
    EXPECT_EQ(w.rate, "4.5");
    EXPECT_EQ(w.dividend, "2.1");
    ASSERT_EQ(w.leg_count, 1);
    EXPECT_EQ(w.legs[0].instrument, Instrument::Put);
    EXPECT_EQ(w.legs[0].strike, "64.0");
    compute();
    ASSERT_TRUE(ui.boxes().empty());
    ASSERT_GE(w.lines.size(), 7u);

    // The five sensitivity lines are the output window's for the same put.
    OutputWindow out;
    Pacifier pacifier;
    RecordingUi main_ui;
    main.current = "61";
    cmdCompute_Click(main, out, pacifier, main_ui);
    EXPECT_EQ(w.lines[2], out.Label2);
    EXPECT_EQ(w.lines[3], out.Label3);
    EXPECT_EQ(w.lines[6], out.Label6);
    // Bought at its value: a debit of exactly the option value.
    EXPECT_EQ("The net premium is a debit of " + out.Label1.substr(std::string("The option value is ").size()),
              w.lines[0]);

    // Opening again keeps what was typed; taking the terms again takes them.
    w.spot = "70";
    main.current = "65";
    open();
    EXPECT_EQ(w.spot, "70");
    strategy_take_terms(w, main, ui);
    EXPECT_EQ(w.spot, "65");
}

TEST_F(StrategyWindowTest, EveryFailedCheckHasItsBoxAndTheFirstFieldTheFocus) {
    open();
    strategy_add_leg(w, ui);
    strategy_add_leg(w, ui);
    w.legs[2].instrument = Instrument::Share;
    w.legs[2].strike = "not read for a share";
    w.spot = "0";
    w.legs[0].strike = "-64";
    w.legs[1].quantity = "1.5";
    w.legs[1].premium = "-1";
    w.legs[2].quantity = "40000";
    compute();
    expect_refused(ui,
                   {"Spot Price must be positive", "Leg 1: Strike Price must be positive",
                    "Leg 2: Quantity must be a whole number from 1 to 32767", "Leg 2: Premium must not be negative",
                    "Leg 3: Quantity must be a whole number from 1 to 32767"},
                   Window::Strategy, "spot");
    EXPECT_FALSE(w.report);

    // The horizon after the first expiry, once everything else passes.
    w.spot = "60";
    w.legs[0].strike = "64";
    w.legs[1].quantity = "2";
    w.legs[1].premium = "";
    w.legs[2].quantity = "100";
    w.horizon = "0.75";
    compute();
    expect_refused(ui, {"Horizon must not come after the first expiry"}, Window::Strategy, "horizon");

    // No legs at all.
    w.leg_count = 0;
    compute();
    expect_refused(ui, {"Add a leg or choose a preset"}, Window::Strategy, "cmdAddLeg");
}

// A field that is not a number is named by its leg and column (or its
// caption) in an exclamation box, and takes the cursor.
TEST_F(StrategyWindowTest, TextThatIsNotANumberIsNamedByItsLegAndColumn) {
    open();
    strategy_add_leg(w, ui);
    w.legs[1].volatility = "0,2x";
    compute();
    ASSERT_EQ(ui.box_texts(), std::vector<std::string>{"Leg 2 Volatility must be a number"});
    EXPECT_EQ(ui.boxes()[0].icon, Icon::Exclamation);
    EXPECT_EQ(ui.events.back().kind, UiEvent::Kind::Focus);
    EXPECT_EQ(ui.events.back().text, "volatility2");
    // An empty premium is no number but the model's value; an empty
    // quantity is not a number.
    w.legs[1].volatility = "0.2";
    w.legs[1].quantity = "";
    compute();
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{"Leg 2 Quantity must be a number"});
    EXPECT_EQ(ui.events.back().text, "quantity2");
    w.legs[1].quantity = "1";
    w.spot = "sixty";
    compute();
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{"Spot Price (in dollars) must be a number"});
    EXPECT_TRUE(ui.history.empty());
}

// Cancel forgets legs that came in whole at once, and asks before it
// forgets legs changed since: No keeps the window as it was.
TEST_F(StrategyWindowTest, CancelAsksBeforeItDiscardsChangedLegs) {
    open();
    EXPECT_TRUE(strategy_cancel(w, ui));
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(ui.count(UiEvent::Kind::Unload, Window::Strategy), 1);

    open();
    w.legs[0].strike = "70";
    ui = RecordingUi{};
    ui.answers = {Answer::No};
    EXPECT_FALSE(strategy_cancel(w, ui));
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].buttons, Buttons::YesNo);
    EXPECT_EQ(w.legs[0].strike, "70");
    EXPECT_EQ(ui.count(UiEvent::Kind::Unload, Window::Strategy), 0);

    // Saved, they are kept in the file: no question.
    const auto path = scratch("kept.json");
    strategy_save(w, ui, path.string());
    ui = RecordingUi{};
    EXPECT_TRUE(strategy_cancel(w, ui));
    EXPECT_TRUE(ui.boxes().empty());
    std::filesystem::remove(path);
}

// Results of earlier terms are marked until the next Compute; the same
// terms taken again change nothing.
TEST_F(StrategyWindowTest, TakingOtherTermsMarksTheResultsUntilCompute) {
    open();
    compute();
    strategy_take_terms(w, main, ui);
    EXPECT_FALSE(w.stale);
    main.current = "65";
    strategy_take_terms(w, main, ui);
    EXPECT_TRUE(w.stale);
    EXPECT_EQ(w.spot, "65");
    compute();
    EXPECT_FALSE(w.stale);
}

// The chart's range as typed; an empty end takes the default's, which
// lies about three standard deviations out at the horizon (60 at 0.2 for
// half a year: e^(+-3 x 0.1414) is 0.65 and 1.53 times the spot, widened).
TEST_F(StrategyWindowTest, TheChartRunsOverTheRangeTyped) {
    open();
    compute();
    const std::vector<double>& spots = w.report->curves.spots;
    EXPECT_LT(spots.front(), 60.0 * 0.66);
    EXPECT_GT(spots.front(), 60.0 * 0.5);
    EXPECT_GT(spots.back(), 60.0 * 1.52);
    EXPECT_LT(spots.back(), 60.0 * 1.8);
    w.spot_from = "40";
    w.spot_to = "80";
    compute();
    EXPECT_EQ(w.report->curves.spots.front(), 40.0);
    EXPECT_EQ(w.report->curves.spots.back(), 80.0);

    const int version = w.version;
    w.spot_from = "0";
    compute();
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{strategy_text::spot_from});
    w.spot_from = "90";
    compute();
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{strategy_text::spot_range});
    EXPECT_EQ(ui.events.back().text, "spotto");
    w.spot_from = "";
    w.spot_to = "20";  // below the default's lower end
    compute();
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{strategy_text::spot_range});
    EXPECT_EQ(w.version, version);  // nothing drawn
}

TEST_F(StrategyWindowTest, IronCondorPresetAroundTheSpot) {
    open();
    strategy_preset(w, main, ui, preset_index("iron-condor"));
    ASSERT_EQ(w.leg_count, 4);
    // Centre 60, width 5 % of it: puts at 54 and 57, calls at 63 and 66.
    EXPECT_EQ(w.legs[0].strike, "54");
    EXPECT_EQ(w.legs[1].strike, "57");
    EXPECT_EQ(w.legs[2].strike, "63");
    EXPECT_EQ(w.legs[3].strike, "66");
    EXPECT_EQ(w.legs[0].side, Side::Long);
    EXPECT_EQ(w.legs[1].side, Side::Short);
    EXPECT_EQ(w.legs[3].time, "0.5");
    EXPECT_EQ(w.legs[3].volatility, "0.2");
    ASSERT_TRUE(w.report);
    const StrategyFigures& f = w.report->figures;
    EXPECT_LT(f.net_premium, 0.0);  // a credit
    EXPECT_NEAR(*f.at_horizon.max_profit, -f.net_premium, 1e-12);
    EXPECT_NEAR(*f.at_horizon.max_loss, 3 + f.net_premium, 1e-12);
    EXPECT_EQ(w.lines[0].rfind("The net premium is a credit of ", 0), 0u);

    // The calendar's far leg lives twice the main window's time.
    main.time = "0.3";
    main.optEuro = false;
    strategy_preset(w, main, ui, preset_index("calendar-spread"));
    ASSERT_EQ(w.leg_count, 2);
    EXPECT_EQ(w.legs[0].time, "0.3");
    EXPECT_EQ(w.legs[1].time, "0.6");
    EXPECT_EQ(w.legs[1].style, LegStyle::American);
}

TEST_F(StrategyWindowTest, SavedStrategyReopensToTheSameLegsAndResults) {
    open();
    strategy_preset(w, main, ui, preset_index("collar"));
    w.legs[0].premium = "59.5";
    w.horizon = "0.25";
    w.spotvol = "0.3";
    compute();
    const std::vector<std::string> lines = w.lines;
    const auto path = scratch("collar.json");
    strategy_save(w, ui, path.string());
    ASSERT_TRUE(std::filesystem::exists(path));

    StrategyWindow again;
    RecordingUi ui2;
    strategy_open(again, ui2, path.string());
    EXPECT_TRUE(ui2.boxes().empty());
    EXPECT_EQ(again.leg_count, 3);
    EXPECT_EQ(again.legs[0].premium, "59.5");
    EXPECT_EQ(again.legs[1].strike, w.legs[1].strike);
    EXPECT_EQ(again.horizon, "0.25");
    EXPECT_EQ(again.lines, lines);
    std::filesystem::remove(path);
}

TEST_F(StrategyWindowTest, AMalformedFileIsToldWithItsLineAndChangesNothing) {
    open();
    compute();
    const StrategyWindow before = w;
    const auto path = scratch("bad.json");
    std::ofstream(path) << "{\"spot\": 60, \"rate\": 4.5, \"dividend\": 0,\n \"legs\": [\n"
                           "  {\"position\": \"long\", \"quantity\": 1, \"instrument\": \"call\",\n"
                           "   \"style\": \"european\", \"strike\": 0, \"time\": 1, \"volatility\": 0.2}]}\n";
    ui = RecordingUi{};
    strategy_open(w, ui, path.string());
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].icon, Icon::Exclamation);
    EXPECT_EQ(ui.boxes()[0].text, "The strategy could not be opened from " + path.string() +
                                      ":\rLeg 1, key \"strike\", line 4: Strike Price must be positive");
    EXPECT_TRUE(same_entries(w, before));
    EXPECT_EQ(w.lines, before.lines);
    std::filesystem::remove(path);

    ui = RecordingUi{};
    strategy_open(w, ui, path.string());  // gone now
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{"The strategy could not be opened from " + path.string() +
                                                       ":\rthe file cannot be read"});
}

TEST_F(StrategyWindowTest, SaveChecksFirstAndWritesNothingOnBadInput) {
    open();
    w.rate = "0";
    const auto path = scratch("refused.json");
    strategy_save(w, ui, path.string());
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{"Interest Rates must be positive"});
    EXPECT_FALSE(std::filesystem::exists(path));
    // A folder that does not exist.
    ui = RecordingUi{};
    w.rate = "4.5";
    strategy_save(w, ui, (path / "no" / "such.json").string());
    EXPECT_EQ(ui.box_texts(),
              std::vector<std::string>{"The strategy could not be saved to " + (path / "no" / "such.json").string()});
}

TEST_F(StrategyWindowTest, LegsAreAddedAsCopiesAndRemovedFromTheMiddle) {
    open();
    for (int k = 0; k < 10; ++k) strategy_add_leg(w, ui);
    EXPECT_EQ(w.leg_count, kMaxLegs);
    // The one leg it opened with and seven added: the three beyond eight
    // are told why not.
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>(3, strategy_text::legs_full));
    w.legs[1].strike = "70";
    strategy_remove_leg(w, ui, 0);
    EXPECT_EQ(w.leg_count, kMaxLegs - 1);
    EXPECT_EQ(w.legs[0].strike, "70");
    EXPECT_EQ(w.legs[kMaxLegs - 1], LegRow{});

    strategy_cancel(w, ui);
    EXPECT_TRUE(same_entries(w, StrategyWindow{}));
    EXPECT_FALSE(w.open);
    EXPECT_EQ(ui.count(UiEvent::Kind::Unload, Window::Strategy), 1);
}

// Each computed position is one row of the session's history, with the
// terms as typed and the figures the window shows at full precision; a
// refused Compute gives none.
TEST_F(StrategyWindowTest, AComputedPositionIsOneRowOfTheHistory) {
    open();
    strategy_preset(w, main, ui, preset_index("iron-condor"));
    compute();
    ASSERT_EQ(ui.history.size(), 1u);
    const HistoryRow& row = ui.history[0];
    EXPECT_EQ(row.window, "Strategy Builder");
    EXPECT_EQ(row.command, "Compute");
    ASSERT_EQ(row.terms.size(), 7u);  // spot, rate, dividend and the four legs
    EXPECT_EQ(row.terms[0], (HistoryTerm{"spot", "60.0"}));
    EXPECT_EQ(row.terms[3], (HistoryTerm{"leg1", "long 1 European put, strike 54, time 0.5, volatility 0.2"}));
    const StrategyFigures& f = w.report->figures;
    ASSERT_GE(row.figures.size(), 9u);
    EXPECT_EQ(std::string(row.figures[0].name), "net_premium");
    EXPECT_EQ(row.figures[0].value, f.net_premium);
    EXPECT_EQ(row.figures.back().value, f.at_horizon.probability);
    // The breakevens as text at full precision: 55.2495 and 64.7505 shown.
    ASSERT_FALSE(row.extras.texts.empty());
    EXPECT_EQ(row.extras.texts[0].name, "breakevens");
    std::istringstream breakevens(row.extras.texts[0].text);
    double low = 0, high = 0;
    breakevens >> low >> high;
    EXPECT_EQ(low, f.at_horizon.breakevens.at(0));
    EXPECT_EQ(high, f.at_horizon.breakevens.at(1));
    EXPECT_NEAR(low, 55.2495, 5e-5);

    // A long call's profit has no bound: "unlimited".
    strategy_preset(w, main, ui, preset_index("long-call"));
    const HistoryRow& call = ui.history.back();
    EXPECT_NE(std::find(call.extras.texts.begin(), call.extras.texts.end(), HistoryTerm{"max_profit", "unlimited"}),
              call.extras.texts.end());

    ui = RecordingUi{};
    w.spot = "-1";
    compute();
    EXPECT_TRUE(ui.history.empty());
}

// With Advanced > Exact Values on, a European leg is valued by the exact
// closed form: a long call bought at its model value is worth exactly the
// exact closed form's value (0.5 years, spot 60, strike 64, volatility 0.2,
// rate 4.5 %, yield 2.1 %: 2.0699 to four decimals, independently
// 2.069917...), and the chart's title says so.
TEST_F(StrategyWindowTest, ExactValuesReachTheLegsAndTheTitle) {
    main.precision = Precision::Exact;
    open();
    EXPECT_EQ(w.precision, Precision::Exact);
    compute();
    ASSERT_TRUE(w.report);
    const double exact = solver_euro_exact(0.5, 0.2, 0.045, 64.0, 60.0, 0.021, 0);
    EXPECT_NEAR(exact, 2.0699, 5e-5);
    EXPECT_DOUBLE_EQ(w.report->figures.total.value, exact);
    EXPECT_EQ(w.report->precision, Precision::Exact);
    EXPECT_NE(strategy_plot(*w.report).title.find(" (exact values)"), std::string::npos);

    w.precision = Precision::Standard;
    compute();
    EXPECT_NE(w.report->figures.total.value, exact);
    EXPECT_EQ(strategy_plot(*w.report).title.find(" (exact values)"), std::string::npos);
}

}  // namespace
}  // namespace tvx::test
