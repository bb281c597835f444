#include "core/dates.h"

#include <cstdio>
#include <ctime>

namespace tvx {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

// The `count` digits at text[at] as a number, or -1 when one is not a digit.
int digits(std::string_view text, std::size_t at, std::size_t count) {
    int n = 0;
    for (std::size_t k = at; k < at + count; ++k) {
        if (k >= text.size() || text[k] < '0' || text[k] > '9') return -1;
        n = 10 * n + (text[k] - '0');
    }
    return n;
}

std::optional<Day> day_of(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const int y = digits(text, 0, 4), m = digits(text, 5, 2), d = digits(text, 8, 2);
    if (y < 1 || m < 0 || d < 0) return std::nullopt;
    const std::chrono::year_month_day ymd{std::chrono::year{y}, std::chrono::month{static_cast<unsigned>(m)},
                                          std::chrono::day{static_cast<unsigned>(d)}};
    if (!ymd.ok()) return std::nullopt;
    return Day{ymd};
}

// "HH:MM" or "HH:MM:SS" as minutes since midnight.
std::optional<int> minutes_of(std::string_view text) {
    if ((text.size() != 5 && text.size() != 8) || text[2] != ':') return std::nullopt;
    const int h = digits(text, 0, 2), m = digits(text, 3, 2);
    if (h < 0 || h > 23 || m < 0 || m > 59) return std::nullopt;
    if (text.size() == 8 && (text[5] != ':' || digits(text, 6, 2) < 0 || digits(text, 6, 2) > 59)) return std::nullopt;
    return 60 * h + m;
}

}  // namespace

std::optional<Moment> parse_moment(std::string_view text) {
    text = trimmed(text);
    const std::optional<Day> day = day_of(text.substr(0, 10));
    if (!day) return std::nullopt;
    if (text.size() == 10) return Moment{*day, std::nullopt};
    if (text[10] != 'T' && text[10] != ' ') return std::nullopt;
    const std::optional<int> minutes = minutes_of(text.substr(11));
    if (!minutes) return std::nullopt;
    return Moment{*day, minutes};
}

std::optional<Day> parse_day(std::string_view text) {
    const std::optional<Moment> m = parse_moment(text);
    if (!m || m->minutes) return std::nullopt;
    return m->day;
}

std::string day_text(Day day) {
    const std::chrono::year_month_day ymd{day};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()));
    return text;
}

std::string moment_text(const Moment& m) {
    std::string text = day_text(m.day);
    if (m.minutes) {
        char time[16];
        std::snprintf(time, sizeof time, "T%02d:%02d", *m.minutes / 60 % 24, *m.minutes % 60);
        text += time;
    }
    return text;
}

Moment local_now() {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&seconds, &local);
    const std::chrono::year_month_day ymd{std::chrono::year{local.tm_year + 1900},
                                          std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                          std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
    return Moment{Day{ymd}, 60 * local.tm_hour + local.tm_min};
}

}  // namespace tvx
