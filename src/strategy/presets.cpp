#include "strategy/presets.h"

#include "core/fault.h"

namespace tvx {

namespace {

// An option leg of the recipe, `steps` widths from the centre.
Leg option(const PresetTerms& p, Side side, Instrument instrument, double steps, int quantity = 1,
           double life_factor = 1.0) {
    Leg leg;
    leg.side = side;
    leg.quantity = quantity;
    leg.instrument = instrument;
    leg.style = p.style;
    leg.strike = chk(p.centre + steps * p.width);
    leg.time = chk(p.time * life_factor);
    leg.volatility = p.volatility;
    return leg;
}

Leg share() {
    Leg leg;
    leg.instrument = Instrument::Share;
    return leg;
}

using enum Side;
using enum Instrument;

constexpr Preset kPresets[] = {
    {"long-call", "Long call", "a call bought at C",
     [](const PresetTerms& p) { return std::vector{option(p, Long, Call, 0)}; }},
    {"long-put", "Long put", "a put bought at C",
     [](const PresetTerms& p) { return std::vector{option(p, Long, Put, 0)}; }},
    {"covered-call", "Covered call", "a share bought at the spot, a call sold at C+W",
     [](const PresetTerms& p) {
         return std::vector{share(), option(p, Short, Call, 1)};
     }},
    {"protective-put", "Protective put", "a share bought at the spot, a put bought at C-W",
     [](const PresetTerms& p) {
         return std::vector{share(), option(p, Long, Put, -1)};
     }},
    {"collar", "Collar", "a share bought at the spot, a put bought at C-W, a call sold at C+W",
     [](const PresetTerms& p) {
         return std::vector{share(), option(p, Long, Put, -1), option(p, Short, Call, 1)};
     }},
    {"bull-call-spread", "Bull call spread", "a call bought at C, a call sold at C+W",
     [](const PresetTerms& p) {
         return std::vector{option(p, Long, Call, 0), option(p, Short, Call, 1)};
     }},
    {"bear-put-spread", "Bear put spread", "a put bought at C, a put sold at C-W",
     [](const PresetTerms& p) {
         return std::vector{option(p, Long, Put, 0), option(p, Short, Put, -1)};
     }},
    {"long-straddle", "Long straddle", "a call and a put bought at C",
     [](const PresetTerms& p) {
         return std::vector{option(p, Long, Call, 0), option(p, Long, Put, 0)};
     }},
    {"long-strangle", "Long strangle", "a put bought at C-W, a call bought at C+W",
     [](const PresetTerms& p) {
         return std::vector{option(p, Long, Put, -1), option(p, Long, Call, 1)};
     }},
    {"long-butterfly", "Long butterfly", "calls bought at C-W and C+W, two calls sold at C",
     [](const PresetTerms& p) {
         return std::vector{option(p, Long, Call, -1), option(p, Short, Call, 0, 2), option(p, Long, Call, 1)};
     }},
    {"iron-condor", "Iron condor", "puts bought at C-2W and sold at C-W, calls sold at C+W and bought at C+2W",
     [](const PresetTerms& p) {
         return std::vector{option(p, Long, Put, -2), option(p, Short, Put, -1), option(p, Short, Call, 1),
                            option(p, Long, Call, 2)};
     }},
    {"calendar-spread", "Calendar spread", "a call sold at C with life T, a call bought at C with life 2T",
     [](const PresetTerms& p) {
         return std::vector{option(p, Short, Call, 0), option(p, Long, Call, 0, 1, 2.0)};
     }},
};

}  // namespace

std::span<const Preset> presets() { return kPresets; }

const Preset* preset_named(std::string_view name) {
    for (const Preset& p : kPresets)
        if (name == p.name) return &p;
    return nullptr;
}

}  // namespace tvx
