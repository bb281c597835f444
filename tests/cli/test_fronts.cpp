// The two fronts on every golden case: each case's arguments are put into
// the window's own model by hand, the window's command runs through the
// recording interface, and its lines must be the lines the golden file
// expects of the command line (usage errors and batches have no window).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "calculators/calculators.h"
#include "cli/commands.h"
#include "cli/window_command.h"
#include "instruments/bonds.h"
#include "instruments/convertible.h"
#include "instruments/futures.h"
#include "instruments/warrants.h"
#include "neural/create_window.h"
#include "neural/predict_window.h"
#include "options/compute.h"
#include "smile/smile_commands.h"
#include "strategy/presets.h"
#include "strategy/results_lines.h"
#include "strategy/strategy_commands.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

namespace fs = std::filesystem;

struct GoldenCase {
    std::string file;
    int line = 0;
    std::vector<std::string> words;
    std::vector<std::string> out, err;
    int status = 0;
};

// Words split at blanks; "" is an empty word.
std::vector<std::string> split_words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> w;) words.push_back(w == "\"\"" ? std::string() : w);
    return words;
}

std::vector<GoldenCase> golden_cases() {
    std::vector<GoldenCase> cases;
    for (const auto& entry : fs::directory_iterator(TVX_CLI_GOLDEN_DIR)) {
        std::ifstream in(entry.path());
        GoldenCase c;
        int number = 0;
        for (std::string line; std::getline(in, line);) {
            ++number;
            if (line.rfind("$", 0) == 0) {
                c = GoldenCase{entry.path().filename().string(), number, split_words(line.substr(1)), {}, {}, 0};
            } else if (line.rfind("> ", 0) == 0) {
                c.out.push_back(line.substr(2));
            } else if (line.rfind("! ", 0) == 0) {
                c.err.push_back(line.substr(2));
            } else if (line.rfind("= ", 0) == 0) {
                c.status = std::stoi(line.substr(2));
                cases.push_back(c);
            }
        }
    }
    return cases;
}

// Options and their values; the bare arguments in order.
struct Args {
    std::map<std::string, std::string> options;
    std::vector<std::string> bare;
    bool has(const std::string& name) const { return options.count(name) > 0; }
};

// The options that stand alone: every flag of every command.
std::vector<std::string> flags() {
    std::vector<std::string> names;
    for (const auto& c : cli::commands())
        for (const auto& f : c.fields)
            if (f.kind == cli::FieldKind::Flag) names.push_back(cli::option_name(f.name).substr(2));
    return names;
}

Args parse_args(const std::vector<std::string>& words) {
    static const std::vector<std::string> kFlags = flags();
    Args a;
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (words[i].rfind("--", 0) != 0) {
            a.bare.push_back(words[i]);
            continue;
        }
        const std::string name = words[i].substr(2);
        const bool flag = std::find(kFlags.begin(), kFlags.end(), name) != kFlags.end();
        a.options[name] = flag ? "1" : words.at(++i);
    }
    return a;
}

// The options given, into the window's model through its field table.
template <class Model>
void set(const Args& a, FieldTable<Model> table, Model& m) {
    for_each_option(table, m, [&](const Field<Model>& f, const ChoiceButton* button) {
        const std::string name = cli::option_name(button ? button->option : f.option).substr(2);
        if (a.has(name)) set_option(f, button, a.options.at(name), m);
    });
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (const char ch : text) {
        if (ch == '\r') {
            lines.push_back(line);
            line.clear();
        } else {
            line += ch;
        }
    }
    if (!line.empty() || lines.empty()) lines.push_back(line);
    return lines;
}

struct WindowLines {
    std::vector<std::string> out, err;
};

WindowLines lines_of(const test::RecordingUi& ui) {
    WindowLines w;
    for (const auto& box : ui.boxes())
        for (const auto& line : lines_of(box.text)) (box.icon == Icon::None ? w.out : w.err).push_back(line);
    return w;
}

