// The classic strategies, each a recipe that places its legs around a
// centre strike at steps of a width: one quantity each (two for the
// butterfly's body), the same life and volatility, premiums left to the
// model (each leg starts at no profit), a share bought at the spot.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "strategy/position.h"

namespace tvx {

// Where a recipe places its legs.
struct PresetTerms {
    double centre = 0;  // the centre strike
    double width = 0;   // the step between strikes
    double time = 0;    // the legs' life in years (a calendar's near leg)
    double volatility = 0;
    LegStyle style = LegStyle::European;
};

struct Preset {
    const char* name;       // on the command line: "iron-condor"
    const char* caption;    // in the window: "Iron condor"
    const char* placement;  // how it places its legs (C the centre, W the width, T the life)
    std::vector<Leg> (*legs)(const PresetTerms& terms);
};

// Every preset, in the window's order.
std::span<const Preset> presets();
// The preset of that command-line name; null for none.
const Preset* preset_named(std::string_view name);

// The width when none is given: a twentieth of the centre (5 %).
inline double default_width(double centre) { return centre / 20.0; }

}  // namespace tvx
