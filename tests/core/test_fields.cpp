// The check vocabulary, the field tables and the results tables, on a
// small window of their own: what a command's user sees (boxes, their
// order, the focus) and how options bind to a model.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

#include "core/checks.h"
#include "core/fields.h"
#include "core/results.h"
#include "instruments/bonds.h"
#include "instruments/convertible.h"
#include "instruments/futures.h"
#include "instruments/warrants.h"
#include "neural/create_window.h"
#include "neural/predict_window.h"
#include "options/main_window.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

using test::RecordingUi;
using test::UiEvent;

// The boxes' texts, then "focus <field>" for each focus, in order.
std::vector<std::string> seen(const RecordingUi& ui) {
    std::vector<std::string> out;
    for (const UiEvent& e : ui.events) {
        if (e.kind == UiEvent::Kind::MessageBox) {
            EXPECT_EQ(e.icon, Icon::Exclamation);
            out.push_back(e.text);
        }
        if (e.kind == UiEvent::Kind::Focus) out.push_back("focus " + e.text);
    }
    return out;
}

TEST(Checks, StopAtFirstShowsOneBoxAndFocusesItsField) {
    RecordingUi ui;
    Checks checks(ui, Window::Warrants, CheckPolicy::StopAtFirst);
    checks.positive(1.0, "a", "a fails");
    checks.positive(0.0, "b", "b fails");
    checks.positive(-1.0, "c", "c fails");
    EXPECT_TRUE(checks.failed());
    EXPECT_FALSE(checks.passed());
    EXPECT_EQ(seen(ui), (std::vector<std::string>{"b fails", "focus b"}));
    EXPECT_EQ(ui.events.back().window, Window::Warrants);
}

TEST(Checks, ReportEveryShowsEachBoxInOrderThenFocusesTheFirst) {
    RecordingUi ui;
    Checks checks(ui, Window::Futures, CheckPolicy::ReportEvery);
    checks.positive(0.0, "b", "b fails");
    checks.require(true, "x", "never");
    checks.positive(-2.0, "c", "c fails");
    EXPECT_FALSE(checks.passed());
    EXPECT_EQ(seen(ui), (std::vector<std::string>{"b fails", "c fails", "focus b"}));
}

TEST(Checks, BoundsAreInclusiveAndAPassShowsNothing) {
    RecordingUi ui;
    Checks checks(ui, Window::Neural1, CheckPolicy::ReportEvery);
    checks.at_least(4, 4, "pop", "pop");
    checks.between(1, 1, 15, "hidden", "low");
    checks.between(15, 1, 15, "hidden", "high");
    checks.positive(1e-300, "tiny", "tiny");
    EXPECT_TRUE(checks.passed());
    EXPECT_TRUE(ui.events.empty());

    checks.at_least(3, 4, "pop", "pop below");
    checks.between(16, 1, 15, "hidden", "hidden above");
    checks.between(0, 1, 15, "hidden", "hidden below");
    EXPECT_EQ(seen(ui), (std::vector<std::string>{"pop below", "hidden above", "hidden below"}));
}

TEST(Checks, AFieldNamedAtRunTimeKeepsItsName) {
    // A table's cell, say, named from its row and column.
    RecordingUi ui;
    Checks checks(ui, Window::Main, CheckPolicy::ReportEvery);
    for (int row = 0; row < 3; ++row) {
        const std::string cell = "strike" + std::to_string(row + 1);
        checks.positive(row == 1 ? 0.0 : 1.0, cell, "Strike must be positive");
    }
    EXPECT_FALSE(checks.passed());
    EXPECT_EQ(seen(ui), (std::vector<std::string>{"Strike must be positive", "focus strike2"}));

    RecordingUi alone;
    refuse(alone, Window::Neural3, "Text4", "out of range");
    EXPECT_EQ(seen(alone), (std::vector<std::string>{"out of range", "focus Text4"}));
}

// A window of each kind of field.
struct Sample {
    std::string a = "1", b = "2", note = "x", empty;
    bool first = true, third = false, ticked = false, price = true;
};

std::string& empty_text(Sample& s) { return s.empty; }

constexpr Field<Sample> kSample[] = {
    number_field<&Sample::a>("a", "A", "alpha", "A's help"),
    text_field<&Sample::note>("note", "Note", "note", "a file"),
    optional_number_field(&empty_text, "empty", "Empty", "empty"),
    number_field<&Sample::b>("b", "B", "beta", "B's help", 1).when([](const Sample& s) { return !s.price; }),
    choice_field<&Sample::first, &Sample::third>("Frame1", "Kind", {"one", "One"}, {"two", "Two", "two", "Second"},
                                                 {"three", "Three", "three", "Third"}, kBelowColumns),
    check_field<&Sample::ticked>("tick", "Tick", "tick", "A box"),
};

TEST(FieldTable, TheFirstUnreadableFieldIsANumberFieldTheCommandReads) {
    Sample s;
    EXPECT_EQ(first_unreadable<Sample>(kSample, s), nullptr);
    s.note = "not a number";  // free text is never at fault
    s.b = "x";                // not read while `price` holds
    EXPECT_EQ(first_unreadable<Sample>(kSample, s), nullptr);
    s.price = false;
    EXPECT_STREQ(first_unreadable<Sample>(kSample, s), "b");
    s.empty = " ";  // empty counts as 0, blanks alone are no number
    EXPECT_STREQ(first_unreadable<Sample>(kSample, s), "empty");
    s.a = "1,5";
    EXPECT_STREQ(first_unreadable<Sample>(kSample, s), "a");
}

