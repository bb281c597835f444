// The dates and the cash dividends of a position: a leg's expiry given as
// a date, and the share's schedule, both counted Actual/365 Fixed from
// today (the Strategy Builder has no valuation date of its own), shared by
// the window, its file and the command line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dates.h"
#include "pricing/cash_dividends.h"
#include "strategy/position.h"

namespace tvx {

// The schedule WHEN:AMOUNT,... in years from `now` (ex-dates counted as
// whole days), or why it is not one: one of the main window's messages.
struct ShareSchedule {
    std::vector<CashDividend> dividends;
    const char* problem = nullptr;
};
ShareSchedule share_schedule(std::string_view text, const Moment& now);

// The schedule's text in years, "0.5:7,0.75:7", as share_schedule reads
// it back.
std::string schedule_years_text(const std::vector<CashDividend>& dividends);

// The last expiry of the option legs (0 when there are none): the
// dividends up to it are those the position sees.
double last_expiry(const std::vector<Leg>& legs);

// Why the dividends the position sees (up to its last expiry or its
// horizon) cannot be paid by the share (one above
// the spot, or all of them worth it), or null.
const char* schedule_problem(const Strategy& s);

}  // namespace tvx
