#include "cli/strategy_command.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <utility>

#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "core/numbers.h"
#include "strategy/presets.h"
#include "strategy/results_lines.h"
#include "strategy/rules.h"
#include "strategy/strategy_commands.h"

namespace tvx::cli {

namespace {

using Json = nlohmann::ordered_json;

// The options that override a field of the window, with the field each
// one sets.
struct Override {
    const char* option;
    std::optional<std::string> StrategyRequest::*value;
    std::string StrategyWindow::*field;
};
constexpr Override kOverrides[] = {
    {"spot", &StrategyRequest::spot, &StrategyWindow::spot},
    {"rate", &StrategyRequest::rate, &StrategyWindow::rate},
    {"dividend", &StrategyRequest::dividend, &StrategyWindow::dividend},
    {"horizon", &StrategyRequest::horizon, &StrategyWindow::horizon},
    {"spot_volatility", &StrategyRequest::spot_volatility, &StrategyWindow::spotvol},
    {"dividends", &StrategyRequest::dividends, &StrategyWindow::dividends},
    {"dividend_model", &StrategyRequest::dividend_model, &StrategyWindow::dividend_model},
};
// The preset's placement.
constexpr std::pair<const char*, std::optional<std::string> StrategyRequest::*> kPlacement[] = {
    {"strike", &StrategyRequest::strike},
    {"width", &StrategyRequest::width},
    {"time", &StrategyRequest::time},
    {"expiry", &StrategyRequest::expiry},
    {"volatility", &StrategyRequest::volatility},
};

std::string presets_help() {
    std::string text = "Presets (C the centre strike, W the width, T the time):\n";
    for (const Preset& p : presets()) text += "  " + std::string(p.name) + ": " + p.placement + "\n";
    return text;
}

Json number_or_null(const std::optional<double>& x) { return x ? Json(*x) : Json(nullptr); }

Json leg_json(const PricedLeg& p) {
    Json j;
    j["position"] = side_word(p.leg.side);
    j["quantity"] = p.leg.quantity;
    j["instrument"] = instrument_word(p.leg.instrument);
    if (p.leg.option()) {
        j["style"] = style_word(p.leg.style);
        j["strike"] = p.leg.strike;
        j["time"] = p.leg.time;
        j["volatility"] = p.leg.volatility;
    }
    j["premium"] = p.premium;
    j["value"] = p.unit.value;
    return j;
}

Json figures_json(const StrategyFigures& f) {
    Json j;
    j["net_premium"] = f.net_premium;
    j["value"] = f.total.value;
    j["delta"] = f.total.delta;
    j["gamma"] = f.total.gamma;
    j["theta"] = f.total.theta;
    j["vega"] = f.total.vega;
    j["rho"] = f.total.rho;
    j["breakevens"] = f.at_horizon.breakevens;
    j["max_profit"] = number_or_null(f.at_horizon.max_profit);
    j["max_loss"] = number_or_null(f.at_horizon.max_loss);
    j["probability_of_profit"] = f.at_horizon.probability;
    j["horizon"] = f.horizon;
    j["volatility"] = f.volatility;
    Json legs = Json::array();
    for (const PricedLeg& p : f.legs) legs.push_back(leg_json(p));
    j["legs"] = std::move(legs);
    return j;
}

void run_window(const StrategyRequest& r, StrategyWindow& w, CliUi& ui) {
    if (!r.file.empty() && !strategy_read_file(w, ui, r.file)) return;
    for (const Override& o : kOverrides)
        if (r.*o.value) w.*o.field = *(r.*o.value);
    if (r.file.empty()) {
        const Preset* preset = preset_named(r.preset);
        MainWindow main;
        if (r.time) main.time = *r.time;
        if (r.expiry) main.time = *r.expiry;
        if (r.volatility) main.qqq = *r.volatility;
        main.optEuro = !r.american;
        strategy_preset(w, main, ui, static_cast<int>(preset - presets().data()),
                        {r.strike.value_or(""), r.width.value_or("")});
    } else {
        strategy_compute(w, ui);
    }
}

}  // namespace

CLI::App* add_strategy_command(CLI::App& app, StrategyRequest& r) {
    CLI::App* s = app.add_subcommand("strategy",
                                     "A position of up to eight legs from a strategy file or a preset: premium, "
                                     "value, sensitivities, breakevens, extremes and probability of profit");
    s->add_option("file", r.file, "Strategy file (JSON)")->type_name("FILE");
    std::vector<std::string> names;
    for (const Preset& p : presets()) names.emplace_back(p.name);
    s->add_option("--preset", r.preset, "A preset around the spot instead of a file")
        ->type_name("NAME")
        ->check(CLI::IsMember(names));
    s->add_option("--spot", r.spot, "Spot price in dollars (overrides the file's; default 60.0)")->type_name("NUMBER");
    s->add_option("--rate", r.rate, "Interest rate in per cent (default 4.5)")->type_name("NUMBER");
    s->add_option("--dividend", r.dividend, "Annual dividend yield in per cent (default 2.1)")->type_name("NUMBER");
    s->add_option("--horizon", r.horizon, "Years from today at which profit is weighed (default: the first expiry)")
        ->type_name("NUMBER");
    s->add_option("--spot-volatility", r.spot_volatility,
                  "Volatility of the spot's distribution at the horizon (default: the option legs' mean)")
        ->type_name("NUMBER");
    s->add_option("--dividends", r.dividends,
                  "Cash dividends of the share, WHEN:AMOUNT,WHEN:AMOUNT (WHEN a time in years or an ex-date "
                  "YYYY-MM-DD, counted Actual/365 Fixed from today; over the file's)")
        ->type_name("SCHEDULE");
    s->add_option("--dividend-model", r.dividend_model, "spot (default) or escrowed")->type_name("WORD");
    s->add_option("--strike", r.strike, "A preset's centre strike C (default: the spot)")->type_name("NUMBER");
    s->add_option("--width", r.width, "A preset's step W between strikes (default: 5 % of the centre)")
        ->type_name("NUMBER");
    s->add_option("--time", r.time, "A preset's time to expiry T in years (default 0.5)")->type_name("NUMBER");
    s->add_option("--expiry", r.expiry,
                  "A preset's expiry as a date YYYY-MM-DD (or YYYY-MM-DDTHH:MM), counted Actual/365 Fixed from today, "
                  "in place of --time")
        ->type_name("DATE");
    s->add_option("--volatility", r.volatility, "A preset's volatility (default 0.2)")->type_name("NUMBER");
    s->add_flag("--american", r.american, "A preset's options American (otherwise European)");
    s->add_flag("--exact", r.exact, "Exact values (Advanced > Exact Values): the legs on the exact closed form");
    s->add_flag("--json", r.json, "Print one JSON object: the results at full precision, the legs, messages");
    s->footer(presets_help());
    return s;
}

std::optional<std::string> strategy_usage_error(const StrategyRequest& r) {
    if (r.file.empty() == r.preset.empty()) return "strategy: give a strategy FILE or --preset NAME (one of them)";
    if (!r.file.empty() && (r.strike || r.width || r.time || r.volatility || r.american))
        return "strategy: --strike, --width, --time, --volatility and --american place a preset's legs";
    if (!r.file.empty() && r.expiry) return "strategy: --expiry places a preset's legs; a file gives each leg's expiry";
    if (r.time && r.expiry) return "strategy: give --time or --expiry, not both";
    return std::nullopt;
}

StrategyOutcome run_strategy(const StrategyRequest& r) {
    StrategyOutcome o;
    if (std::optional<std::string> usage = strategy_usage_error(r)) {
        o.status = kExitUsage;
        o.messages = {*usage};
        return o;
    }
    StrategyWindow w;
    w.precision = r.exact ? Precision::Exact : Precision::Standard;
    CliUi ui;
    try {
        run_window(r, w, ui);
    } catch (const std::exception&) {
        ui.messages.emplace_back(kGenericError);  // memory running out: the window's catch-all would say this
        ui.status = kExitError;
    }
    o.status = ui.status;
    for (const std::string& m : ui.messages)
        for (std::string& line : box_lines(m)) o.messages.push_back(std::move(line));
    if (o.status == kExitOk && w.report) {
        o.lines = w.lines;
        const StrategyFigures& f = w.report->figures;
        for (std::size_t k = 0; k < f.legs.size(); ++k) o.lines.push_back(leg_line(f.legs[k], k));
        o.figures = figures_json(f);
    }
    return o;
}

nlohmann::ordered_json strategy_json(const StrategyRequest& r, const StrategyOutcome& o) {
    Json j;
    j["command"] = "strategy";
    Json inputs = Json::object();
    if (!r.file.empty()) inputs["file"] = r.file;
    if (!r.preset.empty()) inputs["preset"] = r.preset;
    const auto input = [&](const char* name, const std::optional<std::string>& text) {
        if (!text) return;
        try {
            inputs[name] = parse_number(*text);
        } catch (const std::exception&) {
            inputs[name] = *text;
        }
    };
    for (const Override& ov : kOverrides) input(ov.option, r.*ov.value);
    for (const auto& [name, value] : kPlacement) input(name, r.*value);
    if (r.american) inputs["american"] = true;
    if (r.exact) inputs["exact"] = true;
    j["inputs"] = std::move(inputs);
    if (!o.figures.is_null())
        for (auto& [key, value] : o.figures.items()) j[key] = value;
    j["lines"] = o.lines;
    j["messages"] = o.messages;
    j["status"] = o.status;
    return j;
}

int print_strategy(const StrategyRequest& r, const StrategyOutcome& o, std::ostream& out, std::ostream& err) {
    for (const std::string& m : o.messages) err << m << '\n';
    if (r.json) {
        // A file name or option that is not UTF-8 is echoed with U+FFFD.
        out << strategy_json(r, o).dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
    } else {
        for (const std::string& line : o.lines) out << line << '\n';
    }
    return o.status;
}

}  // namespace tvx::cli