WindowLines run_main_window(const Args& a, bool implied) {
    MainWindow m;
    Form_Load(m);
    m.optPrice = !implied;
    set<MainWindow>(a, kMainFields, m);
    set<MainWindow>(a, kMainDividendFields, m);
    set<ExpiryDate>(a, kExpiryFields, m.dates);
    test::RecordingUi dates_ui;
    if (!m.dates.expiry.empty() && !Expiry_Change(m, dates_ui, local_now())) return lines_of(dates_ui);
    OutputWindow out;
    Pacifier pac;
    test::RecordingUi ui;
    ComputeOptions options;
    options.robust_search = a.has("robust");
    if (a.has("exact")) m.precision = Precision::Exact;  // Advanced > Exact Values
    // The window's rule, unless the command line forces a method.
    const auto method = a.options.find("method");
    if (method != a.options.end() && method->second == "grid") options.american_method = AmericanMethod::Grid;
    if (method != a.options.end() && method->second == "boundary") options.american_method = AmericanMethod::Boundary;
    cmdCompute_Click(m, out, pac, ui, options);
    WindowLines w = lines_of(ui);
    if (ui.shown(Window::Output)) w.out = {out.Label1, out.Label2, out.Label3, out.Label4, out.Label5, out.Label6};
    if (ui.shown(Window::Output) && !out.Method.empty()) w.out.push_back(out.Method);
    if (ui.shown(Window::Output) && !out.Exact.empty()) w.out.push_back(out.Exact);
    if (ui.shown(Window::Output) && !out.Dividends.empty()) w.out.push_back(out.Dividends);
    return w;
}

// A calculator of the list whose command is Compute alone.
std::optional<WindowLines> run_calculator(const std::string& command, const Args& a) {
    std::optional<WindowLines> lines;
    for_each_calculator([&](const auto& entry) {
        if (command != entry.command) return;
        typename std::remove_cvref_t<decltype(entry)>::Model w;
        set(a, entry.tables->fields, w);
        test::RecordingUi ui;
        entry.compute(w, ui, nullptr, {});
        lines = lines_of(ui);
    });
    return lines;
}

// The strategy window: a file opened or a preset chosen, the market terms
// typed over; its lines and one for each leg.
WindowLines run_strategy_window(const Args& a) {
    StrategyWindow w;
    test::RecordingUi ui;
    const auto text = [&](const char* name) { return a.has(name) ? a.options.at(name) : std::string(); };
    if (!a.bare.empty() && !strategy_read_file(w, ui, a.bare[0])) return lines_of(ui);
    set<StrategyWindow>(a, strategy_fields(), w);
    if (a.bare.empty()) {
        MainWindow main;
        if (a.has("time")) main.time = text("time");
        if (a.has("volatility")) main.qqq = text("volatility");
        main.optEuro = !a.has("american");
        const int preset = static_cast<int>(preset_named(text("preset")) - presets().data());
        strategy_preset(w, main, ui, preset, {text("strike"), text("width")});
    } else {
        strategy_compute(w, ui);
    }
    WindowLines lines = lines_of(ui);
    if (w.report && ui.boxes().empty()) {
        lines.out = w.lines;
        for (std::size_t k = 0; k < w.report->figures.legs.size(); ++k)
            lines.out.push_back(leg_line(w.report->figures.legs[k], k));
    }
    return lines;
}

// The Volatility Smile window: the chain opened and fitted with the
// terms typed; its report's lines.
WindowLines run_smile_window(const Args& a) {
    SmileWindow w;
    set<SmileWindow>(a, kSmileFields, w);
    w.svi = !a.has("fit") || a.options.at("fit") != "ssvi";
    test::RecordingUi ui;
    smile_open(w, ui, a.bare.at(0));
    WindowLines lines = lines_of(ui);
    if (ui.boxes().empty()) lines.out = w.lines;
    return lines;
}

