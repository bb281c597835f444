// The help file: splitting it into topics, finding it, the help request, and
// the shipped file itself against the program's own messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "calculators/calculators.h"
#include "charts/chart_text.h"
#include "charts/ranges.h"
#include "core/help.h"
#include "core/history_window.h"
#include "instruments/bonds.h"
#include "instruments/convertible.h"
#include "instruments/futures.h"
#include "instruments/warrants.h"
#include "neural/create_window.h"
#include "neural/files.h"
#include "neural/predict_window.h"
#include "options/compute.h"
#include "options/dividend_schedule.h"
#include "options/implied_vol.h"
#include "options/main_window.h"
#include "smile/implied.h"
#include "smile/smile_commands.h"
#include "smile/smile_plots.h"
#include "strategy/rules.h"
#include "strategy/strategy_window.h"
#include "support/recording_ui.h"
#include "support/window_table.h"

namespace tvx {
namespace {

namespace fs = std::filesystem;
using test::RecordingUi;
using test::UiEvent;

TEST(HelpParse, SplitsAtMarkersWithTitlesAndBodies) {
    const HelpFile f = parse_help(
        "A note for editors, never shown.\n"
        "<!-- topic 100 -->\n"
        "\n"
        "# Equity Options\n"
        "Body one.\n"
        "\n"
        "  <!--topic   200-->  \r\n"
        "Intro line before the heading.\r\n"
        "# Futures  \r\n"
        "Body two.");
    EXPECT_TRUE(f.problems.empty());
    ASSERT_EQ(f.topics.size(), 2u);
    EXPECT_EQ(f.topics[0].context, 100);
    EXPECT_EQ(f.topics[0].title, "Equity Options");
    EXPECT_EQ(f.topics[0].body, "# Equity Options\nBody one.");  // blank edges and the marker dropped
    EXPECT_EQ(f.topics[1].context, 200);
    EXPECT_EQ(f.topics[1].title, "Futures");  // the first "# " heading, not the first line
    EXPECT_EQ(f.topics[1].body, "Intro line before the heading.\n# Futures  \nBody two.");
    EXPECT_EQ(f.find(200), &f.topics[1]);
    EXPECT_EQ(f.find(300), nullptr);
}

TEST(HelpParse, ReportsWhatItCannotUseAndKeepsTheRest) {
    const HelpFile f = parse_help(
        "\xEF\xBB\xBF<!-- topic 100 -->\n# First\n"
        "<!-- topic 100 -->\n# Again\n"  // duplicate: the first counts
        "<!-- topic x1 -->\n"            // not a number
        "<!-- topic 300 -->\nno heading here\n"
        "## A second-level heading is not a title\n"
        "<!-- an ordinary comment -->\n");
    ASSERT_EQ(f.topics.size(), 2u);
    EXPECT_EQ(f.find(100)->title, "First");
    EXPECT_EQ(f.find(300)->title, "");
    EXPECT_NE(f.find(300)->body.find("<!-- an ordinary comment -->"), std::string::npos);
    ASSERT_EQ(f.problems.size(), 3u);
    EXPECT_EQ(f.problems[0], "line 3: topic 100 appears again; the first one counts");
    EXPECT_EQ(f.problems[1], "line 5: a topic marker without a proper number");
    EXPECT_EQ(f.problems[2], "line 6: topic 300 has no \"# \" title");
}

TEST(HelpParse, EmptyFileHasNoTopics) {
    EXPECT_TRUE(parse_help("").topics.empty());
    EXPECT_TRUE(parse_help("# Title without a marker\n").topics.empty());
    const HelpFile odd = parse_help("<!-->\n<!---->\n<!-- topic-->\n");  // comments, not markers
    EXPECT_TRUE(odd.topics.empty());
    EXPECT_EQ(odd.problems.size(), 1u);  // only the last looks like a marker
}

TEST(HelpLinks, OnlyHashNumbersLeadToTopics) {
    EXPECT_EQ(topic_link("#200"), 200);
    EXPECT_EQ(topic_link("#0"), 0);
    EXPECT_EQ(topic_link("200"), std::nullopt);
    EXPECT_EQ(topic_link("#"), std::nullopt);
    EXPECT_EQ(topic_link("#20x"), std::nullopt);
    EXPECT_EQ(topic_link("#-5"), std::nullopt);
    EXPECT_EQ(topic_link("https://example.org/#200"), std::nullopt);
}

TEST(HelpPlaces, BesideTheExecutableThenTheInstalledDataFolder) {
    const auto places = help_places("/opt/tvx/bin", "brant.hlp");
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[0], fs::path("/opt/tvx/bin/brant.hlp"));
    EXPECT_EQ(places[1], fs::path("/opt/tvx/share/tarvenix/brant.hlp"));
}

// A scratch folder with a "bin" and a "share/tarvenix" inside.
class HelpRequest : public ::testing::Test {
protected:
    fs::path root;
    std::vector<fs::path> places;
    HelpViewer viewer;
    RecordingUi ui;

