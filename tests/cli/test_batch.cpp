// The batch runner and the full-precision results: order on several
// threads, chunks, simulated rows that replay the window's draws, and the
// JSON figures.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <utility>

#include "cli/batch.h"
#include "cli/commands.h"
#include "cli/report.h"
#include "core/csv_reader.h"
#include "pricing/closed_form.h"

namespace tvx::cli {
namespace {

struct BatchRun {
    int status;
    std::vector<std::string> lines;
    std::string err;
};

BatchRun batch(const std::string& input, BatchSettings settings = {}) {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = run_batch(in, out, err, settings);
    BatchRun r{status, {}, err.str()};
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) r.lines.push_back(line);
    return r;
}

std::vector<std::string> cells(const std::string& line) {
    std::vector<std::string> c;
    std::istringstream in(line);
    for (std::string cell; std::getline(in, cell, ',');) c.push_back(cell);
    if (!line.empty() && line.back() == ',') c.emplace_back();
    return c;
}

TEST(Batch, AHeaderItCannotUseIsAUsageErrorWithAHint) {
    // A slip of a letter or two names the column meant; a word far from
    // every column names none. Every header fault has the usage line under
    // it, and no row runs.
    const struct {
        const char* header;
        const char* message;
    } cases[] = {
        {"command,strik", "tarvenix-cli: batch: unknown column 'strik' (did you mean 'strike'?)\n"},
        {"comand,spot", "tarvenix-cli: batch: unknown column 'comand' (did you mean 'command'?)\n"},
        {"command,colour", "tarvenix-cli: batch: unknown column 'colour'\n"},
        {"command,x", "tarvenix-cli: batch: unknown column 'x'\n"},
        {"spot", "tarvenix-cli: batch: the header has no 'command' column\n"},
        {"command,spot,spot", "tarvenix-cli: batch: the column 'spot' appears more than once\n"},
    };
    for (const auto& c : cases) {
        const BatchRun r = batch(std::string(c.header) + "\noption,60\n");
        EXPECT_EQ(r.status, 64) << c.header;  // the usage status
        EXPECT_TRUE(r.lines.empty()) << c.header;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), c.message);
        EXPECT_EQ(r.err.rfind("Usage: ", r.err.find('\n') + 1), r.err.find('\n') + 1) << c.header;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << c.header;
    }
}

TEST(Batch, RowsComeOutInInputOrderOnEveryThreadAndChunkSize) {
    // Each row's value is the closed form at its own spot: a row written
    // out of order would carry another row's spot.
    std::string input = "command,spot\n";
    for (int i = 1; i <= 3000; ++i) input += "option," + std::to_string(40 + i * 0.01) + "\n";
    // The threads share a chunk's rows from both ends: every row is
    // written once, whether the chunk is a whole number of their shares
    // (64, 4096) or not (7, 100).
    const std::pair<unsigned, std::size_t> runs[] = {{1, 4096}, {2, 4096}, {2, 100}, {2, 64}, {5, 7}};
    for (const auto& [jobs, chunk] : runs) {
        BatchSettings s;
        s.jobs = jobs;
        s.chunk = chunk;
        const BatchRun r = batch(input, s);
        ASSERT_EQ(r.status, 0);
        ASSERT_EQ(r.lines.size(), 3001u);
        for (int i = 1; i <= 3000; ++i) {
            const auto c = cells(r.lines[static_cast<std::size_t>(i)]);
            const double spot = std::stod(c[1]);
            ASSERT_DOUBLE_EQ(spot, 40 + i * 0.01) << "jobs " << jobs << ", chunk " << chunk;
            if (i % 97 == 1) {
                EXPECT_EQ(std::stod(c[2]), solver_euro(0.5, 0.2, 0.045, 64.0, spot, 0.021, 0)) << "jobs " << jobs;
            }
        }
    }
}

