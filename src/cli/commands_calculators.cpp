// The four calculators' commands, each made from its window's field and
// results tables. The bond windows' other commands are options of theirs:
// `bond --price` runs Yield and `bond --risk` Risk (both may be given,
// Yield first), `convertible --analytics` runs Analytics, each instead of
// Compute.
#include <utility>

#include "cli/commands.h"
#include "cli/window_command.h"
#include "instruments/bonds.h"
#include "instruments/convertible.h"
#include "instruments/futures.h"
#include "instruments/warrants.h"

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

CommandSpec bond_command() {
    CommandSpec c;
    c.name = "bond";
    c.summary =
        "A straight bond's fair value in per cent of par; with --price its yield to maturity, with --risk "
        "its durations, convexity and value of a basis point";
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

CommandSpec convertible_command() {
    CommandSpec c = calculator_command("convertible",
                                       "A convertible bond's fair value in per cent of par; with --analytics its "
                                       "parity, premium over parity and share delta",
                                       kConvertibleBondsCalculator);
    const std::size_t analytics = c.fields.size();
    c.fields.push_back(
        {"analytics", "The parity, the premium over parity and the share delta instead", FieldKind::Flag, "0"});
    add_names<ConvertibleAnalytics>(c.results, kConvertibleAnalyticsResults);
    c.run = [analytics, compute = std::move(c.run)](const Request& r) {
        if (!r.flag(analytics)) return compute(r);
        static const WindowOptions<ConvertibleBondsWindow> options(kConvertibleBondsFields, ConvertibleBondsWindow{});
        ConvertibleBondsWindow w;
        if (auto clash = options.bind(r, 0, w)) return usage_outcome(std::move(*clash));
        return run_window_command<ConvertibleBondsWindow, ConvertibleAnalytics>(w, cmdAnalytics_Click,
                                                                                kConvertibleAnalyticsResults);
    };
    return c;
}

}  // namespace

std::vector<CommandSpec> calculator_commands() {
    return {
        calculator_command("warrant", "A warrant against its share: intrinsic value, time value, premium and leverage",
                           kWarrantsCalculator),
        calculator_command("forward", "A forward contract: its value and the forward price", kFuturesCalculator),
        bond_command(),
        convertible_command(),
    };
}

}  // namespace tvx::cli
