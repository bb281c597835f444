// The date fields beside a window's years field: the expiry as a date (or
// a date and time of day), the valuation date (today when left empty),
// the day count and a file of holidays. They fill the years field, which
// stays the field the window's command reads; the command line's
// --expiry, --valuation-date, --day-count and --holidays and the batch's
// columns are these fields.
#pragma once

#include <optional>
#include <string>

#include "core/dates.h"
#include "core/day_count.h"
#include "core/fields.h"
#include "core/user_interface.h"

namespace tvx {

struct ExpiryDate {
    std::string expiry;          // "", "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM"
    std::string valuation_date;  // "" for today (and now, against an expiry with a time of day)
    std::string day_count = "act365f";
    std::string holidays;  // a holiday file's name, "" for none

    bool operator==(const ExpiryDate&) const = default;
};

inline constexpr Field<ExpiryDate> kExpiryFields[] = {
    text_field<&ExpiryDate::expiry>("txtExpiry", "Expiry Date", "expiry",
                                    "Expiry date, YYYY-MM-DD or YYYY-MM-DDTHH:MM: the time to expiry in years from it")
        .valued("DATE"),
    text_field<&ExpiryDate::valuation_date>("txtValuationDate", "Valuation Date", "valuation_date",
                                            "Valuation date, YYYY-MM-DD (default today)")
        .valued("DATE"),
    text_field<&ExpiryDate::day_count>("cboDayCount", "Day Count", "day_count",
                                       "Day count: act365f (Actual/365 Fixed), act360 (Actual/360) or bus252 "
                                       "(business days/252)")
        .valued("WORD"),
    text_field<&ExpiryDate::holidays>("txtHolidays", "Holiday File", "holidays",
                                      "A file of holidays, one YYYY-MM-DD a line, for bus252"),
};

namespace date_text {
inline constexpr const char* expiry_not_a_date =
    "The expiry date must be written YYYY-MM-DD, or YYYY-MM-DDTHH:MM with a time of day";
inline constexpr const char* valuation_not_a_date =
    "The valuation date must be written YYYY-MM-DD, or YYYY-MM-DDTHH:MM with a time of day";
inline constexpr const char* unknown_day_count = "The day count must be act365f, act360 or bus252";
inline constexpr const char* not_later = "The expiry must be after the valuation date";
inline constexpr const char* same_day =
    "The expiry is on the valuation date: give its time of day (YYYY-MM-DDTHH:MM) to count the hours left";
inline constexpr const char* no_business_day = "No business day lies between the valuation date and the expiry";
// Followed by the file's name.
inline constexpr const char* holidays_unreadable = "The holiday file cannot be read: ";
// Followed by the line's number.
inline constexpr const char* holidays_not_dates = "The holiday file must hold one date YYYY-MM-DD a line; see line ";
}  // namespace date_text

// The valuation, the day count and the holidays the fields give.
struct DateBasis {
    Moment valuation;
    DayCount count = DayCount::Act365F;
    Holidays holidays;
};

// The basis of the fields, `now` standing for an empty valuation date; on
// a problem its box (the window's validation box) and the focus in the
// field at fault, then none.
std::optional<DateBasis> read_date_basis(const ExpiryDate& d, const Moment& now, UserInterface& ui, Window window);

// The life in years from the valuation to the expiry of the fields (the
// expiry must be given), or, on a problem, its box and the focus in the
// field at fault, then none.
std::optional<double> expiry_years(const ExpiryDate& d, const Moment& now, UserInterface& ui, Window window);

// The expiry's date for a life typed in years, on the fields' valuation
// date and day count (an empty text when the fields or the years cannot
// give one): what a window shows beside the years field.
std::string expiry_for_years(const ExpiryDate& d, const Moment& now, const std::string& years);

// The fields as the History records them: only those given.
std::vector<std::pair<std::string, std::string>> date_terms(const ExpiryDate& d);

}  // namespace tvx
