// The Volatility Smile window's commands through the recording interface:
// a chain opened and fitted, a malformed one refused with nothing else
// changed, the terms' checks, every chart drawn from the fit, and "From
// Smile" giving the main window and the Strategy Builder the surface's
// volatility.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "smile/smile_commands.h"
#include "smile/smile_plots.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

using test::RecordingUi;
using test::UiEvent;

const std::string kGrid = TVX_SMILE_DATA "/andreasen-huge-2010.csv";

SmileWindow opened() {
    SmileWindow w;
    RecordingUi ui;
    EXPECT_TRUE(smile_open(w, ui, kGrid));
    EXPECT_TRUE(ui.boxes().empty());
    return w;
}

TEST(SmileWindow, OpenReadsFitsShowsAndRecords) {
    SmileWindow w;
    RecordingUi ui;
    mnuSmile_Click(w, ui);
    EXPECT_TRUE(ui.shown(Window::Smile));
    ASSERT_TRUE(smile_open(w, ui, kGrid));
    EXPECT_EQ(w.file, kGrid);
    ASSERT_TRUE(w.report);
    EXPECT_EQ(w.report->expiries.size(), 12u);
    EXPECT_EQ(w.version, 1);
    EXPECT_EQ(w.lines.front(),
              "Chain of 155 quotes in 12 expiries (generic layout), valued on 2010-03-01, spot 2772.7");
    EXPECT_GT(ui.count(UiEvent::Kind::Refresh, Window::Smile), 0);
    ASSERT_EQ(ui.history.size(), 1u);
    EXPECT_EQ(ui.history[0].window, "Volatility Smile");
    EXPECT_EQ(ui.history[0].command, "Fit");
    EXPECT_EQ(ui.history[0].terms[0].text, kGrid);
}

TEST(SmileWindow, MalformedChainGetsItsLineAndChangesNothing) {
    SmileWindow w = opened();
    const std::string bad = (std::filesystem::temp_directory_path() / "tvx-smile-bad.csv").string();
    std::ofstream(bad) << "expiration,strike,option_type,bid,ask\n2010-03-10,2400,P,0.1,0.2\n2010-03-10,2450,Q,1,2\n";
    const std::vector<std::string> lines = w.lines;
    RecordingUi ui;
    EXPECT_FALSE(smile_open(w, ui, bad));
    ASSERT_EQ(ui.box_texts().size(), 1u);
    EXPECT_EQ(ui.box_texts()[0],
              "The chain cannot be read: line 3, column 3 (option_type): \"Q\" is neither a call (C) nor a put (P)");
    EXPECT_EQ(ui.boxes()[0].icon, Icon::Exclamation);
    EXPECT_EQ(w.file, kGrid);
    EXPECT_EQ(w.lines, lines);
    EXPECT_EQ(w.version, 1);
    EXPECT_EQ(w.chain->quotes.size(), 155u);
    EXPECT_TRUE(ui.history.empty());
    std::filesystem::remove(bad);
}

TEST(SmileWindow, TermsAreCheckedAndARefusedFitKeepsTheLastOne) {
    SmileWindow w;
    RecordingUi ui;
    EXPECT_FALSE(smile_fit(w, ui));
    EXPECT_EQ(ui.box_texts().back(), smile_text::no_chain);

    w = opened();
    w.valuation_date = "2010-02-30";
    EXPECT_FALSE(smile_fit(w, ui));
    EXPECT_EQ(ui.box_texts().back(), smile_text::bad_date);
    EXPECT_EQ(ui.events.back().kind, UiEvent::Kind::Focus);
    EXPECT_EQ(ui.events.back().text, "txtValuationDate");
    w.valuation_date = "2016-01-01";  // after every expiry
    EXPECT_FALSE(smile_fit(w, ui));
    EXPECT_EQ(ui.box_texts().back(), smile_text::all_expired);
    w.valuation_date.clear();
    w.spot = "0";
    EXPECT_FALSE(smile_fit(w, ui));
    EXPECT_EQ(ui.box_texts().back(), smile_text::spot_positive);
    w.spot.clear();
    w.rate = "four";
    EXPECT_FALSE(smile_fit(w, ui));
    EXPECT_EQ(ui.boxes().back().icon, Icon::Critical);
    EXPECT_EQ(ui.events.back().text, "txtRate");  // the field that is not a number has the focus
    EXPECT_EQ(w.version, 1);                      // the first fit still shown
    ASSERT_TRUE(w.report);
    // A valuation date typed: times run from it (2010-03-02 to 2010-03-10: 8 days).
    w.rate = "0";
    w.valuation_date = "2010-03-02";
    EXPECT_TRUE(smile_fit(w, ui));
    EXPECT_DOUBLE_EQ(w.report->expiries[0].market.time, 8 / 365.0);
}

