#include "core/expiry_date.h"

#include "core/checks.h"
#include "core/help.h"
#include "core/numbers.h"

namespace tvx {

namespace {

// The holidays of the file, read only for the business-day count.
std::optional<Holidays> read_holidays(const ExpiryDate& d, DayCount count, UserInterface& ui, Window window) {
    if (count != DayCount::Bus252 || d.holidays.empty()) return Holidays{};
    const std::optional<std::string> text = read_text_file(d.holidays);
    if (!text) {
        refuse(ui, window, "txtHolidays", (std::string(date_text::holidays_unreadable) + d.holidays).c_str());
        return std::nullopt;
    }
    HolidayFile file = parse_holidays(*text);
    if (file.bad_line != 0) {
        const std::string why = date_text::holidays_not_dates + std::to_string(file.bad_line);
        refuse(ui, window, "txtHolidays", why.c_str());
        return std::nullopt;
    }
    return std::move(file.holidays);
}

const char* life_problem_text(LifeProblem p) {
    switch (p) {
        case LifeProblem::NotLater: return date_text::not_later;
        case LifeProblem::SameDayNoTime: return date_text::same_day;
        case LifeProblem::NoBusinessDay: return date_text::no_business_day;
        case LifeProblem::None: break;
    }
    return "";
}

}  // namespace

std::optional<DateBasis> read_date_basis(const ExpiryDate& d, const Moment& now, UserInterface& ui, Window window) {
    DateBasis basis;
    basis.valuation = now;
    if (!d.valuation_date.empty()) {
        const std::optional<Moment> given = parse_moment(d.valuation_date);
        if (!given) {
            refuse(ui, window, "txtValuationDate", date_text::valuation_not_a_date);
            return std::nullopt;
        }
        basis.valuation = *given;
    }
    const std::optional<DayCount> count = day_count_of(d.day_count);
    if (!count) {
        refuse(ui, window, "cboDayCount", date_text::unknown_day_count);
        return std::nullopt;
    }
    basis.count = *count;
    std::optional<Holidays> holidays = read_holidays(d, *count, ui, window);
    if (!holidays) return std::nullopt;
    basis.holidays = std::move(*holidays);
    return basis;
}

std::optional<double> expiry_years(const ExpiryDate& d, const Moment& now, UserInterface& ui, Window window) {
    const std::optional<Moment> expiry = parse_moment(d.expiry);
    if (!expiry) {
        refuse(ui, window, "txtExpiry", date_text::expiry_not_a_date);
        return std::nullopt;
    }
    const std::optional<DateBasis> basis = read_date_basis(d, now, ui, window);
    if (!basis) return std::nullopt;
    const Life life = life_in_years(basis->valuation, *expiry, basis->count, basis->holidays);
    if (life.problem != LifeProblem::None) {
        refuse(ui, window, "txtExpiry", life_problem_text(life.problem));
        return std::nullopt;
    }
    return life.years;
}

std::string expiry_for_years(const ExpiryDate& d, const Moment& now, const std::string& years) {
    const std::optional<Moment> valuation = d.valuation_date.empty() ? now : parse_moment(d.valuation_date);
    const std::optional<DayCount> count = day_count_of(d.day_count);
    if (!valuation || !count) return {};
    try {
        const std::optional<Day> day = day_after_years(valuation->day, parse_number(years), *count, Holidays{});
        return day ? day_text(*day) : std::string();
    } catch (const RuntimeError&) {
        return {};
    }
}

std::vector<std::pair<std::string, std::string>> date_terms(const ExpiryDate& d) {
    std::vector<std::pair<std::string, std::string>> terms;
    if (d.expiry.empty() && d.valuation_date.empty()) return terms;
    for (const Field<ExpiryDate>& f : kExpiryFields)
        if (!f.text_of(d).empty()) terms.emplace_back(f.option, f.text_of(d));
    return terms;
}

}  // namespace tvx
