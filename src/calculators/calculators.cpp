#include "calculators/calculators.h"

namespace tvx {

std::vector<CalculatorFacts> calculator_facts() {
    std::vector<CalculatorFacts> facts;
    for_each_calculator([&facts](const auto& e) {
        facts.push_back({e.window(), e.name, e.caption(), e.menu, e.help, e.command, e.summary, e.description});
    });
    return facts;
}

}  // namespace tvx
