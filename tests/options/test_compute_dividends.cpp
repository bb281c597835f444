// The main window's Compute with cash dividends and with an expiry date:
// the published references through the window (Haug-Haug-Lewis 11.1062,
// Roll-Geske-Whaley 4.3860, Hull's 3.6712 on dates counted Actual/360),
// the line under the six, the implied volatility that gives the value
// back, and every refusal with its box and the field it puts the focus
// in.
#include <gtest/gtest.h>

#include "core/dates.h"
#include "options/dividend_route.h"
#include "options/dividend_schedule.h"
#include "support/compute_fixture.h"

namespace tvx {
namespace {

class DividendCompute : public test::ComputeFixture {
protected:
    // Whether a command put the focus in the main window's control.
    bool focused(const char* control) const {
        for (const test::UiEvent& e : ui.events)
            if (e.kind == test::UiEvent::Kind::Focus && e.window == Window::Main && e.text == control) return true;
        return false;
    }
    // The Haug-Haug-Lewis call.
    void hhl(const char* dividends) {
        main.current = "100";
        main.strike = "100";
        main.irate = "6";
        main.dividend = "0";
        main.time = "1";
        main.qqq = "0.3";
        main.dividends = dividends;
    }
    // The one box and the field the focus went to.
    void expect_refused(const char* text, const char* field) {
        const test::UiEvent box = only_box();
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.icon, Icon::Exclamation);
        EXPECT_TRUE(focused(field)) << field;
        EXPECT_FALSE(ui.shown(Window::Output));
    }
};

TEST_F(DividendCompute, PublishedValuesThroughTheWindowWithTheLineThatSaysSo) {
    hhl("0.5:7");
    compute();
    EXPECT_EQ(out.Label1, "The option value is 11.1062 dollars");
    EXPECT_EQ(out.Dividends, "Cash dividends: 1 before expiry, spot model");
    main.dividend_model = "escrowed";
    compute();
    EXPECT_EQ(out.Label1, "The option value is 10.6932 dollars");
    EXPECT_EQ(out.Dividends, "Cash dividends: 1 before expiry, escrowed model");
    // Its Delta is the closed form's on the reduced spot, 0.5460.
    EXPECT_EQ(out.Label2, "Delta is 0.546");

    main = MainWindow{};
    main.current = "80", main.strike = "82", main.irate = "6", main.dividend = "0", main.qqq = "0.3";
    main.time = "0.3333333333333333";
    main.optEuro = false;
    main.dividends = "0.25:4";
    main.dividend_model = "escrowed";
    compute();
    EXPECT_EQ(out.Label1, "The option value is 4.386 dollars");

    // 180 days on Actual/360, 0.50 on days 60 and 150, the expiry date
    // filling the years.
    main = MainWindow{};
    main.current = "40", main.strike = "40", main.irate = "9", main.dividend = "0", main.qqq = "0.3";
    main.dates = {"2027-06-30", "2027-01-01", "act360", ""};
    ASSERT_TRUE(Expiry_Change(main, ui, local_now()));
    EXPECT_EQ(main.time, "0.5");
    main.dividends = "2027-03-02:0.5, 2027-05-31:0.5";
    main.dividend_model = "escrowed";
    compute();
    EXPECT_EQ(out.Label1, "The option value is 3.6712 dollars");
    EXPECT_EQ(out.Dividends, "Cash dividends: 2 before expiry, escrowed model");
}

TEST_F(DividendCompute, DividendsOutsideTheLifeLeaveTheSpecifiedFiguresAndSaySo) {
    compute();
    const std::vector<std::string> plain = lines();
    main.dividends = "0.6:1, 0:2";  // after the expiry of 0.5, and one that has gone
    compute();
    EXPECT_EQ(lines(), plain);
    EXPECT_EQ(out.Dividends, "Cash dividends: none before expiry");
    main.dividends.clear();
    compute();
    EXPECT_EQ(out.Dividends, "");
}

TEST_F(DividendCompute, TheImpliedVolatilityGivesTheValueBackInBothStyles) {
    for (const bool european : {true, false}) {
        hhl("0.25:2, 0.75:2");
        main.optPrice = true;
        main.optEuro = european;
        main.optCall = false;
        compute();
        const std::string value = out.Label1.substr(20, out.Label1.size() - 28);  // "The option value is X dollars"
        main.optPrice = false;
        main.qqq2 = value;
        ui.events.clear();
        compute();
        EXPECT_EQ(only_box().text, "The implied volatility is 0.3") << (european ? "European" : "American");
    }
}

TEST_F(DividendCompute, EveryRefusalHasItsBoxAndFocus) {
    main.dividends = "0.2 1";
    compute();
    expect_refused(dividend_text::not_a_schedule, "txtDividends");
    ui.events.clear();
    main.dividends = "0.2:-1";
    compute();
    expect_refused(dividend_text::not_positive, "txtDividends");
    ui.events.clear();
    main.dividends = "0.2:1";
    main.dividend_model = "cash";
    compute();
    expect_refused(dividend_text::unknown_model, "cboDividendModel");
    ui.events.clear();
    main.dividend_model = "spot";
    main.dividends = "0.2:30,0.2:30";  // one of 60 on the spot's day: the share's whole price
    compute();
    expect_refused(dividend_text::above_spot, "txtDividends");
    ui.events.clear();
    main.dividends = "0.1:35,0.4:35";
    compute();
    expect_refused(dividend_text::worth_the_share, "txtDividends");
    ui.events.clear();
    main.dividends = "2027-03-01:1";
    main.dates.valuation_date = "2027-02-30";
    compute();
    expect_refused(date_text::valuation_not_a_date, "txtValuationDate");
    ui.events.clear();
    main.dates.valuation_date = "2027-01-01";
    main.svol = true;
    compute();
    EXPECT_EQ(only_box().text, dividend_text::simulated);
    EXPECT_FALSE(ui.shown(Window::Output));
}

TEST_F(DividendCompute, TheExpiryDateFillsTheYearsOrTellsWhyNot) {
    main.dates = {"2027-06-18", "2027-06-18", "act365f", ""};
    EXPECT_FALSE(Expiry_Change(main, ui, local_now()));
    expect_refused(date_text::same_day, "txtExpiry");
    EXPECT_EQ(main.time, "0.5");  // as it was
    ui.events.clear();
    main.dates.expiry = "2027-06-18T16:00";
    main.dates.valuation_date = "2027-06-18T10:00";
    ASSERT_TRUE(Expiry_Change(main, ui, local_now()));
    EXPECT_EQ(parse_number(main.time), 6.0 / 24.0 / 365.0);
    main.dates = {"2027-01-01", "2027-06-18", "act365f", ""};
    EXPECT_FALSE(Expiry_Change(main, ui, local_now()));
    EXPECT_TRUE(focused("txtExpiry"));
    ui.events.clear();
    main.dates = {"2027-12-31", "", "act365", ""};
    EXPECT_FALSE(Expiry_Change(main, ui, local_now()));
    expect_refused(date_text::unknown_day_count, "cboDayCount");
}

TEST_F(DividendCompute, TheHistoryRecordsTheScheduleAndTheDates) {
    main.dates = {"2027-06-30", "2027-01-01", "act360", ""};
    main.dividends = "2027-03-02:0.5";
    compute();
    ASSERT_EQ(ui.history.size(), 1u);
    const std::string terms = terms_text(ui.history[0]);
    EXPECT_NE(terms.find("expiry=2027-06-30, valuation_date=2027-01-01, day_count=act360"), std::string::npos) << terms;
    EXPECT_NE(terms.find("dividends=2027-03-02:0.5, dividend_model=spot"), std::string::npos) << terms;
}

}  // namespace
}  // namespace tvx
