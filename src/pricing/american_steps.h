// The American solver's step loop: all the backward steps of the explicit
// scheme, from the terminal values to the values at the start, on the
// fastest of its paths that the processor runs (the tests pin each one
// through pricing/testing.h).
#pragma once

#include <array>
#include <cstdint>

#include "pricing/american.h"

namespace tvx::usa {

// A column of the scheme in node order: node k (-50..50) at index k + 50.
using Column = std::array<double, usa_nodes>;

// The constants of one valuation and the exercise value at every node.
struct Scheme {
    double pu = 0, pm = 0, pd = 0;
    double low_step = 0;   // slope of the exercise value at node -50 times the price gap above it
    double high_step = 0;  // the same at node 50 with the gap below it
    std::int16_t steps = 0;
    Column exercise{};
};

// Every step, from the terminal values in `value` to the values at the
// start.
void run_steps(const Scheme& s, Column& value);

// The same on 512-bit vectors (american_steps_avx512.cpp), for processors
// with AVX-512; run_steps picks it where the processor has it.
void run_steps_avx512(const Scheme& s, Column& value);

}  // namespace tvx::usa
