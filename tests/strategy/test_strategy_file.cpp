// The strategy file: what it writes reads back to the same strategy, bit
// for bit; a malformed text is refused with a message that names the leg,
// the key and the line.
#include <gtest/gtest.h>

#include <string>

#include "strategy/strategy_file.h"

namespace tvx::test {
namespace {

bool same_leg(const Leg& a, const Leg& b) {
    return a.side == b.side && a.quantity == b.quantity && a.instrument == b.instrument && a.style == b.style &&
           a.strike == b.strike && a.time == b.time && a.volatility == b.volatility && a.premium == b.premium;
}

TEST(StrategyFile, WhatIsWrittenReadsBackBitForBit) {
    Strategy s;
    s.market = {100.0 / 3.0, 4.5, -0.1};
    s.horizon = 0.1 + 0.2;  // 0.30000000000000004
    s.volatility = 1e-7;
    Leg put;
    put.side = Side::Short;
    put.quantity = 32767;
    put.instrument = Instrument::Put;
    put.style = LegStyle::American;
    put.strike = 90.125;
    put.time = 2.0 / 3.0;
    put.volatility = 0.2;
    put.premium = 1.05;
    Leg share;
    share.instrument = Instrument::Share;  // bought at the spot: no premium
    s.legs = {put, share};

    const StrategyFile back = read_strategy_file(strategy_file_text(s));
    ASSERT_TRUE(back.strategy) << back.error;
    const Strategy& r = *back.strategy;
    EXPECT_EQ(r.market.spot, s.market.spot);
    EXPECT_EQ(r.market.rate, s.market.rate);
    EXPECT_EQ(r.market.dividend, s.market.dividend);
    EXPECT_EQ(r.horizon, s.horizon);
    EXPECT_EQ(r.volatility, s.volatility);
    ASSERT_EQ(r.legs.size(), 2u);
    EXPECT_TRUE(same_leg(r.legs[0], put));
    EXPECT_TRUE(same_leg(r.legs[1], share));
}

TEST(StrategyFile, TheDocumentedExampleReads) {
    const StrategyFile f = read_strategy_file(R"({"spot": 100, "rate": 4.5, "dividend": 0, "horizon": 0.25,
        "legs": [{"position": "short", "quantity": 1, "instrument": "put", "style": "european",
                  "strike": 90, "time": 0.25, "volatility": 0.2, "premium": 1.05},
                 {"position": "long", "quantity": 100, "instrument": "share", "premium": 98.5}]})");
    ASSERT_TRUE(f.strategy) << f.error;
    EXPECT_EQ(f.strategy->market.spot, 100.0);
    EXPECT_EQ(f.strategy->legs[1].quantity, 100);
    EXPECT_EQ(f.strategy->legs[1].premium, 98.5);
    EXPECT_FALSE(f.strategy->volatility);
}

// A sound one-leg document with one line replaced.
std::string document(const std::string& spot_line, const std::string& leg_line) {
    return "{\n" + spot_line + "\n  \"rate\": 4.5, \"dividend\": 2.1,\n  \"legs\": [\n    {\"position\": \"long\",\n" +
           leg_line + "\n     \"instrument\": \"call\", \"style\": \"european\", \"time\": 0.5,\n" +
           "     \"volatility\": 0.2}\n  ]\n}\n";
}
const std::string kSpot = "  \"spot\": 60,";
const std::string kStrike = "     \"quantity\": 1, \"strike\": 64,";

TEST(StrategyFile, MalformedTextIsRefusedWithLegKeyAndLine) {
    ASSERT_TRUE(read_strategy_file(document(kSpot, kStrike)).strategy);
    struct Case {
        std::string text, message;
    };
    const Case cases[] = {
        {document(kSpot, "     \"quantity\": 1, \"strike\": -64,"),
         "Leg 1, key \"strike\", line 6: Strike Price must be positive"},
        {document(kSpot, "     \"quantity\": 1.5, \"strike\": 64,"),
         "Leg 1, key \"quantity\", line 6: Quantity must be a whole number from 1 to 32767"},
        {document(kSpot, "     \"quantity\": 1, \"strik\": 64,"),
         "Leg 1, key \"strik\", line 6: not a key of an option leg"},
        {document(kSpot, "     \"quantity\": 1,"), "Leg 1, line 5: no \"strike\""},
        {document(kSpot, "     \"quantity\": 1, \"strike\": \"64\","), "Leg 1, key \"strike\", line 6: not a number"},
        {document(kSpot, "     \"quantity\": 1, \"strike\": 64, \"strike\": 65,"),
         "Leg 1, key \"strike\", line 6: the key appears twice"},
        {document("  \"spot\": 0,", kStrike), "Key \"spot\", line 2: Spot Price must be positive"},
        {document("  \"spot\": 60, \"horizon\": 0.75,", kStrike),
         "Key \"horizon\", line 2: Horizon must not come after the first expiry"},
        {document("  \"spot\": 60 \"x\": 1,", kStrike),
         "Line 2: not well-formed JSON: syntax error while parsing object - unexpected string literal; expected '}'"},
        {"",
         "Line 1: not well-formed JSON: syntax error while parsing value - unexpected end of input; expected '[', "
         "'{', or a literal"},
        {"[1, 2]", "Line 1: a strategy must be an object"},
        {R"({"spot": 1, "rate": 1, "dividend": 0, "legs": []})", "Key \"legs\", line 1: must hold 1 to 8 legs"},
        {R"({"spot": 1, "rate": 1, "dividend": 0, "legs": [{"position": "long", "quantity": 1,
             "instrument": "share", "strike": 5}]})",
         "Leg 1, key \"strike\", line 2: not a key of a share leg"},
        {R"({"spot": 1, "rate": 1, "dividend": 0, "legs": [{"position": "sideways", "quantity": 1,
             "instrument": "share"}]})",
         "Leg 1, key \"position\", line 1: must be \"long\" or \"short\""},
        {R"({"spot": 1, "rate": 1, "dividend": 0, "legs": [{"position": "long", "quantity": 1, "instrument": "share"}]})",
         "Key \"legs\", line 1: A position of shares alone needs a Horizon and a Spot Volatility"},
    };
    for (const Case& c : cases) {
        const StrategyFile f = read_strategy_file(c.text);
        EXPECT_FALSE(f.strategy) << c.text;
        EXPECT_EQ(f.error, c.message) << c.text;
    }
}

TEST(StrategyFile, NineLegsAreTooMany) {
    std::string legs;
    for (int k = 0; k < 9; ++k)
        legs += std::string(k ? "," : "") + R"({"position": "long", "quantity": 1,
        "instrument": "share"})";
    const StrategyFile f =
        read_strategy_file(R"({"spot": 1, "rate": 1, "dividend": 0, "horizon": 1, "legs": [)" + legs + "]}");
    EXPECT_EQ(f.error, "Key \"legs\", line 1: must hold 1 to 8 legs");
}

TEST(StrategyFile, AnyBytesAtAllEndInAMessage) {
    // Not UTF-8, too deeply nested, a number beyond a double, control bytes.
    for (const std::string& text : {std::string("{\"spot\": \"\xff\xfe\"}"), std::string(200000, '['),
                                    std::string("{\"spot\": 1e400}"), std::string("\0\x01{", 3)}) {
        const StrategyFile f = read_strategy_file(text);
        EXPECT_FALSE(f.strategy);
        EXPECT_EQ(f.error.rfind("Line 1: not well-formed JSON", 0), 0u) << f.error;
    }
}

}  // namespace
}  // namespace tvx::test
