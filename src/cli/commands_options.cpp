// The main window's Compute as two commands: `option` values an option with
// its sensitivities, `implied` searches for its volatility.
#include <string>

#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "options/american_rule.h"
#include "options/compute.h"
#include "options/main_window.h"

namespace tvx::cli {

namespace {

// Field indices shared by both commands; the sixth is the volatility of
// `option` and the price of `implied`.
enum : std::size_t {
    kSpot,
    kStrike,
    kDividend,
    kTime,
    kRate,
    kSixth,
    kPut,
    kAmerican,
    kSvol,
    kSrate,
    kCor,
    kMethod,
    kRobust
};

std::vector<Field> main_window_fields(bool implied) {
    const MainWindow w;
    std::vector<Field> f = {
        {"spot", "Spot price in dollars", FieldKind::Number, w.current},
        {"strike", "Strike price in dollars", FieldKind::Number, w.strike},
        {"dividend", "Annual dividend yield in per cent", FieldKind::Number, w.dividend},
        {"time", "Time to expiry in years", FieldKind::Number, w.time},
        {"rate", "Interest rate in per cent", FieldKind::Number, w.irate},
        implied ? Field{"price", "Market price of the option in dollars", FieldKind::Number, w.qqq2}
                : Field{"volatility", "Volatility as a decimal fraction", FieldKind::Number, w.qqq},
        {"put", "A put (otherwise a call)", FieldKind::Flag, "0"},
        {"american", "American style (otherwise European)", FieldKind::Flag, "0"},
        {"svol", "Stochastic volatility (European options, by simulation)", FieldKind::Flag, "0"},
        {"srate", "Stochastic interest rates (European options, by simulation)", FieldKind::Flag, "0"},
        {"correlation", "Spot price/interest rate correlation, -1 to 1", FieldKind::Number, w.cor},
        {"method",
         "American options: auto (the window's rule: the grid, held against the exercise-boundary method, which "
         "values the terms the grid cannot), grid or boundary",
         FieldKind::Choice, "auto"},
    };
    if (implied)
        f.push_back({"robust",
                     "Safeguarded search: finds every volatility in [1e-6, 10] that reproduces the price "
                     "(closed form and American)",
                     FieldKind::Flag, "0"});
    return f;
}

bool simulates(const Request& r) { return !r.flag(kAmerican) && (r.flag(kSvol) || r.flag(kSrate)); }

std::optional<AmericanMethod> american_method(const std::string& word) {
    if (word == "auto") return AmericanMethod::Rule;
    if (word == "grid") return AmericanMethod::Grid;
    if (word == "boundary") return AmericanMethod::Boundary;
    return std::nullopt;
}

Outcome run_main_window(const Request& r, bool implied) {
    const bool robust = implied && r.flag(kRobust);
    if (robust && simulates(r)) return usage_outcome("--robust applies to closed-form and American options");
    const std::optional<AmericanMethod> method = american_method(r[kMethod]);
    if (!method) return usage_outcome("--method is auto, grid or boundary");
    MainWindow main;
    Form_Load(main);
    main.current = r[kSpot];
    main.strike = r[kStrike];
    main.dividend = r[kDividend];
    main.time = r[kTime];
    main.irate = r[kRate];
    (implied ? main.qqq2 : main.qqq) = r[kSixth];
    main.optCall = !r.flag(kPut);
    main.optEuro = !r.flag(kAmerican);
    main.optPrice = !implied;
    main.svol = r.flag(kSvol);
    main.srate = r.flag(kSrate);
    main.cor = r[kCor];

    OutputWindow output;
    Pacifier pacifier;
    CliUi ui;
    ComputeResults results;
    ComputeOptions options;
    options.robust_search = robust;
    options.american_method = *method;
    options.results = &results;
    // The window's simulation, with the statistics of every valuation that
    // stops by its standard error (the value, or a search step's V).
    std::optional<McStats> stats;
    options.simulate = [&](const OptionTerms& o, std::int16_t itype, double rho, std::int16_t vtype,
                           const BatchYield& yield, BatchCount batches, StepCount steps, McStats* given) {
        McStats s;
        const double v = mcarlo(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype, itype, rho, vtype, yield,
                                batches, steps, &s);
        if (batches == 0) stats = s;
        if (given) *given = s;
        return v;
    };
    cmdCompute_Click(main, output, pacifier, ui, options);

    Outcome out = outcome_of(ui);
    if (ui.output_shown) {
        out.lines.reserve(out.lines.size() + 6);
        for (std::string* line :
             {&output.Label1, &output.Label2, &output.Label3, &output.Label4, &output.Label5, &output.Label6})
            out.lines.push_back(std::move(*line));
        // The American route's line under the six, as the window shows it.
        if (!output.Method.empty()) out.lines.push_back(std::move(output.Method));
    }
    if (results.american_valuer) out.method = valuer_name(*results.american_valuer);
    if (results.value) {
        const Sensitivities& s = *results.value;
        out.figures = {{Result::Value, s.value}, {Result::Delta, s.delta}, {Result::Gamma, s.gamma},
                       {Result::Theta, s.theta}, {Result::Vega, s.vega},   {Result::Rho, s.rho}};
    }
    if (results.implied_volatility) out.figures = {{Result::ImpliedVolatility, *results.implied_volatility}};
    if (simulates(r)) out.simulation = stats;
    return out;
}

}  // namespace

CommandSpec option_command() {
    return {"option", "Value an equity option: the output window's six lines (value and sensitivities)",
            main_window_fields(false), [](const Request& r) { return run_main_window(r, false); }, simulates};
}

CommandSpec implied_command() {
    return {"implied", "The volatility at which an option is worth its market price", main_window_fields(true),
            [](const Request& r) { return run_main_window(r, true); }, simulates};
}

}  // namespace tvx::cli
