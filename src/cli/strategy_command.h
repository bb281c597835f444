// `tarvenix-cli strategy`: the strategy window's Compute on a strategy
// file or on a preset, with the market terms and the horizon overridden
// from the options, through the window's own commands (so the checks, the
// messages and the results are the window's).
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace tvx::cli {

struct StrategyRequest {
    std::string file;    // a strategy file; empty for none
    std::string preset;  // a preset's name; empty for none
    // Options as typed; none when not given. The market terms and the
    // horizon override the file's (or the window's defaults for a preset).
    std::optional<std::string> spot, rate, dividend, horizon, spot_volatility, dividends, dividend_model;
    // Where a preset places its legs: the centre strike (default: the
    // spot), the width (default: 5 % of the centre), the legs' life and
    // volatility (the main window's defaults) and their style.
    std::optional<std::string> strike, width, time, volatility;
    // The legs' expiry as a date (Actual/365 Fixed from today), in place
    // of the time.
    std::optional<std::string> expiry;
    bool american = false;
    bool exact = false;  // Advanced > Exact Values
    bool json = false;
};

struct StrategyOutcome {
    int status = 0;
    std::vector<std::string> lines;     // the window's results, then a line for each leg
    std::vector<std::string> messages;  // the boxes' lines
    nlohmann::ordered_json figures;     // the results at full precision (null when there are none)
};

// The options of the command, bound to the request.
CLI::App* add_strategy_command(CLI::App& app, StrategyRequest& request);

// A usage error of the request (a file and a preset, neither, the
// placement without a preset), or none.
std::optional<std::string> strategy_usage_error(const StrategyRequest& r);

StrategyOutcome run_strategy(const StrategyRequest& r);

// The JSON of --json: the command, the inputs as given, the results
// (net_premium, value, the five sensitivities, breakevens, max_profit and
// max_loss (null where unlimited), probability_of_profit, horizon,
// volatility, legs), the lines, the messages and the status.
nlohmann::ordered_json strategy_json(const StrategyRequest& r, const StrategyOutcome& o);

// Prints the outcome (JSON or lines, the messages on standard error) and
// gives the exit status.
int print_strategy(const StrategyRequest& r, const StrategyOutcome& o, std::ostream& out, std::ostream& err);

}  // namespace tvx::cli
