// The command line as a user types it: bytes that are not UTF-8, empty
// option values, flags, --jobs, and the batch's output file.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_app.h"
#include "support/neural_fixture.h"

namespace tvx::cli {
namespace {

using test::ScratchDir;

constexpr const char* kGeneric = "There has been an error in the program. Please check your input and try again.";
constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

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

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The parse fails on any text that is not well-formed JSON in UTF-8.
nlohmann::json json(const std::string& text) { return nlohmann::json::parse(text); }

TEST(Bytes, AValueThatIsNotUtf8GivesTheGenericErrorAndWellFormedJson) {
    const CliRun r = cli({"option", "--spot", "6\xff", "--json"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, std::string(kGeneric) + "\n");
    const auto j = json(r.out);
    EXPECT_EQ(j["inputs"]["spot"], std::string("6") + kReplacement);
    EXPECT_EQ(j["messages"][0], kGeneric);
    EXPECT_EQ(j["status"], 2);
    // A file name: the file is looked for under its bytes, and not found.
    const CliRun file = cli({"train", "--file", "r\xe9sum\xe9.dat", "--json"});
    EXPECT_EQ(file.status, 1);
    EXPECT_EQ(json(file.out)["inputs"]["file"], std::string("r") + kReplacement + "sum" + kReplacement + ".dat");
}

TEST(Bytes, ABatchGoesOnPastARowThatIsNotUtf8AndKeepsItsBytesInCsv) {
    const std::string input = "command,spot\noption,60\noption,6\xff\noption,62\n\xde\n";
    const CliRun j = cli({"batch", "-", "--format", "json"}, input);
    EXPECT_EQ(j.status, 1);
    const auto rows = lines(j.out);
    ASSERT_EQ(rows.size(), 4u);
    const auto first = json(rows[0]), bad = json(rows[1]), third = json(rows[2]), command = json(rows[3]);
    EXPECT_EQ(first["status"], 0);
    EXPECT_EQ(first["lines"][0], "The option value is 2.0694 dollars");
    EXPECT_EQ(bad["inputs"]["spot"], std::string("6") + kReplacement);
    EXPECT_EQ(bad["messages"][0], kGeneric);
    EXPECT_EQ(bad["status"], 2);
    EXPECT_EQ(bad["row"], 2);
    EXPECT_EQ(third["status"], 0);
    EXPECT_EQ(command["messages"][0], std::string("unknown command '") + kReplacement + "' (line 5)");
    EXPECT_EQ(command["status"], 64);

    // CSV: the cells come out as the bytes that went in.
    const CliRun c = cli({"batch"}, input);
    EXPECT_EQ(c.status, 1);
    const auto csv = lines(c.out);
    ASSERT_EQ(csv.size(), 5u);
    EXPECT_EQ(csv[2].rfind("option,6\xff,", 0), 0u);
    EXPECT_NE(csv[2].find(std::string(",") + kGeneric + ",2"), std::string::npos);
    EXPECT_EQ(csv[4].rfind("\xde,", 0), 0u);
    EXPECT_NE(csv[3].find(",0"), std::string::npos);
    // A header cell: the usage error, no row run.
    const CliRun header = cli({"batch", "--format", "json"}, "command,sp\xf6t\noption,60\n");
    EXPECT_EQ(header.status, 64);
    EXPECT_EQ(header.out, "");
    // The cell's bytes as they came, the likely slip and the usage hint.
    EXPECT_EQ(header.err.rfind("tarvenix-cli: batch: unknown column 'sp\xf6t' (did you mean 'spot'?)\nUsage: ", 0), 0u);
}

TEST(Batch, ALeadingByteOrderMarkIsSkipped) {
    const CliRun r = cli({"batch"},
                         "\xEF\xBB\xBF"
                         "command,spot\noption,60\n");
    EXPECT_EQ(r.status, 0) << r.err;
    const auto csv = lines(r.out);
    ASSERT_EQ(csv.size(), 2u);
    EXPECT_EQ(csv[0].rfind("command,spot,value,", 0), 0u);
    // Only at the very start: elsewhere the bytes are a cell's own.
    EXPECT_EQ(cli({"batch"},
                  "command\n\xEF\xBB\xBF"
                  "option\n")
                  .status,
              1);
}

TEST(Options, AnEmptyValueIsTheEmptyTextNeverTheNextWord) {
    // --spot= before a flag: the spot is empty (the window's generic error),
    // and the flag is read.
    const CliRun r = cli({"option", "--spot=", "--put", "--json"});
    EXPECT_EQ(r.status, 2);
    const auto j = json(r.out);
    EXPECT_EQ(j["inputs"]["spot"], "");
    EXPECT_EQ(j["inputs"]["put"], true);
    // Last on the line: the same, not a missing value.
    const CliRun last = cli({"option", "--rate="});
    EXPECT_EQ(last.status, 2);
    EXPECT_EQ(last.err, std::string(kGeneric) + "\n");
    // An empty file name is the empty text too: no such file.
    EXPECT_EQ(cli({"predict", "--net=", "1"}).status, 1);
    EXPECT_EQ(cli({"batch", "--output="}).status, 64);
}

TEST(Options, AFlagTakesOneOrZeroAsABatchCellDoes) {
    const std::string put = "The option value is 5.2722 dollars\n";
    const std::string call = "The option value is 2.0694 dollars\n";
    EXPECT_EQ(cli({"option", "--put"}).out.substr(0, put.size()), put);
    EXPECT_EQ(cli({"option", "--put=1"}).out.substr(0, put.size()), put);
    EXPECT_EQ(cli({"option", "--put=0"}).out.substr(0, call.size()), call);
    EXPECT_EQ(cli({"option", "--put", "--put=0"}).out.substr(0, call.size()), call);  // the last one
    EXPECT_EQ(cli({"option", "--put="}).out.substr(0, call.size()), call);            // an empty cell
    for (const char* word : {"--put=2", "--put=yes", "--put=true", "--put= 1"}) {
        const CliRun r = cli({"option", word});
        EXPECT_EQ(r.status, 64) << word;
        EXPECT_EQ(lines(r.err).at(0), "tarvenix-cli: the option '--put' takes 1 or 0") << word;
    }
    EXPECT_EQ(cli({"option", "--json=0"}).out.substr(0, call.size()), call);
    EXPECT_EQ(cli({"option", "--json=2"}).status, 64);
    // The batch's rule, for comparison.
    EXPECT_NE(cli({"batch"}, "command,put\noption,2\n").out.find("the column 'put' takes 1 or 0"), std::string::npos);
    // After "--" every word is a value: "--x=" is an input, not an option.
    EXPECT_EQ(cli({"predict", "--net", TVX_CLI_DATA_DIR "/one_node.net", "--", "--x="}).status, 2);
}

TEST(Options, JobsRefusesZeroNegativeAndHugeCountsPlainly) {
    for (const char* jobs : {"0", "-1", "1025", "99999999999999999999", "2x", ""}) {
        const CliRun r = cli({"batch", "--jobs", jobs}, "command\noption\n");
        EXPECT_EQ(r.status, 64) << jobs;
        EXPECT_EQ(lines(r.err).at(0),
                  "tarvenix-cli: --jobs: the number of threads must be a whole number from 1 to 1024")
            << jobs;
        EXPECT_EQ(r.out, "") << jobs;
    }
    EXPECT_EQ(cli({"batch", "--jobs", "3"}, "command\noption\n").status, 0);
}

TEST(BatchOutput, AUsersFileOfAnyNameBesideTheTargetSurvives) {
    ScratchDir dir;
    dir.write_raw("in.csv", "command,spot\noption,60\noption,0\n");
    dir.write_raw("book.csv.part", "a download of the user's");
    dir.write_raw("book.csv", "the old results");
    const CliRun r = cli({"batch", "in.csv", "--output", "book.csv"});
    EXPECT_EQ(r.status, 1);  // the second row fails its check
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(lines(dir.read("book.csv")).size(), 3u);
    EXPECT_EQ(dir.read("book.csv.part"), "a download of the user's");
    auto names = dir.names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"book.csv", "book.csv.part", "in.csv"}));
}

TEST(BatchOutput, TheFileIsCompleteOrAbsent) {
    ScratchDir dir;
    dir.write_raw("bad.csv", "command,colour\noption,red\n");
    dir.write_raw("book.csv", "the old results");
    std::filesystem::create_directory(dir.path() / "folder");
    // An unusable header runs nothing and replaces nothing.
    EXPECT_EQ(cli({"batch", "bad.csv", "--output", "book.csv"}).status, 64);
    EXPECT_EQ(cli({"batch", "bad.csv", "--output", "new.csv"}).status, 64);
    EXPECT_EQ(dir.read("book.csv"), "the old results");
    // A target that cannot be replaced, or made.
    for (const char* target : {"folder", "absent/book.csv"}) {
        const CliRun r = cli({"batch", "--output", target}, "command\noption\n");
        EXPECT_EQ(r.status, 1) << target;
        EXPECT_EQ(r.err, std::string("tarvenix-cli: batch: cannot write ") + target + "\n");
    }
    auto names = dir.names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"bad.csv", "book.csv", "folder"}));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "folder"));
}

}  // namespace
}  // namespace tvx::cli
