// Expiry dates and cash dividends on the command line and in batches: an
// expiry date alone on Actual/365 Fixed gives the very double of the days
// typed as years, the JSON echoes the life it used, a time of day counts
// the hours, and the batch's columns are the options.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_app.h"
#include "core/numbers.h"

namespace tvx::cli {
namespace {

struct CliRun {
    int status;
    std::string out, err;
};

CliRun cli(std::vector<std::string> words, const std::string& input = "") {
    words.insert(words.begin(), "tarvenix-cli");
    std::vector<const char*> argv;
    for (const auto& w : words) argv.push_back(w.c_str());
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = run_cli(static_cast<int>(argv.size()), argv.data(), in, out, err);
    return {status, out.str(), err.str()};
}

TEST(ExpiryDates, ADateAloneIsTheSameDoubleAsTheDaysTypedAsYears) {
    // 2027-01-01 to 2027-06-18: 168 days.
    const std::string years = exact_text(168.0 / 365.0);
    // The implied volatility of a price of 5 for the American put.
    for (const std::string command : {"option", "implied"}) {
        std::vector<std::string> words{command, "--american", "--put", "--dividends", "0.2:1", "--json"};
        if (command == "implied") words.insert(words.end(), {"--price", "5"});
        std::vector<std::string> dated_words = words, typed_words = words;
        dated_words.insert(dated_words.end(), {"--valuation-date", "2027-01-01", "--expiry", "2027-06-18"});
        typed_words.insert(typed_words.end(), {"--time", years});
        const CliRun dated = cli(dated_words), typed = cli(typed_words);
        ASSERT_EQ(dated.status, 0) << dated.err;
        const auto d = nlohmann::json::parse(dated.out), t = nlohmann::json::parse(typed.out);
        EXPECT_EQ(d["results"], t["results"]) << command;  // every figure to the last bit
        EXPECT_EQ(d["lines"], t["lines"]);
        EXPECT_EQ(d["life_years"].get<double>(), 168.0 / 365.0);
        EXPECT_FALSE(t.contains("life_years"));
    }
    // Actual/360 and business days over 252: the fractions counted by hand
    // (2027-06-18 is a Friday; to Friday 2027-07-02 ten weekdays).
    const auto life = [](std::vector<std::string> words) {
        words.insert(words.begin(), "forward");
        words.push_back("--json");
        return nlohmann::json::parse(cli(words).out)["life_years"].get<double>();
    };
    EXPECT_EQ(life({"--valuation-date", "2027-01-01", "--expiry", "2027-06-18", "--day-count", "act360"}),
              168.0 / 360.0);
    EXPECT_EQ(life({"--valuation-date", "2027-06-18", "--expiry", "2027-07-02", "--day-count", "bus252"}),
              10.0 / 252.0);
}

TEST(ExpiryDates, ATimeOfDayCountsTheHoursLeft) {
    const CliRun r = cli({"option", "--valuation-date", "2027-06-18T09:30", "--expiry", "2027-06-18T16:00", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_DOUBLE_EQ(nlohmann::json::parse(r.out)["life_years"].get<double>(), 6.5 / 24.0 / 365.0);
    // Valued now: an expiry later today with its time counts what is left;
    // tomorrow's without one counts a whole day.
    const CliRun later = cli({"option", "--expiry", "2100-01-01T16:00", "--json"});
    EXPECT_EQ(later.status, 0) << later.err;
}

TEST(ExpiryDates, BatchColumnsAreTheOptionsAndTheScheduleIsOneQuotedCell) {
    const std::string input =
        "command,spot,strike,rate,dividend,volatility,time,dividends,dividend_model,expiry,valuation_date,day_count\n"
        "option,100,100,6,0,0.3,1,0.5:7,,,,\n"
        "option,100,100,6,0,0.3,,\"0.5:7\",escrowed,2028-01-01,2027-01-01,act365f\n"
        "option,100,100,6,0,0.3,1,0.5:7,cash,,,\n";
    const CliRun r = cli({"batch", "-", "--format", "json", "--jobs", "1"}, input);
    std::istringstream rows(r.out);
    std::vector<nlohmann::json> j;
    for (std::string line; std::getline(rows, line);) j.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(j.size(), 3u);
    EXPECT_NEAR(j[0]["results"]["value"].get<double>(), 11.1062, 5e-5);
    // 2027-01-01 to 2028-01-01 is 365 days: one year, the escrowed value.
    EXPECT_EQ(j[1]["life_years"].get<double>(), 1.0);
    EXPECT_NEAR(j[1]["results"]["value"].get<double>(), 10.6932, 5e-5);
    EXPECT_EQ(j[2]["status"], 1);
    EXPECT_EQ(j[2]["messages"][0], "The dividend model must be spot or escrowed");
    EXPECT_EQ(r.status, 1);
}

}  // namespace
}  // namespace tvx::cli
