#include "core/day_count.h"

#include <algorithm>
#include <cmath>

namespace tvx {

namespace {

constexpr int kMinutesADay = 24 * 60;

// The calendar's first and last days (years 1 and 9999).
const Day kFirstDay = Day{std::chrono::year{1} / 1 / 1};
const Day kLastDay = Day{std::chrono::year{9999} / 12 / 31};

double days_over(DayCount count) {
    switch (count) {
        case DayCount::Act360: return 360.0;
        case DayCount::Act365F: return 365.0;
        case DayCount::Bus252: return 252.0;
    }
    return 365.0;
}

// The minutes of [start, end) that fall on business days; `start` and
// `end` are minutes from the first one's midnight.
long long business_minutes(Day day, int start, Day last, int end, const Holidays& holidays) {
    if (day == last) return is_business_day(day, holidays) ? end - start : 0;
    long long minutes = is_business_day(day, holidays) ? kMinutesADay - start : 0;
    minutes += kMinutesADay * (business_days(day, last, holidays) - (is_business_day(last, holidays) ? 1 : 0));
    if (is_business_day(last, holidays)) minutes += end;
    return minutes;
}

}  // namespace

std::optional<DayCount> day_count_of(std::string_view word) {
    for (const DayCountName& n : kDayCounts)
        if (word == n.word) return n.count;
    return std::nullopt;
}

const char* day_count_word(DayCount count) {
    for (const DayCountName& n : kDayCounts)
        if (n.count == count) return n.word;
    return kDayCounts[0].word;
}

Holidays::Holidays(std::vector<Day> days) : days_(std::move(days)) {
    std::sort(days_.begin(), days_.end());
    days_.erase(std::unique(days_.begin(), days_.end()), days_.end());
}

bool Holidays::contains(Day day) const { return std::binary_search(days_.begin(), days_.end(), day); }

long long Holidays::weekdays_between(Day from, Day to) const {
    const auto first = std::upper_bound(days_.begin(), days_.end(), from);
    const auto last = std::upper_bound(first, days_.end(), to);
    return std::count_if(first, last, is_weekday);
}

bool is_weekday(Day day) {
    const std::chrono::weekday w{day};
    return w != std::chrono::Saturday && w != std::chrono::Sunday;
}

bool is_business_day(Day day, const Holidays& holidays) { return is_weekday(day) && !holidays.contains(day); }

long long business_days(Day from, Day to, const Holidays& holidays) {
    if (to <= from) return 0;
    const long long days = (to - from).count();
    long long weekdays = 5 * (days / 7);
    for (Day d = to - std::chrono::days{days % 7}; d < to;) {
        d += std::chrono::days{1};
        if (is_weekday(d)) ++weekdays;
    }
    return weekdays - holidays.weekdays_between(from, to);
}

Life life_in_years(const Moment& valuation, const Moment& expiry, DayCount count, const Holidays& holidays) {
    const long long days = (expiry.day - valuation.day).count();
    if (!expiry.minutes) {
        if (days < 0) return {0, LifeProblem::NotLater};
        if (days == 0) return {0, LifeProblem::SameDayNoTime};
        if (count != DayCount::Bus252) return {static_cast<double>(days) / days_over(count)};
        const long long business = business_days(valuation.day, expiry.day, holidays);
        if (business == 0) return {0, LifeProblem::NoBusinessDay};
        return {static_cast<double>(business) / days_over(count)};
    }
    const int start = valuation.minutes.value_or(0), end = *expiry.minutes;
    const long long minutes = kMinutesADay * days + end - start;
    if (minutes <= 0) return {0, LifeProblem::NotLater};
    if (count != DayCount::Bus252) return {static_cast<double>(minutes) / (kMinutesADay * days_over(count))};
    const long long business = business_minutes(valuation.day, start, expiry.day, end, holidays);
    if (business <= 0) return {0, LifeProblem::NoBusinessDay};
    return {static_cast<double>(business) / (kMinutesADay * days_over(count))};
}

std::optional<double> life_to(std::string_view expiry, const Moment& now) {
    const std::optional<Moment> m = parse_moment(expiry);
    if (!m) return std::nullopt;
    const Life life = life_in_years(now, *m, DayCount::Act365F, {});
    if (life.problem != LifeProblem::None) return std::nullopt;
    return life.years;
}

double years_to_day(Day valuation, Day day, DayCount count, const Holidays& holidays) {
    if (count != DayCount::Bus252) return static_cast<double>((day - valuation).count()) / days_over(count);
    if (day >= valuation) return static_cast<double>(business_days(valuation, day, holidays)) / days_over(count);
    return -static_cast<double>(business_days(day, valuation, holidays)) / days_over(count);
}

std::optional<Day> day_after_years(Day valuation, double years, DayCount count, const Holidays& holidays) {
    // Beyond the calendar's span whatever the count (and no NaN).
    if (!(std::fabs(years) < 10000.0)) return std::nullopt;
    const double whole = std::nearbyint(years * days_over(count));
    Day day = valuation;
    if (count != DayCount::Bus252) {
        day += std::chrono::days{static_cast<long long>(whole)};
    } else {
        const std::chrono::days step{whole < 0 ? -1 : 1};
        for (double left = std::fabs(whole); left > 0 && day > kFirstDay && day < kLastDay;) {
            day += step;
            if (is_business_day(day, holidays)) --left;
        }
    }
    if (day < kFirstDay || day > kLastDay) return std::nullopt;
    return day;
}

HolidayFile parse_holidays(std::string_view text) {
    std::vector<Day> days;
    int line_number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++line_number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (line.empty() || line.front() == '#') continue;
        const std::size_t blank = line.find_first_of(" \t");
        const std::optional<Day> day = parse_day(line.substr(0, blank));
        if (!day) return {Holidays{}, line_number};
        days.push_back(*day);
    }
    return {Holidays{std::move(days)}, 0};
}

}  // namespace tvx