TEST(Batch, SimulatedRowsReplayTheSingleCommandsDraws) {
    // Simulations between closed-form rows, on two threads: each gives the
    // single command's value to the bit (the generator is reset for each).
    Request single = default_request(*find_command("option"));
    single.values[static_cast<std::size_t>(field_index(*single.command, "svol"))] = "1";
    single.values[static_cast<std::size_t>(field_index(*single.command, "spot"))] = "61";
    const Outcome alone = run_request(single);
    ASSERT_EQ(alone.status, 0);
    BatchSettings s;
    s.jobs = 2;
    const BatchRun r = batch("command,spot,svol\noption,60,\noption,61,1\noption,62,\noption,61,1\n", s);
    ASSERT_EQ(r.lines.size(), 5u);
    for (const std::size_t row : {2u, 4u}) {
        const auto c = cells(r.lines[row]);
        std::string v;
        append_number(v, alone.figures.at(0).value);
        EXPECT_EQ(c.at(3), v);
        EXPECT_EQ(std::stoi(c.at(c.size() - 3)), alone.simulation->batches);  // batches
    }
}

TEST(Batch, AFailingRowDoesNotStopTheBatchButSetsItsStatus) {
    const BatchRun r = batch("command,spot,time\noption,,\noption,,-1\nbond,,\nnosuch,,\n");
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(r.lines.size(), 5u);
    EXPECT_EQ(cells(r.lines[1]).back(), "0");
    EXPECT_NE(r.lines[2].find("Time to Maturity must be positive,1"), std::string::npos);
    EXPECT_EQ(cells(r.lines[3]).back(), "0");
    EXPECT_NE(r.lines[4].find("unknown command 'nosuch' (line 5),64"), std::string::npos);
}

TEST(Batch, EveryRowIsTheSingleCommandWhateverRowCameBeforeIt) {
    // Rows of two commands share the chunks' slots (chunks of one and two
    // rows): an empty cell takes the default even after a row that gave
    // one, a column the header lacks keeps its default, and a value too
    // large to write to four decimals is the generic error, as alone.
    const char* header[] = {"command", "spot", "strike", "put", "time", "price"};
    const std::vector<std::vector<std::string>> rows = {
        {"option", "60", "64", "0", "1", ""},     {"option", "", "", "1", "", ""},
        {"implied", "60", "64", "1", "2", "9.5"}, {"implied", "", "", "0", "", ""},
        {"option", "1e17", "1e17", "0", "", ""},  {"option", "62", "", "", "0.25", ""},
    };
    std::string input = "command,spot,strike,put,time,price\n";
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) input += (c ? "," : "") + row[c];
        input += "\n";
    }
    const auto column = [](const char* name) {
        const auto& names = result_columns();
        return 6 + static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin());
    };
    for (const std::size_t chunk : {1u, 2u}) {
        BatchSettings s;
        s.jobs = 1;
        s.chunk = chunk;
        const BatchRun r = batch(input, s);
        ASSERT_EQ(r.lines.size(), rows.size() + 1);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            Request alone = default_request(*find_command(rows[i][0]));
            for (std::size_t c = 1; c < rows[i].size(); ++c)
                if (!rows[i][c].empty())
                    alone.values[static_cast<std::size_t>(field_index(*alone.command, header[c]))] = rows[i][c];
            const Outcome o = run_request(alone);
            const auto got = cells(r.lines[i + 1]);
            EXPECT_EQ(got.back(), std::to_string(o.status)) << "row " << i + 1 << ", chunk " << chunk;
            std::string figure;
            if (!o.figures.empty()) append_number(figure, o.figures[0].value);
            EXPECT_EQ(got.at(column(rows[i][0] == "option" ? "value" : "implied_volatility")), figure)
                << "row " << i + 1 << ", chunk " << chunk;
        }
        EXPECT_EQ(cells(r.lines[5]).back(), "2");  // 1e17: beyond four-decimal rounding
    }
}

TEST(Batch, AnUnusableHeaderRunsNoRow) {
    for (const char* input : {"", "spot\noption\n", "command,command\n", "command,\"spot\n", "command,colour\n"}) {
        const BatchRun r = batch(input);
        EXPECT_EQ(r.status, 64) << input;
        EXPECT_TRUE(r.lines.empty()) << input;
        EXPECT_EQ(r.err.rfind("tarvenix-cli: batch: ", 0), 0u) << input;
    }
    const BatchRun flags = batch("command,put\noption,yes\n");
    EXPECT_NE(flags.lines.at(1).find("the column 'put' takes 1 or 0"), std::string::npos);
}

