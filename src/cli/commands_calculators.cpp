// The calculators' commands, one for each entry of the calculators' list,
// each made from its window's field and results tables. The bond windows'
// other commands are options of theirs:
// `bond --price` runs Yield and `bond --risk` Risk (both may be given,
// Yield first), `convertible --analytics` runs Analytics, each instead of
// Compute; `convertible --exact` puts its calls on the exact closed form.
#include <utility>

#include "calculators/calculators.h"
#include "cli/commands.h"
#include "cli/window_command.h"

namespace tvx::cli {

namespace {

// What a second command of the same request showed, after the first's.
void append(Outcome& first, Outcome second) {
    first.status = std::max(first.status, second.status);
    for (auto& line : second.lines) first.lines.push_back(std::move(line));
    for (auto& m : second.messages) first.messages.push_back(std::move(m));
    for (const Figure& f : second.figures) first.figures.push_back(f);
}

template <class Results>
void add_names(std::vector<const char*>& names, ResultTable<Results> table) {
    for (const char* name : result_names(table)) names.push_back(name);
}

const WindowOptions<StraightBondsWindow>& bond_options() {
    static const WindowOptions<StraightBondsWindow> options(kStraightBondsFields, StraightBondsWindow{});
    return options;
}

CommandSpec command_of(const CalculatorEntry<StraightBondsWindow, BondValue>& entry) {
    CommandSpec c;
    c.name = entry.command;
    c.summary = entry.summary;
    StraightBondsWindow shown;
    shown.mprice.clear();  // no price given, no yield asked for
    c.fields = bond_options().fields(shown);
    const std::size_t risk = c.fields.size();
    c.fields.push_back({"risk", "The durations, convexity and value of a basis point at --rate", FieldKind::Flag, "0"});
    add_names<BondValue>(c.results, kStraightBondResults);
    add_names<BondYield>(c.results, kBondYieldResults);
    add_names<BondRisk>(c.results, kBondRiskResults);
    c.run = [risk](const Request& r) {
        constexpr void (*compute_bond)(StraightBondsWindow&, UserInterface&, BondValue*) = Command1_Click;
        StraightBondsWindow w;
        bond_options().bind(r, 0, w);  // one choice, one flag: no clash
        const bool yield = !w.mprice.empty();
        if (!yield && !r.flag(risk))
            return run_window_command<StraightBondsWindow, BondValue>(w, compute_bond, kStraightBondResults);
        Outcome o;
        if (yield) o = run_window_command<StraightBondsWindow, BondYield>(w, cmdYield_Click, kBondYieldResults);
        if (r.flag(risk) && o.status == kExitOk)
            append(o, run_window_command<StraightBondsWindow, BondRisk>(w, cmdRisk_Click, kBondRiskResults));
        return o;
    };
    c.shares_generator = [](const Request&) { return false; };
    return c;
}

CommandSpec command_of(const CalculatorEntry<ConvertibleBondsWindow, BondValue>& entry) {
    CommandSpec c = calculator_command(entry);
    const std::size_t analytics = c.fields.size();
    c.fields.push_back(
        {"analytics", "The parity, the premium over parity and the share delta instead", FieldKind::Flag, "0"});
    const std::size_t exact = c.fields.size();
    c.fields.push_back(
        {"exact", "Exact values (Advanced > Exact Values): the calls on the exact closed form", FieldKind::Flag, "0"});
    add_names<ConvertibleAnalytics>(c.results, kConvertibleAnalyticsResults);
    c.run = [analytics, exact](const Request& r) {
        static const WindowOptions<ConvertibleBondsWindow> options(kConvertibleBondsFields, ConvertibleBondsWindow{});
        ConvertibleBondsWindow w;
        if (auto clash = options.bind(r, 0, w)) return usage_outcome(std::move(*clash));
        const Precision precision = r.flag(exact) ? Precision::Exact : Precision::Standard;
        Outcome o;
        if (r.flag(analytics)) {
            const auto click = [precision](ConvertibleBondsWindow& m, UserInterface& ui, ConvertibleAnalytics* f) {
                cmdAnalytics_Click(m, ui, f, precision);
            };
            o = run_window_command<ConvertibleBondsWindow, ConvertibleAnalytics>(w, click,
                                                                                 kConvertibleAnalyticsResults);
        } else {
            const auto click = [precision](ConvertibleBondsWindow& m, UserInterface& ui, BondValue* f) {
                Command1_Click(m, ui, f, precision);
            };
            o = run_window_command<ConvertibleBondsWindow, BondValue>(w, click, kConvertibleBondsCalculator.results);
        }
        o.exact = precision == Precision::Exact;
        return o;
    };
    return c;
}

// Any other calculator: Compute alone.
template <class Model, class Results>
CommandSpec command_of(const CalculatorEntry<Model, Results>& entry) {
    return calculator_command(entry);
}

}  // namespace

std::vector<CommandSpec> calculator_commands() {
    std::vector<CommandSpec> commands;
    for_each_calculator([&commands](const auto& entry) { commands.push_back(command_of(entry)); });
    return commands;
}

}  // namespace tvx::cli
