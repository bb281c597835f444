// The strategy command's JSON: the keys a script reads, null where a
// figure is unlimited, and a document for every outcome, whatever bytes
// the request holds.
#include <gtest/gtest.h>

#include "cli/cli_ui.h"
#include "cli/strategy_command.h"

namespace tvx::cli {
namespace {

TEST(StrategyJson, IronCondorHasEveryKeyAtFullPrecision) {
    StrategyRequest r;
    r.preset = "iron-condor";
    const StrategyOutcome o = run_strategy(r);
    ASSERT_EQ(o.status, kExitOk);
    const auto j = strategy_json(r, o);
    for (const char* key : {"net_premium", "value", "delta", "gamma", "theta", "vega", "rho", "breakevens",
                            "max_profit", "max_loss", "probability_of_profit", "horizon", "volatility", "legs"})
        EXPECT_TRUE(j.contains(key)) << key;
    // The independent closed form's credit (tests/cli/golden/strategy.txt).
    EXPECT_NEAR(j["net_premium"].get<double>(), -1.7505450392879034, 1e-13);
    EXPECT_NEAR(j["max_profit"].get<double>(), 1.7505450392879034, 1e-13);
    EXPECT_NEAR(j["max_loss"].get<double>(), 3 - 1.7505450392879034, 1e-13);
    const auto& b = j["breakevens"];
    ASSERT_EQ(b.size(), 2u);
    EXPECT_LT(b[0].get<double>(), b[1].get<double>());
    ASSERT_EQ(j["legs"].size(), 4u);
    EXPECT_EQ(j["legs"][0]["strike"], 54.0);
    EXPECT_EQ(j["legs"][0]["value"], j["legs"][0]["premium"]);
    EXPECT_EQ(j["inputs"]["preset"], "iron-condor");
    EXPECT_EQ(j["status"], 0);
}

TEST(StrategyJson, UnlimitedIsNullAndAFailureHasNoFigures) {
    StrategyRequest r;
    r.preset = "long-call";
    r.american = true;
    r.spot = "100";
    StrategyOutcome o = run_strategy(r);
    ASSERT_EQ(o.status, kExitOk);
    auto j = strategy_json(r, o);
    EXPECT_TRUE(j["max_profit"].is_null());
    EXPECT_TRUE(j["max_loss"].is_number());
    EXPECT_EQ(j["legs"][0]["style"], "american");
    EXPECT_EQ(j["inputs"]["spot"], 100.0);
    EXPECT_EQ(j["inputs"]["american"], true);

    r.rate = "0";
    o = run_strategy(r);
    EXPECT_EQ(o.status, kExitMessage);
    j = strategy_json(r, o);
    EXPECT_FALSE(j.contains("net_premium"));
    EXPECT_EQ(j["messages"], nlohmann::json::array({"Interest Rates must be positive"}));
}

TEST(StrategyJson, BytesThatAreNotUtf8AreEchoedSafely) {
    StrategyRequest r;
    r.file = "strat\xff\xfe.json";
    r.spot = "6\xff";
    const StrategyOutcome o = run_strategy(r);
    EXPECT_EQ(o.status, kExitMessage);  // the file cannot be read
    const std::string text = strategy_json(r, o).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    EXPECT_NE(text.find("strat\xef\xbf\xbd"), std::string::npos);
    EXPECT_TRUE(nlohmann::json::accept(text));
}

}  // namespace
}  // namespace tvx::cli
