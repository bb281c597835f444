// The four calculators' Compute (Calculate) commands, each made from its
// window's field and results tables.
#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "cli/window_command.h"
#include "instruments/bonds.h"
#include "instruments/convertible.h"
#include "instruments/futures.h"
#include "instruments/warrants.h"

namespace tvx::cli {

namespace {

// The convertible's Compute, with --exact (Advanced > Exact Values: its
// calls on the exact closed form).
CommandSpec convertible_command() {
    CommandSpec c = calculator_command("convertible", "A convertible bond's fair value in per cent of par",
                                       kConvertibleBondsCalculator);
    const std::size_t exact = c.fields.size();
    c.fields.push_back(
        {"exact", "Exact values (Advanced > Exact Values): the calls on the exact closed form", FieldKind::Flag, "0"});
    const WindowOptions<ConvertibleBondsWindow> options(kConvertibleBondsFields, ConvertibleBondsWindow{});
    c.run = [options, exact](const Request& r) {
        ConvertibleBondsWindow w;
        if (auto clash = options.bind(r, 0, w)) return usage_outcome(std::move(*clash));
        CliUi ui;
        BondValue figures{};
        const Precision precision = r.flag(exact) ? Precision::Exact : Precision::Standard;
        Command1_Click(w, ui, &figures, precision);
        Outcome o = outcome_of(ui);
        if (o.status == kExitOk) o.figures = figures_of(kConvertibleBondsCalculator.results, figures);
        o.exact = precision == Precision::Exact;
        return o;
    };
    return c;
}

}  // namespace

std::vector<CommandSpec> calculator_commands() {
    return {
        calculator_command("warrant", "A warrant against its share: intrinsic value, time value, premium and leverage",
                           kWarrantsCalculator),
        calculator_command("forward", "A forward contract: its value and the forward price", kFuturesCalculator),
        calculator_command("bond", "A straight bond's fair value in per cent of par", kStraightBondsCalculator),
        convertible_command(),
    };
}

}  // namespace tvx::cli