    void SetUp() override {
        root = fs::temp_directory_path() /
               ("tvx-help-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root);
        fs::create_directories(root / "bin");
        fs::create_directories(root / "share" / "tarvenix");
        places = help_places(root / "bin", "brant.hlp");
    }
    void TearDown() override { fs::remove_all(root); }

    static void write(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
};

TEST_F(HelpRequest, ShowsTheTopicFromTheFirstPlaceThatCanBeRead) {
    write(places[1], "<!-- topic 100 -->\n# Installed\n<!-- topic 200 -->\n# Futures\n");
    open_help(viewer, places, 200, ui);
    ASSERT_EQ(ui.events.size(), 1u);
    EXPECT_EQ(ui.events[0].kind, UiEvent::Kind::Show);
    EXPECT_EQ(ui.events[0].window, Window::Help);
    EXPECT_EQ(viewer.path, places[1]);
    ASSERT_NE(viewer.current(), nullptr);
    EXPECT_EQ(help_caption(*viewer.current()), "Futures - Tarvenix Help");

    // A copy beside the executable wins; a second request re-reads and
    // shows the same window again.
    write(places[0], "<!-- topic 100 -->\n# Beside\n");
    open_help(viewer, places, 100, ui);
    EXPECT_EQ(ui.count(UiEvent::Kind::Show, Window::Help), 2);
    EXPECT_EQ(viewer.path, places[0]);
    EXPECT_EQ(viewer.current()->title, "Beside");
}

TEST_F(HelpRequest, AFolderInTheWayIsPassedOver) {
    fs::create_directories(places[0]);  // a folder named brant.hlp beside the program
    write(places[1], "<!-- topic 300 -->\n# Warrants\n");
    open_help(viewer, places, 300, ui);
    EXPECT_TRUE(ui.shown(Window::Help));
    EXPECT_EQ(viewer.path, places[1]);
}

TEST_F(HelpRequest, AMissingFileIsToldWithEveryPlaceLookedAt) {
    open_help(viewer, places, 100, ui);
    ASSERT_EQ(ui.boxes().size(), 1u);
    const UiEvent box = ui.boxes()[0];
    EXPECT_EQ(box.title, "Tarvenix");
    EXPECT_EQ(box.icon, Icon::Exclamation);
    EXPECT_EQ(box.text, std::string(help_text::file_missing) + "\r" + places[0].string() + "\r" + places[1].string());
    EXPECT_FALSE(ui.shown(Window::Help));
    EXPECT_EQ(viewer.current(), nullptr);
}

TEST_F(HelpRequest, AFileWithoutTheTopicLeavesTheWindowAsItWas) {
    write(places[0], "<!-- topic 100 -->\n# Equity Options\n");
    open_help(viewer, places, 100, ui);
    open_help(viewer, places, 700, ui);
    ASSERT_EQ(ui.box_texts(), std::vector<std::string>{"The help file " + places[0].string() + " has no topic 700."});
    EXPECT_EQ(ui.count(UiEvent::Kind::Show, Window::Help), 1);
    EXPECT_EQ(viewer.topic, 100);
}

TEST(HelpViewerModel, SelectingATopicOnlyMovesToTopicsOfTheFile) {
    HelpViewer v;
    v.file = parse_help("<!-- topic 100 -->\n# A\n<!-- topic 200 -->\n# B\n");
    v.topic = 100;
    EXPECT_TRUE(select_topic(v, 200));
    EXPECT_EQ(v.current()->title, "B");
    EXPECT_FALSE(select_topic(v, 250));
    EXPECT_EQ(v.topic, 200);
}

// ---------------------------------------------------------------------------
// The help file as shipped.

HelpFile shipped() {
    const auto text = read_text_file(TVX_HELP_SOURCE);
    if (!text) ADD_FAILURE() << "cannot read " << TVX_HELP_SOURCE;
    return parse_help(text.value_or(""));
}

// The body with every run of white space made one blank, so that a message
// may be wrapped across lines of the file.
std::string flattened(const std::string& body) { return std::regex_replace(body, std::regex("\\s+"), " "); }

// Lines of a message are separated by a carriage return; each line must
// appear.
std::vector<std::string> lines_of(const std::string& message) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    for (std::size_t cr; (cr = message.find('\r', pos)) != std::string::npos; pos = cr + 1)
        out.push_back(message.substr(pos, cr - pos));
    out.push_back(message.substr(pos));
    return out;
}

TEST(ShippedHelp, HasTheTopicsOfTheMenuWithTitlesAndRealBodies) {
    const HelpFile f = shipped();
    EXPECT_TRUE(f.problems.empty()) << testing::PrintToString(f.problems);
    std::map<int, std::string> titles{
        {golden::topic::options, "Equity Options"},
        {golden::topic::futures, "Futures"},
        {golden::topic::warrants, "Warrants"},
        {golden::topic::straight_bonds, "Straight Bonds"},
        {golden::topic::convertible_bonds, "Convertible Bonds"},
        {golden::topic::neural_creation, "Neural Net Creation"},
        {golden::topic::neural_usage, "Neural Net Usage"},
        {golden::topic::history, "History"},
        {golden::topic::charts, "Charts"},
        {golden::topic::strategy, "Strategy Builder"},
        {golden::topic::smile, "Volatility Smile"},
    };
    // A calculator's topic is titled as its Help menu item, without the
    // access key's mark.
    for (const CalculatorFacts& c : calculator_facts()) {
        std::string title = c.help.caption;
        std::erase(title, '&');
        EXPECT_EQ(titles.emplace(c.help.topic, title).first->second, title) << c.name;
    }
    EXPECT_EQ(f.topics.size(), titles.size());
    for (const auto& [context, title] : titles) {
        SCOPED_TRACE(context);
        const HelpTopic* t = f.find(context);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->title, title);
        // A real page: a field table, a list of messages and some prose.
        EXPECT_GT(t->body.size(), 1500u);
        EXPECT_NE(t->body.find("## Messages and what to do"), std::string::npos);
        EXPECT_NE(t->body.find("|---|"), std::string::npos);
    }
}

TEST(ShippedHelp, LinksLeadToTopicsOfTheFile) {
    const HelpFile f = shipped();
    const std::regex link(R"(\]\((#[^)]*)\))");
    int links = 0;
    for (const HelpTopic& t : f.topics) {
        for (std::sregex_iterator it(t.body.begin(), t.body.end(), link), end; it != end; ++it, ++links) {
            const std::string href = (*it)[1];
            SCOPED_TRACE(href);
            const auto target = topic_link(href);
            ASSERT_TRUE(target.has_value());
            EXPECT_NE(f.find(*target), nullptr);
        }
    }
    EXPECT_GT(links, 5);
}

// The captions of a window's fields and of its choices' buttons, as its
// field table gives them.
template <class Model>
std::vector<std::string> captions_of(FieldTable<Model> table) {
    std::vector<std::string> captions;
    for (const Field<Model>& f : table) {
        captions.emplace_back(f.caption);
        if (f.kind == FieldKind::Choice)
            for (std::size_t k = 0; k < button_count(f); ++k) captions.emplace_back(f.buttons[k].caption);
    }
    return captions;
}

// The list of texts with a window's field captions added.
template <class Model>
std::vector<std::string> with_captions(std::vector<std::string> texts, FieldTable<Model> table) {
    for (std::string& c : captions_of(table)) texts.push_back(std::move(c));
    return texts;
}

// Every message the main window can show, from the program's own texts.
TEST(ShippedHelp, EquityOptionsQuotesEveryMessageOfTheMainWindow) {
    std::vector<std::string> messages{
        compute_text::rate_not_positive,
        compute_text::strike_not_positive,
        compute_text::spot_not_positive,
        compute_text::time_not_positive,
        compute_text::implied_volatility,
        compute_text::not_determined,
        compute_text::not_determined_end,
        kSearchFailure,
        kGenericError,
        main_caption::exit_question,
        compute_text::initializing,
        compute_text::initializing_search,
        compute_text::search_iteration,
        OutputWindow::caption,
        kEarlierCompute,
        Pacifier::caption,
    };
    for (const char* m : compute_text::after_valuation) messages.emplace_back(m);
    // The expiry dates and the cash dividends beside the specified fields.
    for (const char* m : {date_text::expiry_not_a_date,
                          date_text::valuation_not_a_date,
                          date_text::unknown_day_count,
                          date_text::not_later,
                          date_text::same_day,
                          date_text::no_business_day,
                          date_text::holidays_unreadable,
                          date_text::holidays_not_dates,
                          dividend_text::not_a_schedule,
                          dividend_text::not_positive,
                          dividend_text::unknown_model,
                          dividend_text::above_spot,
                          dividend_text::worth_the_share,
                          dividend_text::simulated,
                          dividend_text::line,
                          dividend_text::none,
                          dividends_caption::dlgDividends,
                          dividends_caption::when,
                          dividends_caption::amount,
                          dividends_caption::fraModel,
                          main_caption::cmdDividends})
        messages.emplace_back(m);
    for (const Field<ExpiryDate>& f : kExpiryFields) messages.emplace_back(f.caption);
    for (const Field<MainWindow>& f : kMainDividendFields) messages.emplace_back(f.caption);

    const std::string body = flattened(shipped().find(golden::topic::options)->body);
    for (const std::string& m : messages)
        for (const std::string& line : lines_of(m)) EXPECT_NE(body.find(line), std::string::npos) << line;

    // And every field and choice by the caption the user sees.
    std::vector<std::string> captions = captions_of<MainWindow>(kMainFields);
    captions.insert(captions.end(), {main_caption::Frame4, main_caption::cmdCompute});
    for (const std::string& c : captions) EXPECT_NE(body.find(c), std::string::npos) << c;
}

// The calculators, by their own texts: every message and every field.
TEST(ShippedHelp, EachCalculatorsTopicQuotesItsMessagesAndFields) {
    namespace w = warrants_text;
    namespace wc = warrants_caption;
    namespace f = futures_text;
    namespace fc = futures_caption;
    namespace b = bonds_text;
    namespace bc = bonds_caption;
    const std::map<int, std::vector<std::string>> texts{
        {golden::topic::warrants,
         with_captions<WarrantsWindow>(
             {w::share, w::exercise, w::warrant, w::time, kGenericError, w::intrinsic, w::time_value, w::premium,
              w::leverage, wc::frmWarrants, wc::Command1, wc::Command2},
             kWarrantsFields)},
        {golden::topic::futures,
         with_captions<FuturesWindow>({f::rate, f::delivery, f::spot, f::time, f::income, kGenericError, f::value,
                                       f::price, fc::frmFutures, fc::Command1, fc::Command2},
                                      kFuturesFields)},
        {golden::topic::straight_bonds,
         with_captions<StraightBondsWindow>(
             {b::par,        b::coupon,          b::time,         b::rate,      b::price,    b::no_period, b::no_yield,
              kGenericError, b::straight_result, b::yield_result, b::macaulay,  b::modified, b::convexity, b::bp_value,
              b::years,      bc::frmBonds2,      bc::Command1,    bc::cmdYield, bc::cmdRisk, bc::Command2},
             kStraightBondsFields)},
        {golden::topic::convertible_bonds,
         with_captions<ConvertibleBondsWindow>(
             {b::par, b::coupon, b::ratio, b::time, b::share, b::rate, b::volatility, kGenericError,
              b::convertible_result, convertible_text::parity, convertible_text::premium, convertible_text::delta,
              convertible_text::shares, bc::frmBonds, bc::Command1, bc::cmdAnalytics, bc::Command2},
             kConvertibleBondsFields)},
        {golden::topic::history,
         {history_text::empty, history_text::not_saved, history_caption::frmHistory, history_caption::cmdCopy,
          history_caption::cmdSave, history_caption::cmdClose, history_caption::time, history_caption::window,
          history_caption::command, history_caption::terms, history_caption::results}},
    };
    const HelpFile file = shipped();
    for (const auto& [context, quoted] : texts) {
        SCOPED_TRACE(context);
        const std::string body = flattened(file.find(context)->body);
        for (const std::string& t : quoted) EXPECT_NE(body.find(t), std::string::npos) << t;
    }
}

// Every calculator of the list, by what its entry says: its topic quotes
// its caption, its buttons, its fields, their checks' messages, its result
// lines and the generic error (a calculator added to the list is checked
// here with no line of this file).
TEST(ShippedHelp, EachCalculatorEntrysTopicQuotesItsTexts) {
    const HelpFile file = shipped();
    for_each_calculator([&file](const auto& e) {
        using Model = typename std::remove_cvref_t<decltype(e)>::Model;
        SCOPED_TRACE(e.name);
        const HelpTopic* topic = file.find(e.help.topic);
        ASSERT_NE(topic, nullptr);
        const std::string body = flattened(topic->body);
        std::vector<std::string> quoted =
            with_captions<Model>({e.caption(), e.tables->command, "Cancel", kGenericError}, e.fields);
        for (const auto& b : e.buttons) quoted.emplace_back(b.caption);
        for (const auto& f : e.fields)
            if (f.message) quoted.emplace_back(f.message);
        for (const auto& r : e.tables->results) quoted.emplace_back(r.line.prefix);
        for (const std::string& t : quoted) EXPECT_NE(body.find(t), std::string::npos) << t;
    });
}

// The neural-net windows, by their own texts: every message and field.
TEST(ShippedHelp, EachNeuralNetTopicQuotesItsMessagesAndFields) {
    namespace c = neural1_text;
    namespace cc = neural1_caption;
    namespace p = neural3_text;
    namespace pc = neural3_caption;
    // Written out where the windows compose them from parts.
    const std::string progress = "% of neural net training complete";
    const std::string first_output = "The output for node 1 is ";
    const std::string later_output = "The result for output node ";
    const std::map<int, std::vector<std::string>> texts{
        {golden::topic::neural_creation,
         with_captions<CreateWindow>(
             {c::population, c::generations, c::hidden, c::outputs, c::inputs, c::examples, kFileNotFound, kRangeOrder,
              kExamplesOutOfRange, c::generic_error, c::complete, c::gradient_complete, progress, "0" + progress,
              Pmeter::caption, cc::frmNeural1, cc::Command1, cc::Command2},
             kCreateFields)},
        {golden::topic::neural_usage,
         {p::prompt, p::default_file, kFileNotFound, p::out_of_range, kGenericError, first_output, later_output,
          pc::frmNeural3, pc::Command1, pc::Command2}},
    };
    const HelpFile file = shipped();
    for (const auto& [context, quoted] : texts) {
        SCOPED_TRACE(context);
        const std::string body = flattened(file.find(context)->body);
        for (const std::string& t : quoted) EXPECT_NE(body.find(t), std::string::npos) << t;
    }
}

// The chart window's notes, as the program writes them.
TEST(ShippedHelp, TheChartsTopicQuotesEveryNoteOfTheChartWindow) {
    std::vector<std::string> notes{chart_text::cancelled,      chart_text::busy_elsewhere, chart_text::not_saved,
                                   chart_text::source_refused, chart_text::nothing_valued, left_out_note(3),
                                   ChartWindow::caption};
    const auto problem = [](const std::string& from, const std::string& to) {
        RangeProblem p;
        EXPECT_FALSE(read_range(from, to, term_name(OptionX::Spot), "range", "txtFrom", "txtTo", p));
        return p.message;
    };
    notes.push_back(problem("x", "1"));
    notes.push_back(problem("2", "1"));
    notes.push_back(problem("0", "1"));
    const std::string body = flattened(shipped().find(golden::topic::charts)->body);
    for (const std::string& n : notes) EXPECT_NE(body.find(n), std::string::npos) << n;
}

// The strategy builder, by its own texts: every check, every file and
// result message, every field and command.
TEST(ShippedHelp, StrategyBuilderQuotesItsMessagesAndFields) {
    namespace t = strategy_text;
    namespace c = strategy_caption;
    std::vector<std::string> quoted = with_captions<StrategyWindow>({t::spot,
                                                                     t::rate,
                                                                     t::strike,
                                                                     t::time,
                                                                     t::horizon,
                                                                     t::horizon_after_expiry,
                                                                     t::spot_volatility,
                                                                     t::quantity,
                                                                     t::volatility,
                                                                     t::premium,
                                                                     t::no_legs,
                                                                     t::shares_alone,
                                                                     t::not_opened,
                                                                     t::not_saved,
                                                                     kGenericError,
                                                                     StrategyWindow::caption,
                                                                     c::cmdTerms,
                                                                     c::cmdAddLeg,
                                                                     c::cmdCompute,
                                                                     c::cmdOpen,
                                                                     c::cmdSave,
                                                                     c::cmdCancel,
                                                                     "The net premium is a debit of",
                                                                     "The position is worth",
                                                                     "The breakevens are",
                                                                     "The maximum profit is",
                                                                     "The maximum loss is",
                                                                     "The probability of profit is",
                                                                     "not well-formed JSON",
                                                                     "the key appears twice",
                                                                     "must hold 1 to 8 legs",
                                                                     t::not_a_number,
                                                                     t::spot_from,
                                                                     t::spot_range,
                                                                     t::legs_full,
                                                                     t::discard_legs,
                                                                     t::stale,
                                                                     c::position,
                                                                     c::quantity,
                                                                     c::instrument,
                                                                     c::style,
                                                                     c::strike,
                                                                     c::time,
                                                                     c::volatility,
                                                                     c::premium},
                                                                    // The terms and the range; a leg's fields by
                                                                    // their columns, above.
                                                                    strategy_fields().first(7));
    const std::string body = flattened(shipped().find(golden::topic::strategy)->body);
    for (const std::string& q : quoted) EXPECT_NE(body.find(q), std::string::npos) << q;
}

TEST(ShippedHelp, VolatilitySmileQuotesItsMessagesFlagsAndCharts) {
    namespace t = smile_text;
    namespace c = smile_caption;
    std::vector<std::string> quoted = with_captions<SmileWindow>({t::no_date,
                                                                  t::no_spot,
                                                                  t::all_expired,
                                                                  t::spot_positive,
                                                                  t::no_chain,
                                                                  t::bad_date,
                                                                  t::no_fit,
                                                                  t::no_vol,
                                                                  kGenericError,
                                                                  SmileWindow::caption,
                                                                  c::cmdOpen,
                                                                  c::cmdFit,
                                                                  c::cmdCopy,
                                                                  c::cmdSave,
                                                                  c::cmdClose,
                                                                  c::cmdFromSmile,
                                                                  "is not a number",
                                                                  "is not a date (2010-03-01 or 20100301)",
                                                                  "is neither a call (C) nor a put (P)",
                                                                  "a strike must be above 0",
                                                                  "a price below 0",
                                                                  "the header has no column",
                                                                  "a second quote date",
                                                                  "is not a contract symbol",
                                                                  "the file is empty",
                                                                  "the file holds no quotes",
                                                                  "the file cannot be opened",
                                                                  "butterfly arbitrage",
                                                                  "Calendar arbitrage"},
                                                                 kSmileFields);
    // The messages that run on past their fixed part.
    quoted.emplace_back(std::string(t::unreadable).substr(0, std::string(t::unreadable).size() - 1));
    quoted.emplace_back(std::string(t::typed_forward).substr(0, std::string(t::typed_forward).size() - 1));
    quoted.emplace_back(std::string(t::too_few).substr(2));
    for (const QuoteFlag f : {QuoteFlag::NoBid, QuoteFlag::NoAsk, QuoteFlag::Crossed, QuoteFlag::BelowIntrinsic,
                              QuoteFlag::NoSolution, QuoteFlag::Expired})
        quoted.emplace_back(flag_text(f));
    for (const char* chart : kSmileChartNames) quoted.emplace_back(chart);
    const std::string body = flattened(shipped().find(golden::topic::smile)->body);
    for (const std::string& q : quoted) EXPECT_NE(body.find(q), std::string::npos) << q;
}

}  // namespace
}  // namespace tvx

namespace tvx {
namespace {

// Exact Values in the main window's topic (the menu item and the output
// window's lines), the exercise boundary and the charts' points in the
// charts' topic, each reached by F1 from its window.
TEST(ShippedHelp, ExactValuesAndTheExerciseBoundaryHaveTheirSections) {
    const std::string options = flattened(shipped().find(golden::topic::options)->body);
    for (const char* q : {"## Exact Values", main_caption::mnuExact, kExactLine, kExactAmericanLine})
        EXPECT_NE(options.find(q), std::string::npos) << q;
    const std::string charts = flattened(shipped().find(golden::topic::charts)->body);
    for (const char* q : {"## The exercise boundary", chart_text::never_exercised, "Points"})
        EXPECT_NE(charts.find(q), std::string::npos) << q;
}

}  // namespace
}  // namespace tvx
