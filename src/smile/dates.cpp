#include "smile/dates.h"

#include <charconv>
#include <chrono>
#include <cstdio>

namespace tvx {

namespace {

std::optional<int> digits(std::string_view text) {
    int value = 0;
    if (text.empty()) return std::nullopt;
    for (const char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace

std::optional<Date> make_date(int year, int month, int day) {
    if (year < 1900 || year > 2200 || month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
    const std::chrono::year_month_day ymd{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                          std::chrono::day(static_cast<unsigned>(day))};
    if (!ymd.ok()) return std::nullopt;
    return Date{static_cast<int>(std::chrono::sys_days(ymd).time_since_epoch().count())};
}

std::optional<Date> parse_date(std::string_view text) {
    const std::size_t time = text.find_first_of(" T");
    if (time != std::string_view::npos) text = text.substr(0, time);
    std::optional<int> y, m, d;
    if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
        y = digits(text.substr(0, 4));
        m = digits(text.substr(5, 2));
        d = digits(text.substr(8, 2));
    } else if (text.size() == 8) {
        y = digits(text.substr(0, 4));
        m = digits(text.substr(4, 2));
        d = digits(text.substr(6, 2));
    }
    if (!y || !m || !d) return std::nullopt;
    return make_date(*y, *m, *d);
}

std::string iso_date(Date date) {
    const std::chrono::year_month_day ymd{std::chrono::sys_days(std::chrono::days(date.days))};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()));
    return text;
}

}  // namespace tvx
