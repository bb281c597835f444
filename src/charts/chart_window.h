// `frmChart`, "Chart": how a value moves with one of its terms. Its source
// is the main window's option (a curve against one term, or a scenario
// table of spot against volatility), the straight bond window or the
// convertible bond window; the model holds the choices, the ranges as
// typed, and what was last computed, with the terms it was computed for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tvx {

enum class ChartSource { Option, Scenario, Bond, Convertible, Boundary };

// What an option chart plots against what.
enum class OptionY { Value, Delta, Gamma, Theta, Vega, Rho };
enum class OptionX { Spot, Strike, Volatility, Time, Rate };
// A straight bond's fair value against its rate (price-yield) or its time
// to maturity. A convertible is always drawn against the share price.
enum class BondX { Rate, Time };

enum class SeriesRole {
    Main,         // the chosen style, the bond, the convertible
    Counterpart,  // the other style, for comparison
    Payoff,       // the option's payoff at expiry
    Floor,        // the convertible's straight-bond floor
    Conversion,   // the convertible's conversion value
    BandLow,      // one standard error below a simulated value
    BandHigh,     // and above it
    Strike,       // the option's strike, beside its exercise boundary
};

// One curve: a y for every x of its plot, none where the point could not
// be valued (left out, never drawn as zero).
struct Series {
    std::string name;
    SeriesRole role = SeriesRole::Main;
    std::vector<std::optional<double>> y;
    // Points between the plot's x where the curve bends (a payoff at its
    // strike), in x order: the drawn line passes through them, so its
    // corner stands where it belongs however coarse the x.
    std::vector<std::pair<double, double>> corners = {};
};

// A stretch of x shaded across the whole height of a plot (where the spot
// is likely to be). Bands and marks stay out of the legend: the plot's
// caption says what they are.
struct XBand {
    std::string name;
    double from = 0;
    double to = 0;
};

// A line across the whole height of a plot at one x (a breakeven).
struct XMark {
    std::string name;
    double x = 0;
};

struct Plot {
    std::string title;    // what is drawn: "Value of a call against the spot"
    std::string caption;  // the terms it was computed for
    std::string x_label;
    std::string y_label;
    std::vector<double> x;
    std::vector<Series> series;
    // The current terms, marked on the main curve when inside the range.
    std::optional<double> current_x;
    std::optional<double> current_y;
    int left_out = 0;  // points at which some curve could not be valued
    // Drawn under the curves: bands from the widest, then a level line
    // across the plot (0 for a profit and loss) and marks.
    std::vector<XBand> x_bands;
    std::optional<double> y_line;
    std::vector<XMark> x_marks;

    bool empty() const { return x.empty(); }
};

// The option's value over spot x volatility around the current terms.
struct ScenarioGrid {
    std::string title = "Scenario table: value over spot and volatility";
    std::string caption;
    std::vector<double> spots;                              // rows
    std::vector<double> vols;                               // columns
    std::vector<std::vector<std::optional<double>>> value;  // [spot][vol]
    // At the terms as typed: P&L is against it (none when that faulted).
    std::optional<double> current_value;
    int left_out = 0;

    bool empty() const { return spots.empty(); }
};

struct ChartWindow {
    static constexpr const char* caption = "Chart";

    ChartSource source = ChartSource::Option;
    OptionY y = OptionY::Value;
    OptionX x = OptionX::Spot;
    BondX bond_x = BondX::Rate;
    // The range of x (for the scenario table, of the spot) in the units of
    // the source's own field: per cent for a rate, dollars, years. Until
    // the user types one, the range follows the source's terms.
    std::string from;
    std::string to;
    std::string vol_from;  // the scenario table's volatility range
    std::string vol_to;
    bool range_typed = false;
    bool pnl = false;  // the scenario table shows profit and loss against the current value

    Plot plot;
    ScenarioGrid grid;
    int version = 0;  // counts every new plot or grid, so a form redraws the chart only then
    // The status line: a range that makes no sense, points left out, a
    // cancelled computation.
    std::string note;

    // A simulated chart runs in the event loop, point by point.
    bool busy = false;
    std::string progress;
    std::int16_t kill = 0;  // Cancel pressed while busy
    bool open = false;      // shown and not closed since
    // The folder the last Save of this session wrote into; empty before
    // the first, when Save starts in the user's documents folder.
    std::string save_folder;
};

// Points of a curve: enough for a smooth curve, fewer when every point is a
// simulation.
inline constexpr int kCurvePoints = 200;
inline constexpr int kSimulatedPoints = 21;
inline constexpr int kScenarioSpots = 9;
inline constexpr int kScenarioVols = 7;

}  // namespace tvx
