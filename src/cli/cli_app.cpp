#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <exception>
#include <fstream>
#include <utility>

#include "cli/batch.h"
#include "cli/cli_ui.h"
#include "cli/report.h"
#include "cli/smile_command.h"
#include "cli/strategy_command.h"
#include "cli/window_command.h"
#include "core/fault.h"
#include "core/replacing_file.h"
#include "neural/files.h"

#ifndef TVX_VERSION
#define TVX_VERSION "0"
#endif

namespace tvx::cli {

namespace {

constexpr const char* kFooter =
    "Numbers are read as the windows read them: a point for decimals, whatever the locale.\n"
    "A flag may be followed by =1 or =0 (set or not), as a batch's cells are 1 or 0.\n"
    "Exit status: 0 success; 1 the command ended with one of its own messages (validation,\n"
    "search failure, a file message; in a batch, some row did not succeed); 2 the generic error;\n"
    "64 a usage error (unknown command or option, a missing value).";
constexpr const char* kUsageHint =
    "Usage: tarvenix-cli COMMAND [OPTIONS]; see tarvenix-cli --help or tarvenix-cli COMMAND --help\n";

// One command's options, bound to the request they fill.
struct Single {
    const CommandSpec* spec = nullptr;
    CLI::App* app = nullptr;
    Request request;
    std::vector<std::string> inputs;                          // positional values
    std::vector<std::pair<std::size_t, CLI::Option*>> flags;  // the field each sets
    bool json = false;
};

// The first field given as a bare argument (the fields' count when none is).
std::size_t first_positional(const CommandSpec& spec) {
    std::size_t k = 0;
    while (k < spec.fields.size() && spec.fields[k].kind != FieldKind::Positional) ++k;
    return k;
}

void bind(Single& s) {
    const auto& fields = s.spec->fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        if (f.kind == FieldKind::Flag) {
            s.flags.emplace_back(i, s.app->add_flag(option_name(f.name), f.help));
        } else if (f.kind != FieldKind::Positional) {
            s.app->add_option(option_name(f.name), s.request.values[i], f.help)
                ->capture_default_str()
                ->type_name(!f.value_name.empty()         ? f.value_name
                            : f.kind == FieldKind::Text   ? "FILE"
                            : f.kind == FieldKind::Choice ? "WORD"
                                                          : "NUMBER");
        }
    }
    if (first_positional(*s.spec) < fields.size())
        s.app->add_option("values", s.inputs, "Input values, node 1 first (at most 10; missing ones are 0.0)")
            ->expected(1, 10)
            ->type_name("NUMBER");
    s.app->add_flag("--json", s.json, "Print one JSON object: the inputs, every result at full precision, messages");
}

// The flags and the bare values into the request. A flag's last word
// decides: bare or =1 sets it, =0 leaves it off (the words were checked
// before CLI11 read them).
void fill_request(Single& s) {
    for (const auto& [field, option] : s.flags)
        if (!option->results().empty()) s.request.values[field] = option->results().back() == "0" ? "0" : "1";
    const std::size_t first = first_positional(*s.spec);
    for (std::size_t k = 0; k < s.inputs.size(); ++k) s.request.values[first + k] = s.inputs[k];
}

bool is_flag(const CommandSpec* spec, const std::string& option) {
    if (option == "--json") return spec != nullptr;
    if (!spec) return false;
    return std::any_of(spec->fields.begin(), spec->fields.end(), [&option](const Field& f) {
        return f.kind == FieldKind::Flag && option_name(f.name) == option;
    });
}

// The words as CLI11 is to read them. "--name=" with nothing after the sign
// is the empty text (CLI11 would take the next word for the value); a
// flag's "--name=VALUE" takes 1 or 0, nothing being 0, as a batch's cells
// do. A flag given any other value sets `error`.
std::vector<std::string> normalised(const std::vector<std::string>& words, std::string& error) {
    const CommandSpec* spec = words.empty() ? nullptr : find_command(words[0]);
    std::vector<std::string> out;
    out.reserve(words.size() + 1);
    bool options = true;  // until "--", after which every word is a value
    for (std::size_t k = 0; k < words.size(); ++k) {
        const std::string& word = words[k];
        const std::size_t sign = word.find('=');
        if (word == "--") options = false;
        if (k == 0 || !options || word.rfind("--", 0) != 0 || sign == std::string::npos) {
            out.push_back(word);
            continue;
        }
        const std::string name = word.substr(0, sign);
        const std::string value = word.substr(sign + 1);
        if (is_flag(spec, name)) {
            if (!value.empty() && !flag_value(value)) {
                error = "the option '" + name + "' takes 1 or 0";
                return {};
            }
            out.push_back(name + "=" + (value.empty() ? "0" : value));
        } else if (value.empty()) {
            out.push_back(name);
            out.emplace_back();
        } else {
            out.push_back(word);
        }
    }
    return out;
}

int run_single(Single& s, std::ostream& out, std::ostream& err) {
    s.request.interactive = true;
    const Outcome o = run_request(s.request);
    for (const auto& line : message_lines(o)) err << line << '\n';
    if (s.json) {
        out << json_text(json_of(s.request, o), 2) << '\n';
    } else {
        for (const auto& line : o.lines) out << line << '\n';
    }
    return o.status;
}

struct BatchArgs {
    std::string file = "-";
    std::optional<std::string> output;
    std::string format = "csv";
    std::string jobs;  // checked by kThreads
};

const CLI::Validator kThreads(
    [](std::string& text) -> std::string {
        unsigned n = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
        const bool whole = !text.empty() && ec == std::errc() && end == text.data() + text.size();
        if (whole && n >= 1 && n <= kMaxJobs) return {};
        return "the number of threads must be a whole number from 1 to " + std::to_string(kMaxJobs);
    },
    "");
const CLI::Validator kFileName([](std::string& text) -> std::string { return text.empty() ? "no file name" : ""; }, "");

int run_batch_command(const BatchArgs& a, std::istream& in, std::ostream& out, std::ostream& err) {
    std::ifstream file;
    std::istream* input = &in;
    if (a.file != "-") {
        file.open(a.file, std::ios::binary);
        if (!file) {
            err << kFileNotFound << '\n';
            return kExitMessage;
        }
        input = &file;
    }
    BatchSettings settings;
    settings.json = a.format == "json";
    if (!a.jobs.empty()) std::from_chars(a.jobs.data(), a.jobs.data() + a.jobs.size(), settings.jobs);
    if (!a.output) return run_batch(*input, out, err, settings);
    // The rows go to a file the program makes itself beside the target and
    // that replaces it once complete: a failed run leaves no half-written
    // file, and no file of the user's but the target is ever touched.
    try {
        ReplacingFile target(*a.output);
        const int status = run_batch(*input, target.stream(), err, settings);
        if (status != kExitUsage) target.commit();  // an unusable header writes nothing
        return status;
    } catch (const RuntimeError&) {
        err << "tarvenix-cli: batch: cannot write " << *a.output << '\n';
        return kExitMessage;
    }
}

// A positional that takes several values shows as "[values...]" in the
// usage line, not with a count of the values it needs at least.
class UsageFormatter : public CLI::Formatter {
public:
    std::string make_option_usage(const CLI::Option* opt) const override {
        if (opt->get_expected_max() <= 1) return CLI::Formatter::make_option_usage(opt);
        const std::string usage = make_option_name(opt, true) + "...";
        return opt->get_required() ? usage : "[" + usage + "]";
    }
};

}  // namespace

