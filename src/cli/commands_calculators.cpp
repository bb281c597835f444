// The four calculators' Compute (Calculate) commands, each made from its
// window's field and results tables.
#include "cli/commands.h"
#include "cli/window_command.h"
#include "instruments/bonds.h"
#include "instruments/convertible.h"
#include "instruments/futures.h"
#include "instruments/warrants.h"

namespace tvx::cli {

std::vector<CommandSpec> calculator_commands() {
    return {
        calculator_command("warrant", "A warrant against its share: intrinsic value, time value, premium and leverage",
                           kWarrantsCalculator),
        calculator_command("forward", "A forward contract: its value and the forward price", kFuturesCalculator),
        calculator_command("bond", "A straight bond's fair value in per cent of par", kStraightBondsCalculator),
        calculator_command("convertible", "A convertible bond's fair value in per cent of par",
                           kConvertibleBondsCalculator),
    };
}

}  // namespace tvx::cli