TEST(FieldTable, ReportErrorShowsTheGenericBoxThenFocusesTheField) {
    Sample s;
    s.a = "abc";
    RecordingUi ui;
    report_error<Sample>(ui, Window::Bonds, kSample, s);
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].icon, Icon::Critical);
    EXPECT_EQ(ui.boxes()[0].text, kGenericError);
    EXPECT_EQ(ui.events.back().kind, UiEvent::Kind::Focus);
    EXPECT_EQ(ui.events.back().text, "a");

    RecordingUi readable;  // every field a number: the focus stays
    report_error<Sample>(readable, Window::Bonds, kSample, Sample{}, "own text");
    EXPECT_EQ(readable.box_texts(), (std::vector<std::string>{"own text"}));
    EXPECT_EQ(readable.count(UiEvent::Kind::Focus, Window::Bonds), 0);
}

TEST(FieldTable, OptionsComeInTableOrderAndBindByMember) {
    Sample s;
    std::vector<std::string> names;
    for_each_option<Sample>(
        kSample, s, [&](const Field<Sample>& f, const ChoiceButton* b) { names.push_back(b ? b->option : f.option); });
    // "beta" is left out: the model does not read it while `price` holds.
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "note", "empty", "two", "three", "tick"}));

    const Field<Sample>& choice = field_named<Sample>(kSample, "Frame1");
    set_option(choice, &choice.buttons[2], "1", s);
    EXPECT_FALSE(s.first);
    EXPECT_TRUE(s.third);
    set_option(choice, &choice.buttons[1], "1", s);  // the second: neither flag
    EXPECT_FALSE(s.first);
    EXPECT_FALSE(s.third);
    set_option(choice, &choice.buttons[2], "0", s);  // "0" leaves the choice alone
    EXPECT_FALSE(s.third);
    set_option(field_named<Sample>(kSample, "tick"), nullptr, "1", s);
    EXPECT_TRUE(s.ticked);
    set_option(field_named<Sample>(kSample, "a"), nullptr, "7.5", s);
    EXPECT_EQ(s.a, "7.5");
    EXPECT_THROW(field_named<Sample>(kSample, "absent"), std::logic_error);
}

// Every window's table: object names and options each once, every text
// field with a default that a fresh model holds.
template <class Model>
void expect_well_formed(FieldTable<Model> table, const Model& defaults) {
    std::set<std::string> names, options;
    for (const Field<Model>& f : table) {
        EXPECT_TRUE(names.insert(f.name).second) << f.name;
        if (f.kind == FieldKind::Choice) {
            for (std::size_t k = 0; k < button_count(f); ++k) {
                EXPECT_TRUE(names.insert(f.buttons[k].name).second) << f.buttons[k].name;
                if (f.buttons[k].option) {
                    EXPECT_TRUE(options.insert(f.buttons[k].option).second);
                }
            }
        } else if (f.option) {
            EXPECT_TRUE(options.insert(f.option).second) << f.option;
        }
        if (f.kind == FieldKind::Number) {
            EXPECT_NO_THROW(parse_number(f.text_of(defaults))) << f.name;
        }
    }
}

TEST(FieldTable, EveryWindowsTableNamesEachControlAndOptionOnce) {
    expect_well_formed<WarrantsWindow>(kWarrantsFields, {});
    expect_well_formed<FuturesWindow>(kFuturesFields, {});
    expect_well_formed<StraightBondsWindow>(kStraightBondsFields, {});
    expect_well_formed<ConvertibleBondsWindow>(kConvertibleBondsFields, {});
    expect_well_formed<MainWindow>(kMainFields, {});
    expect_well_formed<CreateWindow>(kCreateFields, {});
    expect_well_formed<PredictWindow>(predict_fields(), {});
    EXPECT_EQ(predict_fields().size(), 10u);
    EXPECT_STREQ(predict_fields()[9].name, "Text10");
}

struct Pair {
    double x = 0, y = 0;
};

constexpr ResultRow<Pair> kPairResults[] = {
    {{"x", "X is ", general_15}, &Pair::x},
    {{"y", "Y is ", result_text, " dollars"}, &Pair::y},
};

TEST(ResultTable, BoxLinesAndFiguresComeFromTheOneStruct) {
    const Pair p{1.0 / 3.0, 2.00005};
    // 2.00005 is stored a little below 2.00005: four decimals give 2.
    EXPECT_EQ(results_text<Pair>(kPairResults, p), "X is 0.333333333333333\rY is 2 dollars");
    const std::vector<Figure> f = figures_of<Pair>(kPairResults, p);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_STREQ(f[0].name, "x");
    EXPECT_EQ(f[0].value, 1.0 / 3.0);  // at full precision, not as shown
    EXPECT_STREQ(f[1].name, "y");
    EXPECT_EQ(f[1].value, 2.00005);
}

}  // namespace
}  // namespace tvx
