// The session's history: the terms a command read, the rows' texts, Copy's
// tab-separated lines and the CSV, which reads back with the same figures
// to the last bit, and Save, which writes the whole file or nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/history_window.h"
#include "instruments/bonds.h"
#include "neural/create_window.h"
#include "options/main_window.h"
#include "support/neural_fixture.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

using test::RecordingUi;

TEST(HistoryTerms, TheFieldsACommandReadsByTheirCommandLineNames) {
    StraightBondsWindow bond;
    bond.payment = false;
    EXPECT_EQ(terms_of<StraightBondsWindow>(kBondYieldFields, bond),
              (std::vector<HistoryTerm>{
                  {"par", "1000.0"}, {"coupon", "8.5"}, {"", "Semi-Annual"}, {"time", "3.5"}, {"price", "100.0"}}));

    // The main window: the volatility or the option price, whichever the
    // calculation reads; check boxes only when ticked.
    MainWindow main;
    main.optPrice = false;
    main.optEuro = false;
    main.srate = true;
    const std::vector<HistoryTerm> t = terms_of<MainWindow>(kMainFields, main);
    const auto has = [&t](const HistoryTerm& term) { return std::find(t.begin(), t.end(), term) != t.end(); };
    EXPECT_TRUE(has({"price", "3.45"}));
    EXPECT_FALSE(has({"volatility", "0.2"}));
    EXPECT_TRUE(has({"", "American"}));
    EXPECT_TRUE(has({"", "Implied Volatility"}));
    EXPECT_TRUE(has({"", "Stochastic Interest Rates"}));
    EXPECT_FALSE(has({"", "Stochastic Volatility"}));

    // A choice of three: the third selected.
    CreateWindow create;
    create.Option1 = false;
    create.Option3 = true;
    EXPECT_EQ(terms_of<CreateWindow>(kCreateFields, create).back(), (HistoryTerm{"", "Gradient"}));
}

HistoryRow row(std::string window, std::vector<Figure> figures, std::vector<HistoryTerm> terms = {},
               HistoryExtras extras = {}) {
    return {std::chrono::system_clock::time_point{},
            std::move(window),
            "Compute",
            std::move(terms),
            std::move(figures),
            std::move(extras)};
}

// Every record of a CSV text, header first: fields split at commas, a
// quoted field read to its closing quote with "" for a quote.
std::vector<std::vector<std::string>> read_csv(const std::string& text) {
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& cell = records.back().back();
        if (quoted) {
            if (c != '"') {
                cell += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"', ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            records.back().emplace_back();
        } else if (c == '\n') {
            records.emplace_back(1);
        } else {
            cell += c;
        }
    }
    if (records.back() == std::vector<std::string>(1)) records.pop_back();
    return records;
}

// The cell of a record under the header's column of this name.
std::string at(const std::vector<std::vector<std::string>>& records, std::size_t r, const std::string& column) {
    const auto& header = records.front();
    const auto it = std::find(header.begin(), header.end(), column);
    EXPECT_NE(it, header.end()) << column;
    return it == header.end() ? std::string() : records[r][static_cast<std::size_t>(it - header.begin())];
}

TEST(HistoryTable, CsvReadsBackEveryFigureToTheLastBit) {
    // Numbers whose shortest texts are long, tiny, huge or negative.
    const double third = 1.0 / 3.0, sum = 0.1 + 0.2, tiny = 4.9406564584124654e-324, big = -1.7976931348623157e308;
    HistoryWindow h;
    h.rows.push_back(row("Straight Bonds", {{"fair_value", third}}, {{"par", "1,000"}, {"", "Annual"}}));
    h.rows.push_back(row("Warrants", {{"premium", sum}, {"leverage", tiny}}));
    h.rows.push_back(row("Straight Bonds \"B\"", {{"yield", big}, {"fair_value", 2.5}}));

    const auto records = read_csv(history_csv(h));
    ASSERT_EQ(records.size(), 4u);
    for (const auto& r : records) EXPECT_EQ(r.size(), records.front().size());
    // Newest first.
    EXPECT_EQ(records[1][1], "Straight Bonds \"B\"");
    EXPECT_EQ(at(records, 3, "terms"), "par=1,000, Annual");
    const auto number = [](const std::string& cell) { return std::strtod(cell.c_str(), nullptr); };
    EXPECT_EQ(number(at(records, 1, "yield")), big);
    EXPECT_EQ(number(at(records, 1, "fair_value")), 2.5);
    EXPECT_EQ(at(records, 1, "premium"), "");  // a figure the row does not have
    EXPECT_EQ(number(at(records, 2, "premium")), sum);
    EXPECT_EQ(number(at(records, 2, "leverage")), tiny);
    EXPECT_EQ(number(at(records, 3, "fair_value")), third);
}

