// `tarvenix-cli smile`: the Volatility Smile window's fit of a chain file,
// through the window's own commands (so the messages and the report's
// lines are the window's), printed as lines or as one JSON object; and
// the check of one given SVI slice (--svi a,b,rho,m,sigma --time T).
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "smile/smile.h"

namespace CLI {
class App;
}

namespace tvx::cli {

struct SmileRequest {
    std::string file;
    // Options as typed; none when not given (the window's defaults).
    std::optional<std::string> spot, valuation_date, rate, dividend;
    std::string fit = "svi";
    bool american = false;
    std::optional<std::string> svi, time;  // the slice to check, instead of a file
    bool json = false;
};

CLI::App* add_smile_command(CLI::App& app, SmileRequest& request);

// A usage error of the request (a file and --svi, neither, --svi without
// --time or the other way round), or none.
std::optional<std::string> smile_usage_error(const SmileRequest& r);

// The JSON of a fitted chain: `expiries` (each with its market, final SVI
// fit, error, least g and its quotes' volatilities and flags), the SSVI
// surface, the calendar violations, the overall error and the notes.
nlohmann::ordered_json smile_json(const SmileReport& r);

// Runs the request and prints it; the exit status.
int run_smile(const SmileRequest& r, std::ostream& out, std::ostream& err);

}  // namespace tvx::cli
