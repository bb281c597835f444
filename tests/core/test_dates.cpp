// Dates as the user writes them and the day counts that turn them into a
// life in years. Expected values are counted by hand on the calendar
// (2027-06-18 is a Friday; 2024 is a leap year).
#include <gtest/gtest.h>

#include <string>

#include "core/dates.h"
#include "core/day_count.h"
#include "core/numbers.h"

namespace tvx {
namespace {

Day day(const char* text) { return *parse_day(text); }
Moment at(const char* text) { return *parse_moment(text); }

TEST(Dates, ReadsDaysAndTimesOfDayAndRefusesAnythingElse) {
    EXPECT_EQ(day_text(day("2027-06-18")), "2027-06-18");
    EXPECT_EQ(day_text(day("  2024-02-29\t")), "2024-02-29");
    const Moment m = at("2027-06-18T16:00");
    EXPECT_EQ(m.minutes, 16 * 60);
    EXPECT_EQ(moment_text(m), "2027-06-18T16:00");
    EXPECT_EQ(at("2027-06-18 09:30:59").minutes, 9 * 60 + 30);  // a blank for the T; seconds dropped
    EXPECT_FALSE(at("2027-06-18").minutes.has_value());
    for (const char* bad : {"", "2027-6-18", "2027-06-31", "2023-02-29", "0000-01-01", "2027/06/18", "2027-06-18T24:00",
                            "2027-06-18T16:60", "2027-06-18T16", "2027-06-18x", "18.06.2027", "tomorrow"})
        EXPECT_FALSE(parse_moment(bad).has_value()) << bad;
    EXPECT_FALSE(parse_day("2027-06-18T16:00").has_value());  // a day alone
}

TEST(DayCounts, ADateAloneGivesTheVeryDoubleOfTheDaysTyped) {
    // 2027-01-01 to 2027-06-18 is 168 days: 168 / 365 typed as its
    // shortest text reads back to the same double.
    const Life life = life_in_years(at("2027-01-01"), at("2027-06-18"), DayCount::Act365F, {});
    ASSERT_EQ(life.problem, LifeProblem::None);
    EXPECT_EQ(life.years, 168.0 / 365.0);
    EXPECT_EQ(parse_number(exact_text(life.years)), 168.0 / 365.0);
    EXPECT_EQ(life_in_years(at("2027-01-01"), at("2027-06-18"), DayCount::Act360, {}).years, 168.0 / 360.0);
    // Across a leap day: 2024-02-28 to 2024-03-01 is 2 days.
    EXPECT_EQ(life_in_years(at("2024-02-28"), at("2024-03-01"), DayCount::Act365F, {}).years, 2.0 / 365.0);
    // The valuation's time of day does not count against a date alone.
    EXPECT_EQ(life_in_years(at("2027-01-01T15:45"), at("2027-06-18"), DayCount::Act365F, {}).years, 168.0 / 365.0);
}

TEST(DayCounts, BusinessDaysAreWeekdaysAfterTheValuationUpToTheExpiryLessHolidays) {
    // Friday 2027-06-18 to Friday 2027-06-25: Monday to Friday, 5.
    EXPECT_EQ(business_days(day("2027-06-18"), day("2027-06-25"), {}), 5);
    // Friday to Monday: the Monday alone; Friday to Saturday: none.
    EXPECT_EQ(business_days(day("2027-06-18"), day("2027-06-21"), {}), 1);
    EXPECT_EQ(business_days(day("2027-06-18"), day("2027-06-19"), {}), 0);
    // 2027 has 261 weekdays; from 2026-12-31 (a Thursday) to 2027-12-31.
    EXPECT_EQ(business_days(day("2026-12-31"), day("2027-12-31"), {}), 261);
    const Holidays holidays({day("2027-06-21"), day("2027-06-26"), day("2027-06-21")});  // a Monday twice, a Saturday
    EXPECT_EQ(business_days(day("2027-06-18"), day("2027-06-25"), holidays), 4);
    const Life life = life_in_years(at("2027-06-18"), at("2027-06-25"), DayCount::Bus252, holidays);
    EXPECT_EQ(life.years, 4.0 / 252.0);
    EXPECT_EQ(life_in_years(at("2027-06-18"), at("2027-06-20"), DayCount::Bus252, {}).problem,
              LifeProblem::NoBusinessDay);
}

TEST(DayCounts, AnExpiryOnTheValuationDayCountsItsHoursOrIsRefused) {
    EXPECT_EQ(life_in_years(at("2027-06-18"), at("2027-06-18"), DayCount::Act365F, {}).problem,
              LifeProblem::SameDayNoTime);
    EXPECT_EQ(life_in_years(at("2027-06-18"), at("2027-06-17"), DayCount::Act365F, {}).problem, LifeProblem::NotLater);
    // 09:30 to 16:00: 6.5 hours.
    const Life hours = life_in_years(at("2027-06-18T09:30"), at("2027-06-18T16:00"), DayCount::Act365F, {});
    EXPECT_DOUBLE_EQ(hours.years, 6.5 / 24.0 / 365.0);
    EXPECT_DOUBLE_EQ(life_in_years(at("2027-06-18T09:30"), at("2027-06-18T16:00"), DayCount::Act360, {}).years,
                     6.5 / 24.0 / 360.0);
    // A valuation date without a time starts at midnight.
    EXPECT_DOUBLE_EQ(life_in_years(at("2027-06-18"), at("2027-06-18T16:00"), DayCount::Act365F, {}).years,
                     16.0 / 24.0 / 365.0);
    EXPECT_EQ(life_in_years(at("2027-06-18T16:00"), at("2027-06-18T16:00"), DayCount::Act365F, {}).problem,
              LifeProblem::NotLater);
    // Business hours: Friday 09:00 to Monday 16:00 is 15 hours of Friday
    // and 16 of Monday; Saturday to Sunday none.
    EXPECT_DOUBLE_EQ(life_in_years(at("2027-06-18T09:00"), at("2027-06-21T16:00"), DayCount::Bus252, {}).years,
                     31.0 / 24.0 / 252.0);
    EXPECT_EQ(life_in_years(at("2027-06-19T09:00"), at("2027-06-20T16:00"), DayCount::Bus252, {}).problem,
              LifeProblem::NoBusinessDay);
}

TEST(DayCounts, DatesOfDividendsAndTheDateOfATypedLife) {
    EXPECT_EQ(years_to_day(day("2027-01-01"), day("2027-03-02"), DayCount::Act360, {}), 60.0 / 360.0);
    EXPECT_EQ(years_to_day(day("2027-01-01"), day("2026-12-31"), DayCount::Act365F, {}), -1.0 / 365.0);
    EXPECT_EQ(years_to_day(day("2027-06-25"), day("2027-06-18"), DayCount::Bus252, {}), -5.0 / 252.0);
    EXPECT_EQ(day_text(*day_after_years(day("2027-01-01"), 168.0 / 365.0, DayCount::Act365F, {})), "2027-06-18");
    EXPECT_EQ(day_text(*day_after_years(day("2027-01-01"), 0.5, DayCount::Act360, {})), "2027-06-30");
    // Five business days from a Friday is the next Friday.
    EXPECT_EQ(day_text(*day_after_years(day("2027-06-18"), 5.0 / 252.0, DayCount::Bus252, {})), "2027-06-25");
    EXPECT_FALSE(day_after_years(day("2027-01-01"), 1e9, DayCount::Act365F, {}).has_value());
    EXPECT_FALSE(day_after_years(day("2027-01-01"), -3000.0, DayCount::Act365F, {}).has_value());
}

TEST(HolidayFile, OneDateALineWithNotesAndCommentsOrTheFirstBadLine) {
    const HolidayFile f = parse_holidays("# 2027\r\n2027-12-24 Christmas Eve\r\n\r\n  2027-12-31\n");
    EXPECT_EQ(f.bad_line, 0);
    EXPECT_TRUE(f.holidays.contains(day("2027-12-24")));
    EXPECT_TRUE(f.holidays.contains(day("2027-12-31")));
    EXPECT_FALSE(f.holidays.contains(day("2027-12-25")));
    EXPECT_EQ(parse_holidays("2027-12-24\n24.12.2027\n").bad_line, 2);
    EXPECT_EQ(parse_holidays("2027-02-30\n").bad_line, 1);
}

}  // namespace
}  // namespace tvx
