// The smile command's JSON: exactly the keys a script reads, every
// quote's volatilities against the published grid the chain was priced
// from, and the SSVI surface's slices free of butterfly arbitrage.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/cli_app.h"

namespace tvx::cli {
namespace {

using Json = nlohmann::ordered_json;

Json smile(std::vector<const char*> args) {
    const std::string file = TVX_CLI_DATA_DIR "/andreasen-huge-2010.csv";
    args.insert(args.begin(), {"tarvenix-cli", "smile", file.c_str()});
    args.push_back("--json");
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(run_cli(static_cast<int>(args.size()), args.data(), in, out, err), 0) << err.str();
    return Json::parse(out.str());
}

std::vector<std::string> keys(const Json& j) {
    std::vector<std::string> k;
    for (const auto& [key, value] : j.items()) k.push_back(key);
    return k;
}

// The grid's volatility of each (expiry, strike): the file's vol column.
std::map<std::pair<std::string, double>, double> published() {
    std::ifstream file(TVX_CLI_DATA_DIR "/andreasen-huge-2010.csv");
    std::map<std::pair<std::string, double>, double> vols;
    std::string line;
    std::getline(file, line);
    while (std::getline(file, line)) {
        std::vector<std::string> cells;
        std::stringstream cut(line);
        for (std::string cell; std::getline(cut, cell, ',');) cells.push_back(cell);
        vols[{cells[1], std::stod(cells[2])}] = std::stod(cells[7]);
    }
    return vols;
}

TEST(SmileJson, KeysAndPublishedVolatilities) {
    const Json j = smile({});
    EXPECT_EQ(keys(j), (std::vector<std::string>{"valuation_date", "spot", "fit", "expiries", "ssvi",
                                                 "calendar_violations", "rmse", "notes"}));
    ASSERT_EQ(j["expiries"].size(), 12u);
    const auto vols = published();
    std::size_t quotes = 0;
    for (const Json& e : j["expiries"]) {
        EXPECT_EQ(keys(e), (std::vector<std::string>{"expiry", "time", "forward", "discount", "svi", "rmse", "g_min",
                                                     "g_min_at", "quotes"}));
        EXPECT_EQ(keys(e["svi"]), (std::vector<std::string>{"a", "b", "rho", "m", "sigma"}));
        EXPECT_EQ(e["forward"], 2772.7);
        EXPECT_EQ(e["discount"], 1.0);
        for (const Json& q : e["quotes"]) {
            EXPECT_EQ(keys(q), (std::vector<std::string>{"strike", "option_type", "bid", "ask", "iv_bid", "iv_mid",
                                                         "iv_ask", "flag"}));
            const double vol = vols.at({e["expiry"].get<std::string>(), q["strike"].get<double>()});
            EXPECT_NEAR(q["iv_mid"].get<double>(), vol, 1e-6);
            EXPECT_EQ(q["iv_bid"], q["iv_mid"]);  // bid = ask in the file
            EXPECT_EQ(q["flag"], "ok");
            EXPECT_EQ(q["option_type"], q["strike"].get<double>() < 2772.7 ? "P" : "C");
            ++quotes;
        }
    }
    EXPECT_EQ(quotes, 155u);
    EXPECT_EQ(keys(j["ssvi"]), (std::vector<std::string>{"rho", "eta", "gamma", "rmse"}));
    EXPECT_TRUE(j["calendar_violations"].is_array());
}

// The surface's slices as each expiry's final fit: within the power law's
// bounds, so g >= 0 everywhere and the slices never cross.
TEST(SmileJson, SsviFitGivesArbitrageFreeSlices) {
    const Json j = smile({"--fit", "ssvi"});
    EXPECT_EQ(j["fit"], "ssvi");
    const double rho = j["ssvi"]["rho"], eta = j["ssvi"]["eta"], gamma = j["ssvi"]["gamma"];
    EXPECT_LE(eta * (1 + std::fabs(rho)), 2.0);
    EXPECT_GT(gamma, 0.0);
    EXPECT_LE(gamma, 0.5);
    for (const Json& e : j["expiries"]) {
        EXPECT_GE(e["g_min"].get<double>(), 0.0) << e["expiry"];
        EXPECT_EQ(e["svi"]["rho"], j["ssvi"]["rho"]);
    }
    EXPECT_TRUE(j["calendar_violations"].empty());
}

}  // namespace
}  // namespace tvx::cli