struct CommandLine::Parts {
    CLI::App app{"Tarvenix on the command line: the calculators of the program, one at a time or a CSV file of them.",
                 "tarvenix-cli"};
    std::vector<std::unique_ptr<Single>> singles;
    BatchArgs batch;
    CLI::App* batch_app = nullptr;
    StrategyRequest strategy;
    CLI::App* strategy_app = nullptr;
    SmileRequest smile;
    CLI::App* smile_app = nullptr;
    Single* chosen = nullptr;

    Parts();
    void add_batch();
};

CommandLine::Parts::Parts() {
    app.set_version_flag("--version", std::string("tarvenix-cli ") + TVX_VERSION);
    app.require_subcommand(1);
    app.footer(kFooter);
    app.formatter(std::make_shared<UsageFormatter>());  // the commands inherit it
    for (const auto& spec : commands()) {
        auto s = std::make_unique<Single>();
        s->spec = &spec;
        s->request = default_request(spec);
        s->app = app.add_subcommand(spec.name, spec.summary);
        bind(*s);
        singles.push_back(std::move(s));
    }
    add_batch();
    strategy_app = add_strategy_command(app, strategy);
    smile_app = add_smile_command(app, smile);
}

void CommandLine::Parts::add_batch() {
    batch_app = app.add_subcommand(
        "batch", "Run one command a row of a CSV file (header row; column 'command', the others named as the options)");
    batch_app->add_option("file", batch.file, "CSV input; standard input when absent or -")->type_name("FILE");
    batch_app->add_option("--output", batch.output, "Write the results to this file instead of standard output")
        ->type_name("FILE")
        ->check(kFileName);
    batch_app->add_option("--format", batch.format, "csv or json (one object a line)")
        ->check(CLI::IsMember({"csv", "json"}))
        ->capture_default_str();
    batch_app->add_option("--jobs", batch.jobs, "Threads (default: all processors)")->type_name("N")->check(kThreads);
}

