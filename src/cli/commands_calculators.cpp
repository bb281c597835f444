// The four calculators' Compute (Calculate) commands, each made from its
// window's field table and results table.
#include "cli/commands.h"
#include "cli/window_command.h"
#include "instruments/bonds.h"
#include "instruments/convertible.h"
#include "instruments/futures.h"
#include "instruments/warrants.h"

namespace tvx::cli {

CommandSpec warrant_command() {
    return calculator_command<WarrantsWindow, WarrantFigures>(
        "warrant", "A warrant against its share: intrinsic value, time value, premium and leverage", kWarrantsFields,
        kWarrantResults);
}

CommandSpec forward_command() {
    return calculator_command<FuturesWindow, ForwardFigures>(
        "forward", "A forward contract: its value and the forward price", kFuturesFields, kForwardResults);
}

CommandSpec bond_command() {
    return calculator_command<StraightBondsWindow, BondValue>("bond", "A straight bond's fair value in per cent of par",
                                                              kStraightBondsFields, kStraightBondResults);
}

CommandSpec convertible_command() {
    return calculator_command<ConvertibleBondsWindow, BondValue>("convertible",
                                                                 "A convertible bond's fair value in per cent of par",
                                                                 kConvertibleBondsFields, kConvertibleResults);
}

}  // namespace tvx::cli
