// A cash dividend schedule as the user writes it, "WHEN:AMOUNT,WHEN:AMOUNT"
// (WHEN a time in years or an ex-dividend date YYYY-MM-DD; numbers with a
// point, whatever the desktop's language, since the comma separates the
// dividends), and the model it is valued under: the main window's
// "Dividends..." dialog, the Strategy Builder, the command line's
// --dividends and --dividend-model and the batch's columns.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/dates.h"
#include "core/expiry_date.h"
#include "core/user_interface.h"
#include "pricing/cash_dividends.h"

namespace tvx {

// One dividend as written: its time in years or its date, and its amount.
struct ScheduleEntry {
    std::optional<double> years;
    std::optional<Day> day;
    double amount = 0;
};

// The entries of the text, or none when it is not a schedule (an empty
// text is an empty schedule). Blanks around the parts are ignored; a ";"
// separates as a comma does.
std::optional<std::vector<ScheduleEntry>> parse_schedule(std::string_view text);

// The text of the entries, as parse_schedule reads it back: the dialog's
// rows into the field.
std::string schedule_text(const std::vector<ScheduleEntry>& entries);

// "spot", "escrowed".
std::optional<DividendModel> dividend_model_of(std::string_view word);

namespace dividend_text {
inline constexpr const char* not_a_schedule =
    "The cash dividends must be written WHEN:AMOUNT, separated by commas, WHEN a time in years or a date YYYY-MM-DD";
inline constexpr const char* not_positive = "A cash dividend must be a positive amount";
inline constexpr const char* unknown_model = "The dividend model must be spot or escrowed";
inline constexpr const char* above_spot = "A cash dividend must be less than the spot price";
inline constexpr const char* worth_the_share =
    "The cash dividends before expiry must be worth less than the spot price (their present value)";
inline constexpr const char* simulated =
    "The simulation does not value cash dividends: clear the dividends, or Stochastic Volatility and Stochastic "
    "Interest Rates";
// The line under the output window's six when a schedule was given:
// "Cash dividends: 2 before expiry, spot model" or "... none before expiry".
inline constexpr const char* line = "Cash dividends: ";
inline constexpr const char* none = "none before expiry";
inline constexpr const char* before_expiry = " before expiry, ";
inline constexpr const char* spot_model = "spot model";
inline constexpr const char* escrowed_model = "escrowed model";
}  // namespace dividend_text

// The "Dividends..." dialog: a table of rows (ex-date or time, amount)
// and the model's two option buttons.
namespace dividends_caption {
inline constexpr const char* dlgDividends = "Dividends";
inline constexpr const char* when = "Ex-Date or Time (years)";
inline constexpr const char* amount = "Amount (dollars)";
inline constexpr const char* note =
    "Each dividend's ex-date, YYYY-MM-DD (counted from the valuation date on the day count), or its time in years, "
    "and its amount a share; decimals with a point.";
inline constexpr const char* cmdAddRow = "&Add";
inline constexpr const char* cmdRemoveRow = "&Remove";
inline constexpr const char* cmdClear = "C&lear";
inline constexpr const char* fraModel = "Dividend Model";
inline constexpr const char* optSpotModel = "Spot: the share drops by each dividend on its ex-date";
inline constexpr const char* optEscrowedModel = "Escrowed: the spot less the dividends' present value";
}  // namespace dividends_caption

// The dialog's rows from the schedule text (none when it is not one).
std::vector<std::pair<std::string, std::string>> schedule_rows(const std::string& text);
// The schedule text of the rows (rows with both cells empty passed over),
// or none when a row is not a dividend.
std::optional<std::string> rows_schedule(const std::vector<std::pair<std::string, std::string>>& rows);

// What the main window shows beside its "Dividends..." button: "2 cash
// dividends, spot model", or nothing when there are none.
std::string dividends_summary(const std::string& text, const std::string& model);

// The output line for the dividends within the life under the model.
std::string dividend_line(std::size_t within, DividendModel model);

// A schedule read for valuation: its dividends in years from the
// valuation (any order, all of them) and its model.
struct Schedule {
    std::vector<CashDividend> dividends;
    DividendModel model = DividendModel::Spot;
};

// Reads the schedule text and model word of a window, the dates on the
// window's date fields (`now` for an empty valuation date): on a problem
// its box and the focus in the field at fault (`dividends_field`,
// `model_field` or a date field), then none.
std::optional<Schedule> read_schedule(const std::string& text, const std::string& model, const ExpiryDate& dates,
                                      const Moment& now, UserInterface& ui, Window window, const char* dividends_field,
                                      const char* model_field);

// The dividends an option of this life sees (dividends_within) after the
// checks against the spot: each below it, and their present value too (a
// box and the focus in `dividends_field` when not); none on a failure.
std::optional<std::vector<CashDividend>> dividends_for(const Schedule& s, double life, double spot, double rate,
                                                       UserInterface& ui, Window window, const char* dividends_field);

}  // namespace tvx
