// Calendar dates as the user writes them: a day ("2027-06-18"), or a day
// with its time of day ("2027-06-18T16:00"), and the local date and time
// now. Days are the proleptic Gregorian calendar's, by std::chrono.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace tvx {

using Day = std::chrono::sys_days;

// A day, and the minutes since its midnight when a time of day was given.
struct Moment {
    Day day;
    std::optional<int> minutes;
};

// "YYYY-MM-DD" (a real day of the calendar, years 1 to 9999), or that
// followed by "T" (or a blank) and "HH:MM" or "HH:MM:SS" (seconds are
// dropped). Blanks around the text are ignored. Anything else is no moment.
std::optional<Moment> parse_moment(std::string_view text);
// The same, a day alone: a text with a time of day is none.
std::optional<Day> parse_day(std::string_view text);

// "2027-06-18", and "2027-06-18T16:00" with a time of day.
std::string day_text(Day day);
std::string moment_text(const Moment& m);

// The day and the minute now on the local clock.
Moment local_now();

}  // namespace tvx
