// The simulation's engines and the main window's default terms, shared by
// the simulation's tests.
#pragma once

#include <cstdint>

#include "pricing/monte_carlo.h"

namespace tvx::test {

struct Engine {
    const char* name;
    std::int16_t itype;
    std::int16_t vtype;
};
constexpr Engine cv{"mcarlo_cv", 0, 0};
constexpr Engine vc{"mcarlo_vc", 1, 0};
constexpr Engine vv{"mcarlo_vv", 1, 1};
constexpr Engine engines[] = {cv, vc, vv};

// The main window's default terms.
struct Terms {
    double t = 0.5;
    double Sigma = 0.2;
    double r = 0.045;
    double K = 64.0;
    double S = 60.0;
    double delta = 0.021;
    std::int16_t optype = 0;
    double rho = 0.0;
};

struct Outcome {
    double value;
    int batches;  // yields seen: one per batch
};

inline Outcome run(const Engine& e, const Terms& o) {
    int batches = 0;
    const double v =
        mcarlo(o.t, o.Sigma, o.r, o.K, o.S, o.delta, o.optype, e.itype, o.rho, e.vtype, [&batches] { ++batches; });
    return {v, batches};
}

}  // namespace tvx::test
