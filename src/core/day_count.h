// The day counts that turn a valuation date and an expiry into a life in
// years: Actual/365 Fixed, Actual/360, and business days over 252 (the
// weekdays that are not holidays), with the holidays of a file.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "core/dates.h"

namespace tvx {

enum class DayCount { Act365F, Act360, Bus252 };

// The words of the command line and the batch, and the captions of the
// windows, in this order.
struct DayCountName {
    DayCount count;
    const char* word;
    const char* caption;
};
inline constexpr DayCountName kDayCounts[] = {
    {DayCount::Act365F, "act365f", "Actual/365 Fixed"},
    {DayCount::Act360, "act360", "Actual/360"},
    {DayCount::Bus252, "bus252", "Business days/252"},
};
std::optional<DayCount> day_count_of(std::string_view word);
const char* day_count_word(DayCount count);

// Holidays: days that are not business days, sorted, each once.
class Holidays {
public:
    Holidays() = default;
    explicit Holidays(std::vector<Day> days);
    bool contains(Day day) const;
    // How many fall on weekdays d with from < d <= to.
    long long weekdays_between(Day from, Day to) const;

private:
    std::vector<Day> days_;
};

bool is_weekday(Day day);
bool is_business_day(Day day, const Holidays& holidays);
// The business days d with from < d <= to (0 when to is not after from).
long long business_days(Day from, Day to, const Holidays& holidays);

// The life from the valuation to the expiry, or why it has none.
enum class LifeProblem {
    None,
    NotLater,       // the expiry is not after the valuation
    SameDayNoTime,  // both on one day and the expiry without a time of day
    NoBusinessDay,  // later, but no business time lies between (Business days/252)
};
struct Life {
    double years = 0;
    LifeProblem problem = LifeProblem::None;
};

// An expiry without a time of day counts whole days from the valuation's
// day, whatever its time: `days / 365.0`, the same double as the years
// typed as that fraction; business days count those after the valuation's
// day up to the expiry's, over 252. An expiry with a time of day counts the
// minutes from the valuation's time (midnight when it has none) as
// fractions of a day; business days count only the minutes that fall on
// business days.
Life life_in_years(const Moment& valuation, const Moment& expiry, DayCount count, const Holidays& holidays);

// The life from `now` to an expiry written YYYY-MM-DD or YYYY-MM-DDTHH:MM
// on Actual/365 Fixed without holidays; none when the text is not a date
// or the expiry is not later (a date alone on today has no life).
std::optional<double> life_to(std::string_view expiry, const Moment& now);

// A day's distance from the valuation's day in years, whole days on the
// same count (negative before it, 0 on it): an ex-dividend date's time.
double years_to_day(Day valuation, Day day, DayCount count, const Holidays& holidays);

// The day a life of `years` from the valuation's day ends on, to the
// nearest whole day of the count (a business day for Business days/252):
// the date a window shows beside a life typed in years.
// None when that day lies outside the calendar's years 1 to 9999.
std::optional<Day> day_after_years(Day valuation, double years, DayCount count, const Holidays& holidays);

// A holiday file: one date (YYYY-MM-DD) a line, anything after a blank
// on the line a note; blank lines and lines starting with "#" are passed
// over; CR LF or LF.
struct HolidayFile {
    Holidays holidays;
    int bad_line = 0;  // the first line that is not a date, 0 when none
};
HolidayFile parse_holidays(std::string_view text);

}  // namespace tvx
