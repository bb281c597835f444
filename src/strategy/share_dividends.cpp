#include "strategy/share_dividends.h"

#include <algorithm>

#include "core/day_count.h"
#include "core/numbers.h"
#include "options/dividend_schedule.h"

namespace tvx {

ShareSchedule share_schedule(std::string_view text, const Moment& now) {
    const std::optional<std::vector<ScheduleEntry>> entries = parse_schedule(text);
    if (!entries) return {{}, dividend_text::not_a_schedule};
    ShareSchedule s;
    for (const ScheduleEntry& e : *entries) {
        if (!(e.amount > 0.0)) return {{}, dividend_text::not_positive};
        const double years = e.day ? years_to_day(now.day, *e.day, DayCount::Act365F, {}) : e.years.value_or(0.0);
        s.dividends.push_back({years, e.amount});
    }
    return s;
}

std::string schedule_years_text(const std::vector<CashDividend>& dividends) {
    std::vector<ScheduleEntry> entries;
    for (const CashDividend& d : dividends) entries.push_back({d.time, std::nullopt, d.amount});
    return schedule_text(entries);
}

double last_expiry(const std::vector<Leg>& legs) {
    double last = 0.0;
    for (const Leg& leg : legs)
        if (leg.option()) last = std::max(last, leg.time);
    return last;
}

const char* schedule_problem(const Strategy& s) {
    const double last = std::max(last_expiry(s.legs), s.horizon.value_or(0.0));
    const std::vector<CashDividend> within = dividends_within(s.dividends, last);
    for (const CashDividend& d : within)
        if (!(d.amount < s.market.spot)) return dividend_text::above_spot;
    if (!(dividends_present_value(within, s.market.rate / 100.0) < s.market.spot))
        return dividend_text::worth_the_share;
    return nullptr;
}

}  // namespace tvx
