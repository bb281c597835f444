#include "options/dividend_schedule.h"

#include "core/checks.h"
#include "core/numbers.h"

namespace tvx {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::optional<ScheduleEntry> entry_of(std::string_view part) {
    const std::size_t colon = part.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view when = trimmed(part.substr(0, colon)), amount = trimmed(part.substr(colon + 1));
    ScheduleEntry e;
    try {
        e.amount = parse_number(amount, DecimalMark::Point);
        if (const std::optional<Day> day = parse_day(when)) {
            e.day = day;
        } else {
            e.years = parse_number(when, DecimalMark::Point);
        }
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
    return e;
}

}  // namespace

std::optional<std::vector<ScheduleEntry>> parse_schedule(std::string_view text) {
    std::vector<ScheduleEntry> entries;
    if (trimmed(text).empty()) return entries;
    while (true) {
        const std::size_t end = text.find_first_of(",;");
        const std::optional<ScheduleEntry> e = entry_of(text.substr(0, end));
        if (!e) return std::nullopt;
        entries.push_back(*e);
        if (end == std::string_view::npos) return entries;
        text.remove_prefix(end + 1);
    }
}

std::string schedule_text(const std::vector<ScheduleEntry>& entries) {
    std::string text;
    for (const ScheduleEntry& e : entries) {
        if (!text.empty()) text += ',';
        text += e.day ? day_text(*e.day) : exact_text(e.years.value_or(0.0));
        text += ':';
        text += exact_text(e.amount);
    }
    return text;
}

std::vector<std::pair<std::string, std::string>> schedule_rows(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (const ScheduleEntry& e : parse_schedule(text).value_or(std::vector<ScheduleEntry>{}))
        rows.emplace_back(e.day ? day_text(*e.day) : exact_text(e.years.value_or(0.0)), exact_text(e.amount));
    return rows;
}

std::optional<std::string> rows_schedule(const std::vector<std::pair<std::string, std::string>>& rows) {
    std::vector<ScheduleEntry> entries;
    for (const auto& [when, amount] : rows) {
        if (trimmed(when).empty() && trimmed(amount).empty()) continue;
        // One row is one dividend: a separator inside a cell is not.
        if ((when + amount).find_first_of(",;") != std::string::npos) return std::nullopt;
        const std::optional<ScheduleEntry> e = entry_of(when + ":" + amount);
        if (!e) return std::nullopt;
        entries.push_back(*e);
    }
    return schedule_text(entries);
}

std::optional<DividendModel> dividend_model_of(std::string_view word) {
    for (const DividendModel m : {DividendModel::Spot, DividendModel::Escrowed})
        if (word == dividend_model_word(m)) return m;
    return std::nullopt;
}

std::string dividends_summary(const std::string& text, const std::string& model) {
    const std::optional<std::vector<ScheduleEntry>> entries = parse_schedule(text);
    if (!entries || entries->empty()) return {};
    const std::size_t n = entries->size();
    return std::to_string(n) + (n == 1 ? " cash dividend, " : " cash dividends, ") + model + " model";
}

std::string dividend_line(std::size_t within, DividendModel model) {
    std::string text = dividend_text::line;
    if (within == 0) return text + dividend_text::none;
    text += std::to_string(within) + dividend_text::before_expiry;
    return text + (model == DividendModel::Spot ? dividend_text::spot_model : dividend_text::escrowed_model);
}

std::optional<Schedule> read_schedule(const std::string& text, const std::string& model, const ExpiryDate& dates,
                                      const Moment& now, UserInterface& ui, Window window, const char* dividends_field,
                                      const char* model_field) {
    const std::optional<std::vector<ScheduleEntry>> entries = parse_schedule(text);
    if (!entries) {
        refuse(ui, window, dividends_field, dividend_text::not_a_schedule);
        return std::nullopt;
    }
    Schedule s;
    const std::optional<DividendModel> m = dividend_model_of(trimmed(model));
    if (!m) {
        refuse(ui, window, model_field, dividend_text::unknown_model);
        return std::nullopt;
    }
    s.model = *m;
    std::optional<DateBasis> basis;
    for (const ScheduleEntry& e : *entries) {
        if (!(e.amount > 0.0)) {
            refuse(ui, window, dividends_field, dividend_text::not_positive);
            return std::nullopt;
        }
        if (e.day && !basis && !(basis = read_date_basis(dates, now, ui, window))) return std::nullopt;
        const double years =
            e.day ? years_to_day(basis->valuation.day, *e.day, basis->count, basis->holidays) : *e.years;
        s.dividends.push_back({years, e.amount});
    }
    return s;
}

std::optional<std::vector<CashDividend>> dividends_for(const Schedule& s, double life, double spot, double rate,
                                                       UserInterface& ui, Window window, const char* dividends_field) {
    std::vector<CashDividend> within = dividends_within(s.dividends, life);
    for (const CashDividend& d : within) {
        if (!(d.amount < spot)) {
            refuse(ui, window, dividends_field, dividend_text::above_spot);
            return std::nullopt;
        }
    }
    if (!(dividends_present_value(within, rate) < spot)) {
        refuse(ui, window, dividends_field, dividend_text::worth_the_share);
        return std::nullopt;
    }
    return within;
}

}  // namespace tvx
