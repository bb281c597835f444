// The strategy command's JSON: the keys a script reads, null where a
// figure is unlimited, and a document for every outcome, whatever bytes
// the request holds.
#include <gtest/gtest.h>

#include <chrono>

#include "cli/cli_ui.h"
#include "cli/strategy_command.h"
#include "core/dates.h"

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

TEST(StrategyJson, CashDividendsAndAnExpiryDatePlaceAPreset) {
    // Haug, Haug and Lewis's call, S = K = 100, r = 6 %, sigma = 30 %, a
    // year, a dividend of 7 at half a year: 11.1062 (spot model), 10.6932
    // (escrowed).
    StrategyRequest r;
    r.preset = "long-call";
    r.spot = "100", r.rate = "6", r.dividend = "0", r.time = "1", r.volatility = "0.3";
    r.dividends = "0.5:7";
    StrategyOutcome o = run_strategy(r);
    ASSERT_EQ(o.status, kExitOk);
    auto j = strategy_json(r, o);
    EXPECT_NEAR(j["legs"][0]["value"].get<double>(), 11.1062, 5e-5);
    EXPECT_EQ(j["inputs"]["dividends"], "0.5:7");
    r.dividend_model = "escrowed";
    o = run_strategy(r);
    ASSERT_EQ(o.status, kExitOk);
    EXPECT_NEAR(strategy_json(r, o)["legs"][0]["value"].get<double>(), 10.6932, 5e-5);

    // A calendar spread to an expiry date: the far leg lives twice as long,
    // the life in years echoed.
    r = StrategyRequest{};
    r.preset = "calendar-spread";
    const auto in_days = [](int days) { return day_text(local_now().day + std::chrono::days{days}); };
    r.expiry = in_days(73);
    o = run_strategy(r);
    ASSERT_EQ(o.status, kExitOk) << (o.messages.empty() ? "" : o.messages[0]);
    j = strategy_json(r, o);
    EXPECT_EQ(j["legs"][0]["time"].get<double>(), 73.0 / 365.0);
    EXPECT_EQ(j["legs"][1]["time"].get<double>(), 2 * (73.0 / 365.0));

    r.time = "0.2";
    EXPECT_EQ(run_strategy(r).status, kExitUsage);
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
