// Reading option chains: the four layouts, each recognised by its header,
// and malformed files refused whole, naming the line and the column.
#include <gtest/gtest.h>

#include <sstream>

#include "smile/chain.h"

namespace tvx {
namespace {

ChainRead read(const std::string& text) {
    std::istringstream in(text);
    return read_chain(in);
}

Date day(int y, int m, int d) { return *make_date(y, m, d); }

TEST(ChainReader, GenericLayoutWithOptionalColumnsAndOneSidedQuotes) {
    const ChainRead r = read(
        "Quote_Date , expiration,strike,option_type,bid,ask,underlying_price,volume,style\n"
        "2024-01-02,2024-03-15,95,call,7.1,7.3,100.5,12,\n"
        "2024-01-02,20240315,95,P,,1.05,100.5,0,american\n"
        "2024-01-02,2024-03-15,105,c,0,0.4,,,E\n");
    ASSERT_TRUE(r.chain) << chain_error_text(r.error);
    const Chain& c = *r.chain;
    EXPECT_EQ(c.layout, ChainLayout::Generic);
    EXPECT_EQ(c.quote_date, day(2024, 1, 2));
    EXPECT_EQ(c.underlying, 100.5);
    ASSERT_EQ(c.quotes.size(), 3u);
    EXPECT_EQ(c.quotes[0].expiry, day(2024, 3, 15));
    EXPECT_TRUE(c.quotes[0].call);
    EXPECT_EQ(c.quotes[0].bid, 7.1);
    EXPECT_FALSE(c.quotes[0].style);
    EXPECT_FALSE(c.quotes[1].call);
    EXPECT_FALSE(c.quotes[1].bid);  // an empty cell: no price, kept
    EXPECT_EQ(c.quotes[1].style, Exercise::American);
    EXPECT_EQ(c.quotes[1].line, 3u);
    EXPECT_EQ(c.quotes[2].bid, 0.0);
    EXPECT_EQ(c.quotes[2].style, Exercise::European);
}

TEST(ChainReader, RecognisedLayouts) {
    // The exchange's end-of-day file: the 15:45 prices before the closing ones.
    const ChainRead exchange = read(
        "underlying_symbol,quote_date,root,expiration,strike,option_type,bid_1545,ask_1545,"
        "active_underlying_price_1545,bid_eod,ask_eod\n"
        "^SPX,2024-01-02,SPXW,2024-01-19,4700,C,60.1,60.9,4742.8,59,61\n");
    ASSERT_TRUE(exchange.chain);
    EXPECT_EQ(exchange.chain->layout, ChainLayout::Exchange);
    EXPECT_EQ(exchange.chain->quotes[0].bid, 60.1);
    EXPECT_EQ(exchange.chain->underlying, 4742.8);

    // The academic layout: strikes in thousandths, dates as digits.
    const ChainRead academic = read(
        "secid,date,exdate,cp_flag,strike_price,best_bid,best_offer\n"
        "108105,20100301,20100320,P,1100000,12.5,13.1\n");
    ASSERT_TRUE(academic.chain);
    EXPECT_EQ(academic.chain->layout, ChainLayout::Academic);
    EXPECT_EQ(academic.chain->quotes[0].strike, 1100.0);
    EXPECT_FALSE(academic.chain->quotes[0].call);
    EXPECT_EQ(academic.chain->quotes[0].expiry, day(2010, 3, 20));
    EXPECT_EQ(academic.chain->quote_date, day(2010, 3, 1));
    EXPECT_FALSE(academic.chain->underlying);

    // The web layout: expiry and type from the contract symbol, no day.
    const ChainRead web = read(
        "contractSymbol,lastTradeDate,strike,lastPrice,bid,ask\n"
        "AAPL240119C00150000,2024-01-02 15:59:58,150,35.2,35.1,35.4\n"
        "AAPL240119P00150000,2024-01-02 15:50:01,150,0.05,0.04,0.06\n");
    ASSERT_TRUE(web.chain);
    EXPECT_EQ(web.chain->layout, ChainLayout::Web);
    EXPECT_EQ(web.chain->quotes[0].expiry, day(2024, 1, 19));
    EXPECT_TRUE(web.chain->quotes[0].call);
    EXPECT_FALSE(web.chain->quotes[1].call);
    EXPECT_FALSE(web.chain->quote_date);
}

// Each malformed file: no chain at all, and the fault's place.
TEST(ChainReader, MalformedFilesAreRefusedWholeNamingLineAndColumn) {
    struct Case {
        const char* text;
        const char* message;
    };
    const std::string header = "quote_date,expiration,strike,option_type,bid,ask\n";
    const std::string good = "2024-01-02,2024-03-15,95,C,7.1,7.3\n";
    const Case cases[] = {
        {"", "line 1: the file is empty"},
        {"expiration,strike,option_type,bid\n", "line 1: the header has no column 'ask'"},
        {"quote_date,expiration,strike,option_type,bid,ask\n", "line 1: the file holds no quotes"},
        {"2024-01-02,2024-03-15,95,C,7.1,7..3\n", "line 3, column 6 (ask): \"7..3\" is not a number"},
        {"2024-01-02,2024-03-15,95,X,7.1,7.3\n",
         "line 3, column 4 (option_type): \"X\" is neither a call (C) nor a put (P)"},
        {"2024-01-02,2024-02-30,95,C,7.1,7.3\n",
         "line 3, column 2 (expiration): \"2024-02-30\" is not a date (2010-03-01 or 20100301)"},
        {"2024-01-02,2024-03-15,0,C,7.1,7.3\n", "line 3, column 3 (strike): a strike must be above 0"},
        {"2024-01-02,2024-03-15,95,C,-1,7.3\n", "line 3, column 5 (bid): a price below 0"},
        {"2024-01-02,2024-03-15,95,C\n", "line 3, column 5 (bid): the line has 4 cells, the header 6"},
        {"2024-01-03,2024-03-15,95,C,7.1,7.3\n",
         "line 3, column 1 (quote_date): a second quote date (2024-01-03 after 2024-01-02): a file holds one day's "
         "chain"},
        {"2024-01-02,2024-03-15,95,C,\"7.1,7.3\n", "line 3: malformed CSV: a quoted field is not closed"},
    };
    for (const Case& c : cases) {
        const std::string text = c.text[0] == '\0' || std::string(c.text).starts_with("expiration") ||
                                         std::string(c.text).starts_with("quote_date")
                                     ? c.text
                                     : header + good + c.text;
        const ChainRead r = read(text);
        EXPECT_FALSE(r.chain) << text;
        EXPECT_EQ(chain_error_text(r.error), c.message) << text;
    }
    const ChainRead symbol = read("contractSymbol,strike,bid,ask\nAAPL2401C00150000,150,1,2\n");
    EXPECT_EQ(chain_error_text(symbol.error),
              "line 2, column 1 (contractsymbol): \"AAPL2401C00150000\" is not a contract symbol (root, YYMMDD, C "
              "or P, strike)");
    EXPECT_EQ(chain_error_text(read_chain_file("/nonexistent/chain.csv").error), "the file cannot be opened");
}

TEST(ChainReader, PublishedGridFileReadsWhole) {
    const ChainRead r = read_chain_file(TVX_SMILE_DATA "/andreasen-huge-2010.csv");
    ASSERT_TRUE(r.chain) << chain_error_text(r.error);
    EXPECT_EQ(r.chain->quotes.size(), 155u);
    EXPECT_EQ(r.chain->underlying, 2772.7);
    EXPECT_EQ(r.chain->quote_date, day(2010, 3, 1));
}

TEST(ChainDates, IsoAndDigitsWithTimesIgnored) {
    EXPECT_EQ(parse_date("2010-03-01"), day(2010, 3, 1));
    EXPECT_EQ(parse_date("2010-03-01T15:45:00"), day(2010, 3, 1));
    EXPECT_EQ(parse_date("20240229"), day(2024, 2, 29));
    EXPECT_FALSE(parse_date("20230229"));
    EXPECT_FALSE(parse_date("2010-3-1"));
    EXPECT_FALSE(parse_date("03/01/2010"));
    EXPECT_EQ(iso_date(day(2010, 3, 1)), "2010-03-01");
    EXPECT_DOUBLE_EQ(years_between(day(2010, 3, 1), day(2011, 3, 1)), 1.0);  // 365 days
}

}  // namespace
}  // namespace tvx
