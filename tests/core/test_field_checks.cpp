// The field tables' check columns, read by read_fields: each rule on the
// value as its reading gives it, in the window's order, under either
// policy, and only the fields the command reads.
#include <gtest/gtest.h>

#include <string>

#include "core/field_checks.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

struct Terms {
    std::string a = "1", b = "50", c = "3.5", d = "", e = "x";
};

constexpr const char* kA = "A must be positive";
constexpr const char* kB = "B must be at least 1 per cent";
constexpr const char* kC = "C must be between 1 and 3";

// Tab order a, b, c, d, e; checked in the order c, a, b.
constexpr Field<Terms> kTerms[] = {
    number_field<&Terms::a>("a", "A", "a", "A").positive(kA).checked(2),
    number_field<&Terms::b>("b", "B", "b", "B").per_cent().at_least(0.01, kB).checked(3),
    number_field<&Terms::c>("c", "C", "c", "C").count().between(1, 3, kC).checked(1),
    optional_number_field<Terms>([](Terms& t) -> std::string& { return t.d; }, "d", "D", "d"),
    number_field<&Terms::e>("e", "E", "e", "E").read_later(),
};

std::vector<std::string> boxes(const test::RecordingUi& ui) {
    std::vector<std::string> texts;
    for (const auto& b : ui.boxes()) texts.push_back(b.text);
    return texts;
}

TEST(FieldChecks, ValuesAsTheirReadingSaysAndOnlyThoseRead) {
    test::RecordingUi ui;
    Checks checks(ui, Window::Main, CheckPolicy::ReportEvery);
    const FieldValues v = read_fields<Terms>(kTerms, Terms{}, checks);
    EXPECT_EQ(v["a"], 1.0);
    EXPECT_EQ(v["b"], 0.5);                     // 50 per cent
    EXPECT_EQ(v["c"], 4.0);                     // 3.5 to the nearest whole number, ties to even
    EXPECT_FALSE(v.optional("d").has_value());  // left empty
    EXPECT_FALSE(v.optional("e").has_value());  // read later: its text is not a number yet
    EXPECT_THROW(v["e"], std::logic_error);
    EXPECT_EQ(boxes(ui), std::vector<std::string>{kC});  // 4 is beyond 3
}

TEST(FieldChecks, EveryFailureInTheWindowsOrderAndTheFocusOnTheFirst) {
    Terms t;
    t.a = "0";
    t.b = "0.5";  // 0.005 as a fraction
    t.c = "0";
    test::RecordingUi ui;
    Checks checks(ui, Window::Main, CheckPolicy::ReportEvery);
    read_fields<Terms>(kTerms, t, checks);
    EXPECT_FALSE(checks.passed());
    EXPECT_EQ(boxes(ui), (std::vector<std::string>{kC, kA, kB}));
    EXPECT_EQ(ui.events.back().kind, test::UiEvent::Kind::Focus);
    EXPECT_EQ(ui.events.back().text, "c");
}

// Fields left at rank 0 keep the tab order among themselves, ahead of
// the numbered ones; equal ranks keep it too.
TEST(FieldChecks, EqualRanksKeepTheTabOrder) {
    struct Row {
        std::string p = "0", q = "0", r = "0", s = "0";
    };
    static constexpr Field<Row> kRows[] = {
        number_field<&Row::p>("p", "P", "p", "P").positive("P"),
        number_field<&Row::q>("q", "Q", "q", "Q").positive("Q").checked(1),
        number_field<&Row::r>("r", "R", "r", "R").positive("R"),
        number_field<&Row::s>("s", "S", "s", "S").positive("S").checked(1),
    };
    test::RecordingUi ui;
    Checks checks(ui, Window::Main, CheckPolicy::ReportEvery);
    read_fields<Row>(kRows, Row{}, checks);
    EXPECT_EQ(boxes(ui), (std::vector<std::string>{"P", "R", "Q", "S"}));
}

TEST(FieldChecks, StopAtFirstShowsOneBox) {
    Terms t;
    t.a = "-1";
    t.b = "0";
    test::RecordingUi ui;
    EXPECT_FALSE(read_checked<Terms>(ui, Window::Main, kTerms, t, CheckPolicy::StopAtFirst).has_value());
    EXPECT_EQ(boxes(ui), std::vector<std::string>{kC});
    t.c = "2";
    test::RecordingUi second;
    EXPECT_FALSE(read_checked<Terms>(second, Window::Main, kTerms, t, CheckPolicy::StopAtFirst).has_value());
    EXPECT_EQ(boxes(second), std::vector<std::string>{kA});
}

TEST(FieldChecks, ATextThatIsNotANumberOrACountBeyondSixteenBitsThrowsBeforeAnyBox) {
    for (const char* c : {"abc", "40000"}) {
        Terms t;
        t.a = "0";
        t.c = c;
        test::RecordingUi ui;
        Checks checks(ui, Window::Main, CheckPolicy::ReportEvery);
        EXPECT_THROW(read_fields<Terms>(kTerms, t, checks), RuntimeError) << c;
        EXPECT_TRUE(ui.boxes().empty()) << c;
    }
}

// A whole number from 1 to 3, as typed (not rounded), and a field read
// later, with its own rule.
struct Counted {
    std::string n = "2", later = "x";
};
constexpr const char* kN = "N must be a whole number from 1 to 3";
constexpr const char* kLater = "Later must be positive";
constexpr Field<Counted> kCounted[] = {
    number_field<&Counted::n>("n", "N", "n", "N").whole_between(1, 3, kN),
    number_field<&Counted::later>("later", "Later", "later", "Later").positive(kLater).read_later(),
};

TEST(FieldChecks, AWholeNumberKeepsItsRangeAsTyped) {
    for (const char* n : {"0", "0.5", "2.5", "3.000001", "4", "-1"}) {
        Counted t;
        t.n = n;
        test::RecordingUi ui;
        EXPECT_FALSE(read_checked<Counted>(ui, Window::Main, kCounted, t, CheckPolicy::StopAtFirst)) << n;
        EXPECT_EQ(boxes(ui), std::vector<std::string>{kN}) << n;
    }
    for (const char* n : {"1", "3", "2.0"}) {
        Counted t;
        t.n = n;
        test::RecordingUi ui;
        EXPECT_TRUE(read_checked<Counted>(ui, Window::Main, kCounted, t, CheckPolicy::StopAtFirst)) << n;
    }
}

TEST(FieldChecks, TheLaterPassReadsAndChecksOnlyTheFieldsReadLater) {
    Counted t;
    t.n = "not read now";
    t.later = "-2";
    test::RecordingUi ui;
    Checks checks(ui, Window::Main, CheckPolicy::ReportEvery);
    const FieldValues v = read_fields<Counted>(kCounted, t, checks, ReadPass::Later);
    EXPECT_EQ(v["later"], -2.0);
    EXPECT_FALSE(v.optional("n").has_value());
    EXPECT_FALSE(checks.passed());
    EXPECT_EQ(boxes(ui), std::vector<std::string>{kLater});
    EXPECT_EQ(ui.events.back().text, "later");
}

}  // namespace
}  // namespace tvx
