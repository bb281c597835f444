// The CSV reader and writer on the forms RFC 4180 allows and the ones it
// does not.
#include <gtest/gtest.h>

#include <sstream>

#include "core/csv_reader.h"

namespace tvx {
namespace {

std::vector<CsvRecord> read_all(const std::string& text) {
    std::istringstream in(text);
    CsvReader reader(in);
    std::vector<CsvRecord> out;
    for (CsvRecord r; reader.next(r);) out.push_back(r);
    return out;
}

using Cells = std::vector<std::string>;

TEST(Csv, QuotedFieldsHoldCommasQuotesAndLineBreaks) {
    const auto rows = read_all("a,\"b,c\",\"say \"\"hi\"\"\"\r\n\"two\nlines\",,x\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].cells, (Cells{"a", "b,c", "say \"hi\""}));
    EXPECT_EQ(rows[1].cells, (Cells{"two\nlines", "", "x"}));
    EXPECT_EQ(rows[1].line, 2u);
    EXPECT_TRUE(rows[0].error.empty() && rows[1].error.empty());
}

TEST(Csv, LineEndsAndEmptyLines) {
    // CR LF, LF, no end on the last line; empty lines are no records, but
    // an empty quoted field is one; the line count goes on across them.
    const auto rows = read_all("a\r\n\r\nb\n\n\"\"\nc");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].cells, Cells{"a"});
    EXPECT_EQ(rows[1].cells, Cells{"b"});
    EXPECT_EQ(rows[1].line, 3u);
    EXPECT_EQ(rows[2].cells, Cells{""});
    EXPECT_EQ(rows[3].cells, Cells{"c"});
    EXPECT_EQ(rows[3].line, 6u);
    EXPECT_EQ(read_all("c")[0].cells, Cells{"c"});
    EXPECT_TRUE(read_all("").empty());
    EXPECT_TRUE(read_all("\n\r\n").empty());
}

TEST(Csv, MalformedRecordsSayWhyAndTheReaderGoesOn) {
    const auto rows = read_all("\"ab\"c,d\nok\n\"open,");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].error, kTextAfterQuote);
    EXPECT_EQ(rows[1].cells, Cells{"ok"});
    EXPECT_TRUE(rows[1].error.empty());
    EXPECT_EQ(rows[2].error, kUnbalancedQuote);
}

TEST(Csv, ALongInputIsReadAcrossTheReadersBlocks) {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "\"row," + std::to_string(i) + "\",x\n";
    const auto rows = read_all(text);
    ASSERT_EQ(rows.size(), 20000u);
    EXPECT_EQ(rows[12345].cells, (Cells{"row,12345", "x"}));
}

TEST(Csv, WrittenFieldsReadBack) {
    std::string line;
    for (const char* cell : {"plain", "a,b", "q\"q", "two\r\nlines", ""}) {
        if (!line.empty()) line += ',';
        append_csv_field(line, cell);
    }
    EXPECT_EQ(line, "plain,\"a,b\",\"q\"\"q\",\"two\r\nlines\",");
    const auto rows = read_all(line + "\n");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].cells, (Cells{"plain", "a,b", "q\"q", "two\r\nlines", ""}));
}

TEST(Csv, NumbersAreTheShortestTextThatReadsBack) {
    for (const double x : {0.1, 1.0 / 3.0, 2.0694000908532430, 1e-300, -5e22, 6.0}) {
        std::string s;
        append_number(s, x);
        EXPECT_EQ(std::stod(s), x) << s;
    }
    std::string s;
    append_number(s, 0.1);
    EXPECT_EQ(s, "0.1");
}

}  // namespace
}  // namespace tvx
