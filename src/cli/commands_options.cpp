// The main window's Compute as two commands: `option` values an option with
// its sensitivities, `implied` searches for its volatility. Their options
// are the main window's field table, the volatility for `option` and the
// option price for `implied` (the field each reads), `--method` (how an
// American option is valued), `--robust` and `--exact` (Advanced > Exact
// Values), the cash dividends and their model (the "Dividends..." dialog)
// and the expiry dates (cli/expiry_dates.h).
#include <string>

#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "cli/expiry_dates.h"
#include "cli/window_command.h"
#include "options/american_rule.h"
#include "options/compute.h"
#include "options/main_window.h"

namespace tvx::cli {

namespace {

// The window as the command starts it: its defaults, and the calculation
// type the command stands for.
MainWindow main_window(bool implied) {
    MainWindow w;
    Form_Load(w);
    w.optPrice = !implied;
    return w;
}

// The window's simulation, with the statistics of every valuation that stops
// by its standard error (the value, or a search step's V).
Simulation recording_simulation(std::optional<McStats>& stats) {
    return [&stats](const OptionTerms& o, std::int16_t itype, double rho, std::int16_t vtype, const BatchYield& yield,
                    BatchCount batches, StepCount steps, McStats* given) {
        McStats s;
        const double v = mcarlo(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype, itype, rho, vtype, yield,
                                batches, steps, &s);
        if (batches == 0) stats = s;
        if (given) *given = s;
        return v;
    };
}

bool simulates(const MainWindow& w) { return w.optEuro && (w.svol || w.srate); }

std::optional<AmericanMethod> american_method(const std::string& word) {
    if (word == "auto") return AmericanMethod::Rule;
    if (word == "grid") return AmericanMethod::Grid;
    if (word == "boundary") return AmericanMethod::Boundary;
    return std::nullopt;
}

Outcome run_main_window(MainWindow& main, bool robust, const std::string& method_word, bool lines) {
    if (robust && simulates(main)) return usage_outcome("--robust applies to closed-form and American options");
    const std::optional<AmericanMethod> method = american_method(method_word);
    if (!method) return usage_outcome("--method is auto, grid or boundary");
    OutputWindow output;
    Pacifier pacifier;
    CliUi ui;
    ComputeResults results;
    ComputeOptions options;
    options.robust_search = robust;
    options.american_method = *method;
    options.results = &results;
    options.lines = lines;
    std::optional<McStats> stats;
    options.simulate = recording_simulation(stats);
    cmdCompute_Click(main, output, pacifier, ui, options);

    Outcome out = outcome_of(ui);
    if (ui.output_shown && lines) {
        out.lines.reserve(out.lines.size() + 6);
        for (std::string* line :
             {&output.Label1, &output.Label2, &output.Label3, &output.Label4, &output.Label5, &output.Label6})
            out.lines.push_back(std::move(*line));
        // The lines under the six, as the window shows them.
        if (!output.Method.empty()) out.lines.push_back(std::move(output.Method));
        if (!output.Exact.empty()) out.lines.push_back(std::move(output.Exact));
        if (!output.Dividends.empty()) out.lines.push_back(std::move(output.Dividends));
    }
    if (results.american_valuer) out.method = valuer_name(*results.american_valuer);
    if (results.value) out.figures = figures_of(kSensitivityResults, *results.value);
    if (results.implied_volatility) out.figures = {{kImpliedVolatilityLine.name, *results.implied_volatility}};
    if (simulates(main)) out.simulation = stats;
    out.exact = main.precision == Precision::Exact;
    return out;
}

CommandSpec main_window_command(std::string name, std::string summary, bool implied) {
    CommandSpec c;
    c.name = std::move(name);
    c.summary = std::move(summary);
    const WindowOptions<MainWindow> options(kMainFields, main_window(implied));
    c.fields = options.fields(main_window(implied));
    const std::size_t dividends = c.fields.size();
    const WindowOptions<MainWindow> dividend_options(kMainDividendFields, main_window(implied));
    for (Field& f : dividend_options.fields(main_window(implied))) c.fields.push_back(std::move(f));
    const std::size_t method = c.fields.size();
    c.fields.push_back({"method",
                        "American options: auto (the window's rule: the grid, held against the exercise-boundary "
                        "method, which values the terms the grid cannot), grid or boundary",
                        FieldKind::Choice, "auto"});
    const std::size_t exact = c.fields.size();
    c.fields.push_back({"exact",
                        "Exact values (Advanced > Exact Values): the normal distribution to full precision, analytic "
                        "sensitivities, American options by the exercise-boundary method at full accuracy",
                        FieldKind::Flag, "0"});
    const std::size_t robust = c.fields.size();
    if (implied) {
        c.fields.push_back({"robust",
                            "Safeguarded search: finds every volatility in [1e-6, 10] that reproduces the price "
                            "(closed form and American)",
                            FieldKind::Flag, "0"});
        c.results = {kImpliedVolatilityLine.name};
    } else {
        c.results = result_names<Sensitivities>(kSensitivityResults);
    }
    c.run = [options, dividend_options, dividends, implied, method, exact, robust](const Request& r) {
        MainWindow w = main_window(implied);
        options.bind(r, 0, w);
        dividend_options.bind(r, dividends, w);
        w.dates = request_dates(r);
        if (r.flag(exact)) w.precision = Precision::Exact;
        return run_main_window(w, implied && r.flag(robust), r[method], r.lines);
    };
    // Asked of every batch row before it runs: read from the flags alone.
    const auto flag = [&c](const char* option) { return static_cast<std::size_t>(field_index(c, option)); };
    c.shares_generator = [american = flag("american"), svol = flag("svol"), srate = flag("srate")](const Request& r) {
        return !r.flag(american) && (r.flag(svol) || r.flag(srate));
    };
    return c;
}

}  // namespace

CommandSpec option_command() {
    return main_window_command(
        "option", "Value an equity option: the output window's six lines (value and sensitivities)", false);
}

CommandSpec implied_command() {
    return main_window_command("implied", "The volatility at which an option is worth its market price", true);
}

}  // namespace tvx::cli