TEST(Json, ResultsAtFullPrecisionAndTheSimulationsStatistics) {
    Request implied = default_request(*find_command("implied"));
    implied.values[static_cast<std::size_t>(field_index(*implied.command, "robust"))] = "1";
    const auto j = json_of(implied, run_request(implied));
    EXPECT_EQ(j["inputs"]["spot"], 60.0);
    EXPECT_EQ(j["inputs"]["robust"], true);
    // The full-precision volatility gives back the price 3.45 to 1e-10.
    const double sigma = j["results"]["implied_volatility"];
    EXPECT_NEAR(solver_euro(0.5, sigma, 0.045, 64.0, 60.0, 0.021, 0), 3.45, 3.45e-10);
    EXPECT_EQ(j["lines"][0], "The implied volatility is 0.2846");
    EXPECT_FALSE(j.contains("simulation"));

    Request sim = default_request(*find_command("option"));
    sim.values[static_cast<std::size_t>(field_index(*sim.command, "srate"))] = "1";
    const auto s = json_of(sim, run_request(sim));
    // Batches of 100 pairs, stopped once the standard error is below 0.05.
    EXPECT_EQ(s["simulation"]["pairs"].get<int>(), 100 * s["simulation"]["batches"].get<int>());
    EXPECT_LT(s["simulation"]["standard_error"].get<double>(), 0.05);
    EXPECT_EQ(s["status"], 0);

    Request bad = default_request(*find_command("warrant"));
    bad.values[0] = "12,5";
    const auto b = json_of(bad, run_request(bad));
    EXPECT_EQ(b["inputs"]["share"], "12,5");  // not a number: kept as typed
    EXPECT_EQ(b["status"], 2);
}

}  // namespace
}  // namespace tvx::cli

namespace tvx::cli {
namespace {

TEST(Batch, AmericanRowsReadTheirMethodAndSayWhichValued) {
    // The defaults as an American put stand on the grid; issue 28's first
    // row does not, and the exercise-boundary method gives its right value
    // (5.4648, an independent high-precision valuation); with the grid forced
    // that row is refused by the bound check (the generic error); the method
    // forced values the defaults; an unknown method is a usage error.
    const BatchRun r = batch(
        "command,american,put,time,volatility,rate,strike,spot,dividend,method\n"
        "option,1,1,,,,,,,\n"
        "option,1,1,19.1,0.097,0.28,5.877,4.366,19.4,\n"
        "option,1,1,19.1,0.097,0.28,5.877,4.366,19.4,grid\n"
        "option,1,1,,,,,,,boundary\n"
        "option,1,1,,,,,,,fast\n"
        "option,,,,,,,,,boundary\n");
    ASSERT_EQ(r.lines.size(), 7u);
    const std::vector<std::string> header = cells(r.lines[0]);
    const auto column = [&](const char* name) {
        return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
    };
    const auto cell = [&](std::size_t row, const char* name) { return cells(r.lines[row]).at(column(name)); };
    EXPECT_EQ(cell(1, "method_used"), "grid");
    EXPECT_EQ(cell(2, "method_used"), "boundary");
    EXPECT_NEAR(std::stod(cell(2, "value")), 5.4648, 5e-5);
    EXPECT_EQ(cell(3, "status"), "2");
    EXPECT_EQ(cell(3, "method_used"), "");
    EXPECT_EQ(cell(4, "method_used"), "boundary");
    EXPECT_NE(r.lines[5].find("\"--method is auto, grid or boundary\",64"), std::string::npos) << r.lines[5];
    // A European row has no method to name.
    EXPECT_EQ(cell(6, "method_used"), "");
    EXPECT_EQ(cell(6, "status"), "0");
}

}  // namespace
}  // namespace tvx::cli
