// Every calculator window, one entry each (core/calculator.h): the window
// table, the menu bar, the Help menu, the command line's commands, the
// package's description and the fronts' tests all loop over this list. A
// new calculator is its header and source in its layer, its id in `enum
// class Window`, and one line here.
#pragma once

#include <tuple>
#include <vector>

#include "core/calculator.h"
#include "instruments/bonds.h"
#include "instruments/convertible.h"
#include "instruments/futures.h"
#include "instruments/warrants.h"

namespace tvx {

// In the command line's order, which is also the order of a batch's result
// columns.
inline constexpr auto kCalculatorEntries =
    std::tie(kWarrantsEntry, kFuturesEntry, kStraightBondsEntry, kConvertibleBondsEntry);

// Calls visit(entry) for each calculator, in the list's order.
template <class Visit>
void for_each_calculator(Visit&& visit) {
    std::apply([&](const auto&... entry) { (visit(entry), ...); }, kCalculatorEntries);
}

namespace calculator_detail {
template <class List>
struct models_of;
template <class... Model, class... Results>
struct models_of<std::tuple<const CalculatorEntry<Model, Results>&...>> {
    using type = std::tuple<Model...>;
};
}  // namespace calculator_detail

// One model of each calculator, as the application keeps them.
using CalculatorModels = typename calculator_detail::models_of<std::remove_const_t<decltype(kCalculatorEntries)>>::type;

// What a calculator's entry says of it, without its model's type.
struct CalculatorFacts {
    Window window;
    const char* name;
    const char* caption;
    MenuPlace menu;
    HelpEntry help;
    const char* command;
    const char* summary;
    const char* description;
};

std::vector<CalculatorFacts> calculator_facts();

}  // namespace tvx
