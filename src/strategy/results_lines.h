// The strategy's results as lines of text, the same in the window and on
// the command line: amounts to four decimals, as every window shows them.
#pragma once

#include <string>
#include <vector>

#include "strategy/analysis.h"

namespace tvx {

// Net premium, today's value and the five sensitivities, then at the
// horizon: the breakevens, the largest profit and loss and the
// probability of a profit with the volatility that drove it.
std::vector<std::string> strategy_lines(const StrategyFigures& f);

// "Leg 2: short 1 European put at 90 for 0.25 years, worth 1.0512 dollars
// a unit today" (k from 0).
std::string leg_line(const PricedLeg& leg, std::size_t k);

}  // namespace tvx
