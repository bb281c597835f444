// Calendar dates of an option chain: read from a file's cells, written in
// ISO form, and the time between two of them in years (Actual/365 Fixed).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tvx {

// A day, counted from 1970-01-01.
struct Date {
    int days = 0;
    auto operator<=>(const Date&) const = default;
};

// "2010-03-01" (ISO) or "20100301"; a time of day after the date ("2010-03-01
// 15:45:00", "2010-03-01T15:45:00") is ignored. None for anything else,
// an impossible day (2010-02-30) included.
std::optional<Date> parse_date(std::string_view text);

// A date from its year, month (1-12) and day, when it exists.
std::optional<Date> make_date(int year, int month, int day);

// "2010-03-01".
std::string iso_date(Date date);

// The years from one date to another, Actual/365 Fixed: negative when
// `to` comes first.
inline double years_between(Date from, Date to) { return (to.days - from.days) / 365.0; }

}  // namespace tvx
