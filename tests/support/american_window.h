// The main window set to American terms typed as it takes them (rates and
// yields in per cent), and its Compute with the American method the
// command line may choose.
#pragma once

#include <cstdint>

#include "core/numbers.h"
#include "support/compute_fixture.h"

namespace tvx::test {

struct TypedAmerican {
    const char *time, *vol, *rate, *strike, *spot, *yield;
    bool call;
};

inline OptionTerms terms_of(const TypedAmerican& a) {
    return {parse_number(a.time), parse_number(a.vol),         parse_number(a.rate) / 100,  parse_number(a.strike),
            parse_number(a.spot), parse_number(a.yield) / 100, std::int16_t(a.call ? 0 : 1)};
}

class AmericanWindowFixture : public ComputeFixture {
protected:
    void enter(const TypedAmerican& a) {
        main.optEuro = false;
        main.time = a.time, main.qqq = a.vol, main.irate = a.rate;
        main.strike = a.strike, main.current = a.spot, main.dividend = a.yield;
        main.optCall = a.call;
    }
    // A fresh Compute: no boxes or lines of an earlier one.
    void compute_with(AmericanMethod method) {
        ui = RecordingUi{}, ui.pacifier = &pac, out = OutputWindow{};
        ComputeOptions options;
        options.american_method = method;
        options.results = &results;
        cmdCompute_Click(main, out, pac, ui, options);
    }
    ComputeResults results;
};

}  // namespace tvx::test
