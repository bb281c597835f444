#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "cli/report.h"
#include "cli/strategy_command.h"
#include "cli/window_command.h"
#include "neural/files.h"

#ifndef TVX_VERSION
#define TVX_VERSION "0"
#endif

namespace tvx::cli {

namespace {

constexpr const char* kFooter =
    "Numbers are read as the windows read them: a point for decimals, whatever the locale.\n"
    "Exit status: 0 success; 1 the command ended with one of its own messages (validation,\n"
    "search failure, a file message; in a batch, some row did not succeed); 2 the generic error;\n"
    "64 a usage error (unknown command or option, a missing value).";

// One command's options, bound to the request they fill.
struct Single {
    const CommandSpec* spec = nullptr;
    CLI::App* app = nullptr;
    Request request;
    std::vector<std::string> inputs;  // positional values
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
            s.app->add_flag_callback(
                option_name(f.name), [&s, i] { s.request.values[i] = "1"; }, f.help);
        } else if (f.kind != FieldKind::Positional) {
            s.app->add_option(option_name(f.name), s.request.values[i], f.help)
                ->capture_default_str()
                ->type_name(f.kind == FieldKind::Text     ? "FILE"
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

int run_single(Single& s) {
    const std::size_t first = first_positional(*s.spec);
    for (std::size_t k = 0; k < s.inputs.size(); ++k) s.request.values[first + k] = s.inputs[k];
    s.request.interactive = true;
    const Outcome o = run_request(s.request);
    for (const auto& line : message_lines(o)) std::cerr << line << '\n';
    if (s.json) {
        std::cout << json_of(s.request, o).dump(2) << '\n';
    } else {
        for (const auto& line : o.lines) std::cout << line << '\n';
    }
    return o.status;
}

struct BatchArgs {
    std::string file = "-";
    std::string output;
    std::string format = "csv";
    unsigned jobs = 0;
};

int run_batch_command(const BatchArgs& a) {
    std::ifstream file;
    std::istream* in = &std::cin;
    if (a.file != "-") {
        file.open(a.file, std::ios::binary);
        if (!file) {
            std::cerr << kFileNotFound << '\n';
            return kExitMessage;
        }
        in = &file;
    }
    BatchSettings settings;
    settings.json = a.format == "json";
    settings.jobs = a.jobs;
    if (a.output.empty()) return run_batch(*in, std::cout, std::cerr, settings);
    // Written beside the target and moved over it once complete: a failed
    // run never leaves half a file under the name asked for.
    const std::string part = a.output + ".part";
    int status = kExitMessage;
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        if (out) status = run_batch(*in, out, std::cerr, settings);
        if (!out || !out.flush()) {
            std::cerr << "tarvenix-cli: batch: cannot write " << a.output << '\n';
            std::filesystem::remove(part);
            return kExitMessage;
        }
    }
    std::error_code ec;
    if (status == kExitUsage) {
        std::filesystem::remove(part, ec);
    } else {
        std::filesystem::rename(part, a.output, ec);
        if (ec) {
            std::cerr << "tarvenix-cli: batch: cannot write " << a.output << '\n';
            std::filesystem::remove(part, ec);
            return kExitMessage;
        }
    }
    return status;
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

int run_cli(int argc, const char* const* argv) {
    CLI::App app{"Tarvenix on the command line: the calculators of the program, one at a time or a CSV file of them.",
                 "tarvenix-cli"};
    app.set_version_flag("--version", std::string("tarvenix-cli ") + TVX_VERSION);
    app.require_subcommand(1);
    app.footer(kFooter);
    app.formatter(std::make_shared<UsageFormatter>());  // the commands inherit it

    std::vector<std::unique_ptr<Single>> singles;
    for (const auto& spec : commands()) {
        auto s = std::make_unique<Single>();
        s->spec = &spec;
        s->request = default_request(spec);
        s->app = app.add_subcommand(spec.name, spec.summary);
        bind(*s);
        singles.push_back(std::move(s));
    }
    BatchArgs batch;
    CLI::App* batch_app = app.add_subcommand(
        "batch", "Run one command a row of a CSV file (header row; column 'command', the others named as the options)");
    batch_app->add_option("file", batch.file, "CSV input; standard input when absent or -")->type_name("FILE");
    batch_app->add_option("--output", batch.output, "Write the results to this file instead of standard output")
        ->type_name("FILE");
    batch_app->add_option("--format", batch.format, "csv or json (one object a line)")
        ->check(CLI::IsMember({"csv", "json"}))
        ->capture_default_str();
    batch_app->add_option("--jobs", batch.jobs, "Threads (default: all processors)")->check(CLI::PositiveNumber);
    StrategyRequest strategy;
    CLI::App* strategy_app = add_strategy_command(app, strategy);

    try {
        // CLI11 would take an unknown command for a stray argument.
        if (argc > 1 && argv[1][0] != '-' && !find_command(argv[1]) && std::string(argv[1]) != "batch" &&
            std::string(argv[1]) != "strategy")
            throw CLI::ExtrasError("unknown command '" + std::string(argv[1]) + "'", CLI::ExitCodes::ExtrasError);
        app.parse(argc, argv);
        if (strategy_app->parsed())
            if (std::optional<std::string> usage = strategy_usage_error(strategy)) throw CLI::ValidationError(*usage);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "tarvenix-cli: " << e.what() << '\n'
                  << "Usage: tarvenix-cli COMMAND [OPTIONS]; see tarvenix-cli --help or tarvenix-cli COMMAND --help\n";
        return kExitUsage;
    }
    if (batch_app->parsed()) return run_batch_command(batch);
    if (strategy_app->parsed()) return print_strategy(strategy, run_strategy(strategy));
    for (auto& s : singles)
        if (s->app->parsed()) return run_single(*s);
    return kExitUsage;
}

}  // namespace tvx::cli