TEST(SmileWindow, EveryChartDrawsFromTheFit) {
    SmileWindow w = opened();
    RecordingUi ui;
    for (int c = 0; c <= static_cast<int>(SmileChart::Surface); ++c) {
        smile_choose_chart(w, ui, static_cast<SmileChart>(c));
        const SmilePlot p = smile_plot(w);
        EXPECT_FALSE(p.empty()) << kSmileChartNames[c];
        EXPECT_FALSE(p.title.empty());
        const std::string csv = smile_plot_csv(p);
        EXPECT_TRUE(csv.starts_with(p.heat ? "time," : "series,x,y,low,high\n")) << csv.substr(0, 40);
    }
    smile_choose_chart(w, ui, SmileChart::Smile);
    smile_choose_expiry(w, ui, 1);
    const SmilePlot smile = smile_plot(w);
    EXPECT_EQ(smile.title, "Smile of 2010-04-06");
    EXPECT_EQ(smile_plot_file_name(smile, ".png"), "smile-of-2010-04-06.png");
    // The 14 quotes' bid-to-ask bars (bid = ask here), their mids and the fit.
    ASSERT_EQ(smile.series.size(), 3u);
    EXPECT_EQ(smile.series[0].mark, PlotMark::Bars);
    EXPECT_EQ(smile.series[0].x.size(), 14u);
    EXPECT_EQ(smile.series[1].name, "Mid, fitted");
    EXPECT_EQ(smile.series[2].name, "SVI fit");
    smile_choose_chart(w, ui, SmileChart::TotalVariance);
    EXPECT_EQ(smile_plot(w).series.size(), 12u);  // a curve an expiry
    smile_choose_chart(w, ui, SmileChart::Surface);
    const SmilePlot surface = smile_plot(w);
    ASSERT_TRUE(surface.heat);
    // The published grid's range: 51 % to 147 % of the spot, 9 days to 5.77 years.
    EXPECT_NEAR(surface.heat->strikes.front() / 2772.7, 0.51, 0.01);
    EXPECT_NEAR(surface.heat->strikes.back() / 2772.7, 1.47, 0.01);
    EXPECT_DOUBLE_EQ(surface.heat->times.front(), 9 / 365.0);
}

// The main window's call struck at a quoted strike, with the life of that
// expiry and the grid's spot, rate and yield: its volatility is the
// published one within the fit's error (well under a volatility point).
TEST(FromSmile, MainWindowTakesTheSurfacesVolatility) {
    MainWindow main;
    RecordingUi ui;
    EXPECT_FALSE(main_from_smile(SmileWindow{}, main, ui));
    EXPECT_EQ(ui.box_texts().back(), smile_text::no_fit);
    EXPECT_EQ(main.qqq, "0.2");

    const SmileWindow w = opened();
    main.current = "2772.7";
    main.irate = "0";
    main.dividend = "0";
    main.strike = "2794.6043";
    main.time = std::to_string(36 / 365.0);  // 2010-04-06
    ASSERT_TRUE(main_from_smile(w, main, ui));
    EXPECT_NEAR(parse_number(main.qqq), 0.2213, 0.001);  // the grid's 2010-04-06 at 2794.6043
    EXPECT_GT(ui.count(UiEvent::Kind::Refresh, Window::Main), 0);
    main.time = "0";
    EXPECT_FALSE(main_from_smile(w, main, ui));
    EXPECT_EQ(ui.box_texts().back(), smile_text::no_vol);
}

TEST(FromSmile, StrategyLegsTakeTheirOwnOrNothingChanges) {
    const SmileWindow w = opened();
    StrategyWindow s;
    s.spot = "2772.7";
    s.rate = "0";
    s.dividend = "0";
    s.leg_count = 3;
    s.legs[0] = {Side::Long, Instrument::Put, LegStyle::European, "1", "2540.625", std::to_string(36 / 365.0), "0.3",
                 ""};
    s.legs[1] = {Side::Short, Instrument::Share, LegStyle::European, "1", "", "", "", ""};
    s.legs[2] = {Side::Long, Instrument::Call, LegStyle::American, "1", "2997.8432", std::to_string(36 / 365.0), "0.3",
                 ""};
    RecordingUi ui;
    ASSERT_TRUE(strategy_from_smile(w, s, ui));
    EXPECT_NEAR(parse_number(s.legs[0].volatility), 0.2690, 0.001);  // the grid's puts at 2540.625
    EXPECT_EQ(s.legs[1].volatility, "");
    EXPECT_NEAR(parse_number(s.legs[2].volatility), 0.1982, 0.001);
    // A leg the surface cannot serve: no leg changes.
    s.legs[0].volatility = "0.5";
    s.legs[2].time = "0";
    EXPECT_FALSE(strategy_from_smile(w, s, ui));
    EXPECT_EQ(ui.box_texts().back(), smile_text::no_vol);
    EXPECT_EQ(s.legs[0].volatility, "0.5");
}

}  // namespace
}  // namespace tvx