CommandLine::CommandLine() : parts_(std::make_unique<Parts>()) {}
CommandLine::~CommandLine() = default;

std::optional<int> CommandLine::parse(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    Parts& p = *parts_;
    const auto usage = [&err](const std::string& message) {
        err << "tarvenix-cli: " << message << '\n' << kUsageHint;
        return kExitUsage;
    };
    std::string error;
    std::vector<std::string> args = normalised(words, error);
    if (!error.empty()) return usage(error);
    // CLI11 would take an unknown command for a stray argument.
    if (!words.empty() && (words[0].empty() || words[0][0] != '-') && !find_command(words[0]) && words[0] != "batch" &&
        words[0] != "strategy" && words[0] != "smile")
        return usage("unknown command '" + words[0] + "'");
    std::reverse(args.begin(), args.end());
    try {
        p.app.parse(args);
    } catch (const CLI::Success& e) {
        return p.app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        return usage(e.what());
    }
    if (p.batch_app->parsed()) return std::nullopt;
    if (p.strategy_app->parsed()) {
        if (std::optional<std::string> problem = strategy_usage_error(p.strategy)) return usage(*problem);
        return std::nullopt;
    }
    if (p.smile_app->parsed()) {
        if (std::optional<std::string> problem = smile_usage_error(p.smile)) return usage(*problem);
        return std::nullopt;
    }
    for (auto& s : p.singles) {
        if (!s->app->parsed()) continue;
        fill_request(*s);
        p.chosen = s.get();
        return std::nullopt;
    }
    return kExitUsage;
}

const Request* CommandLine::request() const { return parts_->chosen ? &parts_->chosen->request : nullptr; }

int CommandLine::run(std::istream& in, std::ostream& out, std::ostream& err) {
    Parts& p = *parts_;
    if (p.chosen) return run_single(*p.chosen, out, err);
    if (p.batch_app->parsed()) return run_batch_command(p.batch, in, out, err);
    if (p.strategy_app->parsed()) return print_strategy(p.strategy, run_strategy(p.strategy), out, err);
    if (p.smile_app->parsed()) return run_smile(p.smile, out, err);
    return kExitUsage;
}

int run_cli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err) {
    try {
        const std::vector<std::string> words(argv + std::min(argc, 1), argv + argc);
        CommandLine line;
        if (const std::optional<int> status = line.parse(words, out, err)) return *status;
        return line.run(in, out, err);
    } catch (const std::exception&) {
        // What escapes a command: memory running out, no thread to start.
        err << kGenericError << '\n';
        return kExitError;
    }
}

}  // namespace tvx::cli
