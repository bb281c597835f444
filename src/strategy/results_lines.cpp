#include "strategy/results_lines.h"

#include <cmath>

#include "core/numbers.h"
#include "options/compute.h"

namespace tvx {

namespace {

std::string dollars(double x) { return result_text(x) + " dollars"; }

std::string premium_line(double net) {
    const std::string amount = result_text(std::fabs(net));
    if (amount == "0") return "The net premium is 0 dollars";
    return std::string("The net premium is a ") + (net > 0.0 ? "debit" : "credit") + " of " + amount + " dollars";
}

std::string breakevens_line(const std::vector<double>& b) {
    if (b.empty()) return "There is no breakeven";
    if (b.size() == 1) return "The breakeven is " + result_text(b[0]);
    std::string text = "The breakevens are ";
    for (std::size_t k = 0; k < b.size(); ++k) {
        if (k > 0) text += k + 1 == b.size() ? " and " : ", ";
        text += result_text(b[k]);
    }
    return text;
}

std::string extreme_line(const char* what, const std::optional<double>& x) {
    return std::string("The maximum ") + what + " is " + (x ? dollars(*x) : std::string("unlimited"));
}

}  // namespace

std::vector<std::string> strategy_lines(const StrategyFigures& f) {
    std::vector<std::string> lines{premium_line(f.net_premium),
                                   "The position is worth " + dollars(f.total.value) + " today"};
    for (std::size_t k = 1; k < std::size(kSensitivityResults); ++k)
        lines.push_back(result_line(kSensitivityResults[k].line, f.total.*kSensitivityResults[k].value));
    lines.push_back("The horizon is " + result_text(f.horizon) + " years" +
                    (f.horizon_set ? " (as set)" : " (the first expiry)"));
    lines.push_back(breakevens_line(f.at_horizon.breakevens));
    lines.push_back(extreme_line("profit", f.at_horizon.max_profit));
    lines.push_back(extreme_line("loss", f.at_horizon.max_loss));
    lines.push_back("The probability of profit is " + result_text(f.at_horizon.probability) + " (spot volatility " +
                    general_text(f.volatility) + (f.volatility_set ? ", as set)" : ", the legs' mean)"));
    return lines;
}

std::string leg_line(const PricedLeg& p, std::size_t k) {
    const Leg& l = p.leg;
    std::string text =
        "Leg " + std::to_string(k + 1) + ": " + std::string(side_word(l.side)) + " " + std::to_string(l.quantity) + " ";
    if (l.option()) {
        text += std::string(l.style == LegStyle::American ? "American " : "European ") +
                std::string(instrument_word(l.instrument)) + " at " + general_text(l.strike) + " for " +
                general_text(l.time) + " years";
    } else {
        text += l.quantity == 1 ? "share" : "shares";
    }
    return text + ", worth " + dollars(p.unit.value) + " a unit today";
}

}  // namespace tvx
