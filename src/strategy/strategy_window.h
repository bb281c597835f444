// `frmStrategy`, "Strategy Builder": a position of up to eight legs on one
// asset, its market terms (taken from the main window), the presets that
// fill the legs around the spot, and what Compute worked out: the results'
// lines, the curves of profit and loss and the spot x volatility grid.
// Every field is free text, read and checked by the commands as its row
// of the field table says.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/fields.h"
#include "strategy/analysis.h"
#include "strategy/position.h"

namespace tvx {

// One row of the legs table, as typed.
struct LegRow {
    Side side = Side::Long;
    Instrument instrument = Instrument::Call;
    LegStyle style = LegStyle::European;
    std::string quantity = "1";
    std::string strike;
    std::string time;        // years
    std::string volatility;  // a decimal fraction
    std::string premium;     // one unit's; empty: its model value today

    bool operator==(const LegRow&) const = default;
};

struct StrategyWindow {
    static constexpr const char* caption = "Strategy Builder";

    // The market terms: the main window's when the window opens.
    std::string spot = "60.0";
    std::string rate = "4.5";      // per cent
    std::string dividend = "2.1";  // per cent
    std::string horizon;           // years; empty: the first expiry
    std::string spotvol;           // the spot's volatility at the horizon; empty: the legs' mean
    // Cash dividends of the position's share, WHEN:AMOUNT,... (dates
    // counted Actual/365 Fixed from today), and their model, "spot" or
    // "escrowed" (options/dividend_schedule.h).
    std::string dividends;
    std::string dividend_model = "spot";
    // The chart's range of the spot; an empty end takes the default's
    // (about three standard deviations either side at the horizon, and
    // every strike).
    std::string spot_from;
    std::string spot_to;

    std::array<LegRow, kMaxLegs> legs;
    int leg_count = 0;  // the rows in use, from the first
    int preset = -1;    // the preset last chosen (an index of presets()), -1 for none

    // What Compute last worked out (kept when a later Compute is refused).
    std::optional<StrategyReport> report;
    // Advanced > Exact Values, kept as the main window's by the menu.
    Precision precision = Precision::Standard;
    std::vector<std::string> lines;  // the results as the window and the command line show them
    int version = 0;                 // counts every new report, so a form redraws the chart only then
    bool open = false;               // shown and not closed since
    // The market terms were taken again since the last Compute: the
    // results shown are of the earlier terms until the next one.
    bool stale = false;
    // The legs as they last came in whole (the window opened, a file was
    // opened or saved): Cancel asks before it discards any others.
    std::array<LegRow, kMaxLegs> kept_legs;
    int kept_count = 0;
};

// The legs have changed since they last came in whole.
bool legs_edited(const StrategyWindow& w);
// The legs as they are now count as kept.
void keep_legs(StrategyWindow& w);

// The controls of a leg's row, named with the row's number from 1:
// "position1", "quantity1", ... "premium8".
std::string leg_control(const char* column, int leg);
// What a leg's control is called for the user (its column's caption
// after the leg's number, "Leg 2 Strike"): its name for screen readers
// and in the messages about it.
std::string leg_caption(const char* column_caption, int leg);
// A check's message about a leg: "Leg 2: " before the message.
std::string leg_message(const char* message, int leg);

// The text fields in tab order: the market terms, the chart's range,
// then each leg's quantity, strike, time, volatility and premium, each
// captioned by its leg ("Leg 2 Strike"). A leg's fields are read only
// while the leg is in use, and a share's strike, time and volatility
// never. Each row holds the check Compute runs on it (a leg's message
// names its leg: "Leg 2: Strike Price must be positive"); the chart's
// range is read later, once the rest has passed.
FieldTable<StrategyWindow> strategy_fields();

namespace strategy_caption {
inline constexpr const char* cmdTerms = "Take from Main Window";
inline constexpr const char* cmdAddLeg = "Add Leg";
inline constexpr const char* cmdRemoveLeg = "Remove Leg";
inline constexpr const char* cmdCompute = "Compute";
inline constexpr const char* cmdOpen = "Open...";
inline constexpr const char* cmdSave = "Save...";
inline constexpr const char* cmdCancel = "Cancel";
inline constexpr const char* cboPreset = "Choose a preset...";
// The legs table's column headings, which also name each leg's controls.
inline constexpr const char* position = "Position";
inline constexpr const char* quantity = "Quantity";
inline constexpr const char* instrument = "Instrument";
inline constexpr const char* style = "Style";
inline constexpr const char* strike = "Strike";
inline constexpr const char* time = "Time (years)";
inline constexpr const char* volatility = "Volatility";
inline constexpr const char* premium = "Premium";
inline constexpr const char* value = "Value today";
inline constexpr const char* remove = "Remove";
inline constexpr const char* spot_from = "Chart Spot From";
inline constexpr const char* spot_to = "Chart Spot To";
}  // namespace strategy_caption

}  // namespace tvx
