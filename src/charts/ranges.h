// The x of a chart: which term it moves, in the units of that term's field
// (a rate in per cent), the range the user typed or the default around the
// current term, and the points spread over it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "charts/chart_window.h"
#include "options/valuation.h"

namespace tvx {

struct Range {
    double from = 0;
    double to = 0;
};

// How a term is named in messages and on an axis.
struct TermName {
    const char* name;   // in a sentence: "time to expiry"
    const char* label;  // on an axis: "Time to expiry (years)"
};
TermName term_name(OptionX x);
TermName term_name(BondX x);
inline constexpr TermName kSharePrice{"share price", "Share price (dollars)"};
inline constexpr TermName kScenarioVolatility{"volatility", "Volatility"};

// The term x of the option, in its field's units, and the option with that
// term replaced.
double option_x(const OptionTerms& o, OptionX x);
OptionTerms with_option_x(OptionTerms o, OptionX x, double value);

// The range shown until the user types one: a band around the current
// value, scaled by the term (spot and strike half to one and a half times,
// a volatility a quarter to two and a half times, ...).
Range default_range(OptionX x, double current);
Range default_range(BondX x, double current);
Range default_share_range(double current);
Range default_scenario_spots(double current);
Range default_scenario_vols(double current);

// The texts of a range, as written into its fields.
std::string range_text(double end);

// Reads a typed range whose ends must both be above zero. No value, and the
// clear message for the chart window in `message` (and the field to put the
// cursor in), when an end is not a number, the lower is not below the upper
// or the lower is not above zero. `what` names the range in the messages
// ("range" or "volatility range").
struct RangeProblem {
    std::string message;
    const char* field = nullptr;
};
std::optional<Range> read_range(const std::string& from, const std::string& to, const TermName& term, const char* what,
                                const char* from_field, const char* to_field, RangeProblem& problem);

// n evenly spaced points from `from` to `to`, both ends included.
std::vector<double> spread(const Range& r, int n);

}  // namespace tvx