// One header whatever the rows: a spreadsheet that reads one saved file
// reads the next. The Exact Values setting, the American method and a
// strategy's texts have their columns; a figure no column knows is kept.
TEST(HistoryTable, TheCsvHasOneHeaderWhateverRowsItHolds) {
    HistoryWindow empty, bonds, mixed;
    keep_row(bonds, row("Straight Bonds", {{"fair_value", 100.0}}), false);
    keep_row(mixed, row("Equity Options", {{"value", 5.2722}}, {}, {"boundary", {}}), true);
    keep_row(mixed,
             row("Strategy Builder", {{"net_premium", -1.75}, {"max_loss", 1.25}}, {},
                 {"", {{"breakevens", "55.2495 64.7505"}, {"max_profit", "unlimited"}}}),
             false);
    keep_row(mixed, row("Somewhere", {{"novel_figure", 3.0}}), false);
    const auto header = [](const HistoryWindow& h) { return read_csv(history_csv(h)).front(); };
    EXPECT_EQ(header(empty), header(bonds));
    EXPECT_EQ(header(empty), header(mixed));
    const std::vector<std::string> names = header(empty);
    const std::vector<std::string> first{names.begin(), names.begin() + 6};
    EXPECT_EQ(first, (std::vector<std::string>{"time", "window", "command", "exact_values", "method", "terms"}));
    EXPECT_EQ(names.back(), "other");

    const auto records = read_csv(history_csv(mixed));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(at(records, 3, "exact_values"), "on");
    EXPECT_EQ(at(records, 3, "method"), "boundary");
    EXPECT_EQ(at(records, 2, "exact_values"), "off");
    EXPECT_EQ(at(records, 2, "breakevens"), "55.2495 64.7505");
    EXPECT_EQ(at(records, 2, "max_profit"), "unlimited");
    EXPECT_EQ(at(records, 2, "max_loss"), "1.25");
    EXPECT_EQ(at(records, 1, "other"), "novel_figure=3");
}

TEST(HistoryTable, CopyTakesTheSelectedRowsAsTabSeparatedLines) {
    HistoryWindow h;
    h.rows.push_back(row("Futures Calculator", {{"forward_value", -1.5}}));
    h.rows.push_back(row("Warrants", {{"premium", 0.25}}, {{"file", "a\tb\nc"}}));
    h.rows.push_back(row("Equity Options", {{"value", 2.0694}}));
    // The window shows the newest first: place 0 is Equity Options.
    const std::vector<std::size_t> picked{1, 2};
    const std::string text = history_tsv(h, picked);
    std::istringstream lines(text);
    std::string header, first, second, extra;
    std::getline(lines, header);
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_FALSE(std::getline(lines, extra));
    // The CSV's columns, with tabs.
    std::string csv_header = history_csv(h).substr(0, history_csv(h).find('\n'));
    std::replace(csv_header.begin(), csv_header.end(), ',', '\t');
    EXPECT_EQ(header, csv_header);
    EXPECT_NE(first.find("\tWarrants\tCompute\toff\t\tfile=a b c\t"), std::string::npos) << first;
    EXPECT_NE(first.find("\t0.25\t"), std::string::npos) << first;
    EXPECT_NE(second.find("\tFutures Calculator\tCompute\toff\t\t\t"), std::string::npos) << second;
    EXPECT_NE(second.find("\t-1.5\t"), std::string::npos) << second;
    // Nothing selected: every row.
    const std::string all = history_tsv(h);
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 4);
}

TEST(HistorySave, WritesTheWholeFileOrLeavesTheOldOne) {
    test::ScratchDir dir;
    HistoryWindow h;
    h.rows.push_back(row("Straight Bonds", {{"yield", 7.023089893679514}}));
    RecordingUi ui;
    ASSERT_TRUE(history_save_csv(h, dir.file("h.csv"), ui));
    EXPECT_EQ(dir.read("h.csv"), history_csv(h));
    EXPECT_EQ(h.note, "1 row saved to " + dir.file("h.csv"));
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(ui.count(test::UiEvent::Kind::Refresh, Window::History), 1);

    // A folder in the way, and a folder that does not exist: the box, the
    // old file untouched, no temporary file left.
    std::filesystem::create_directory(dir.path() / "taken");
    dir.write_raw("taken/inside", "kept");
    for (const std::string& target : {dir.file("taken"), dir.file("absent/h.csv")}) {
        RecordingUi failed;
        EXPECT_FALSE(history_save_csv(h, target, failed));
        ASSERT_EQ(failed.box_texts(), std::vector<std::string>{"The history could not be written to " + target});
        EXPECT_EQ(failed.boxes()[0].icon, Icon::Exclamation);
        EXPECT_TRUE(h.note.empty());
    }
    EXPECT_EQ(dir.read("taken/inside"), "kept");
    std::vector<std::string> names = dir.names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"h.csv", "taken"}));
}

TEST(HistoryRecord, RowsAreStampedWithTheTimeTheyCameIn) {
    RecordingUi ui;
    const auto before = std::chrono::system_clock::now();
    record_result(ui, "Warrants", "Compute", {{"share", "12.0"}}, {{"leverage", 6.0}});
    ASSERT_EQ(ui.history.size(), 1u);
    EXPECT_GE(ui.history[0].time, before);
    EXPECT_LE(ui.history[0].time, std::chrono::system_clock::now());
    EXPECT_EQ(figures_text(ui.history[0]), "leverage=6");
    EXPECT_EQ(time_of_day_text(ui.history[0].time).size(), 8u);  // 14:03:27
    EXPECT_EQ(date_time_text(ui.history[0].time).size(), 19u);   // 2025-03-01 14:03:27
}

}  // namespace
}  // namespace tvx