// The straight bond's window: Yield for a price, then Risk when asked for
// (the command line stops after a failed Yield), else Compute.
WindowLines run_bond(const Args& a) {
    StraightBondsWindow w;
    set<StraightBondsWindow>(a, kStraightBondsFields, w);
    test::RecordingUi ui;
    if (!a.has("price") && !a.has("risk")) Command1_Click(w, ui);
    if (a.has("price")) cmdYield_Click(w, ui);
    const auto failed = [&ui] {
        const auto boxes = ui.boxes();
        return std::any_of(boxes.begin(), boxes.end(), [](const test::UiEvent& b) { return b.icon != Icon::None; });
    };
    if (a.has("risk") && !failed()) cmdRisk_Click(w, ui);
    return lines_of(ui);
}

WindowLines run_convertible(const Args& a) {
    ConvertibleBondsWindow w;
    set<ConvertibleBondsWindow>(a, kConvertibleBondsFields, w);
    test::RecordingUi ui;
    const Precision precision = a.has("exact") ? Precision::Exact : Precision::Standard;
    if (a.has("analytics")) {
        cmdAnalytics_Click(w, ui, nullptr, precision);
    } else {
        Command1_Click(w, ui, nullptr, precision);
    }
    return lines_of(ui);
}

WindowLines run_window(const std::string& command, const Args& a) {
    if (command == "strategy") return run_strategy_window(a);
    if (command == "smile") return run_smile_window(a);
    if (command == "option" || command == "implied") return run_main_window(a, command == "implied");
    if (command == "bond") return run_bond(a);
    if (command == "convertible") return run_convertible(a);
    if (auto lines = run_calculator(command, a)) return *lines;
    if (command == "predict") {
        PredictWindow w;
        for (std::size_t i = 0; i < a.bare.size(); ++i) w.Text[i] = a.bare[i];
        test::RecordingUi ui;
        ui.input_answers.push_back(a.options.at("net"));
        Command1_Click(w, ui);
        return lines_of(ui);
    }
    CreateWindow w;  // train
    set<CreateWindow>(a, kCreateFields, w);
    Pmeter pmeter;
    test::RecordingUi ui;
    Command1_Click(w, pmeter, ui);
    return lines_of(ui);
}

bool matches(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
    if (expected.size() != actual.size()) return false;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string& e = expected[i];
        if (e.rfind("~", 0) == 0 ? !std::regex_match(actual[i], std::regex(e.substr(1))) : e != actual[i]) return false;
    }
    return true;
}

TEST(Fronts, EveryGoldenCaseGivesTheWindowsTexts) {
    const fs::path scratch = fs::temp_directory_path() / ("tvx-fronts-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    fs::copy(TVX_CLI_DATA_DIR, scratch, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    const fs::path before = fs::current_path();
    fs::current_path(scratch);
    auto cases = golden_cases();
    // The files' own order matters within a file (a training writes the
    // net a later case reads).
    std::stable_sort(cases.begin(), cases.end(), [](const auto& x, const auto& y) { return x.file < y.file; });
    int compared = 0;
    for (const GoldenCase& c : cases) {
        if (c.status == 64 || c.words.empty() || c.words[0] == "batch") continue;
        // The check of a given slice belongs to the command line alone, as
        // does the JSON of a fitted chain.
        const auto has = [&c](const char* word) {
            return std::find(c.words.begin(), c.words.end(), word) != c.words.end();
        };
        if (c.words[0] == "smile" && (has("--svi") || has("--json"))) continue;
        const WindowLines w = run_window(c.words[0], parse_args(c.words));
        const auto joined = [](const std::vector<std::string>& v) {
            std::string s;
            for (const auto& l : v) s += "\n  " + l;
            return s;
        };
        EXPECT_TRUE(matches(c.out, w.out)) << c.file << ":" << c.line << joined(w.out);
        EXPECT_TRUE(matches(c.err, w.err)) << c.file << ":" << c.line << joined(w.err);
        ++compared;
    }
    fs::current_path(before);
    fs::remove_all(scratch);
    EXPECT_GE(compared, 40);
}

}  // namespace
}  // namespace tvx
