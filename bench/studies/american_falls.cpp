// Where an American value shown falls as the volatility or the life grows,
// and what other rules would show.
//
//   study_american_falls [rows] [step] [seed]
//
// From each row's terms (american_terms.h), twelve steps up the volatility
// and twelve up the life, each by `step` of itself (default 0.01); a fall
// is a step whose value, rounded to the four decimals the window shows,
// is below the one before. Five ways of valuing, each over the same steps:
// - the rule (options/american_rule.h): the grid's six valuations where
//   they stand, the exercise-boundary method's otherwise;
// - the grid alone and the method alone (its full setting);
// - the grid held into the band the rule allows around the method
//   (min(max(g, m - tol), m + tol)): continuous, and non-decreasing
//   wherever both are, but it shows the grid wherever it lies inside the
//   band, also where the grid itself falls a little;
// - the rule with the band cut to what the method rises over a thousandth
//   of the life or the volatility: a switch then never falls over a step
//   of a thousandth or more, but the grid keeps fewer of the values it
//   values right.
// For each, the falls, the largest, and the share of the values that are
// the grid's.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "american_terms.h"
#include "core/fault.h"
#include "core/numbers.h"
#include "options/american_referee.h"
#include "options/american_rule.h"
#include "pricing/american.h"
#include "pricing/exercise_boundary.h"

namespace {

using tvx::OptionTerms;

constexpr int kWays = 5;
const char* const kNames[kWays] = {"the rule", "the grid alone", "the method alone", "the grid held in the band",
                                   "the band cut to a thousandth's rise"};

struct Shown {
    double v[kWays];
    bool grid[kWays];
};

// The five values of one set of terms; false when the rule ends in an error.
bool shown(const OptionTerms& o, Shown& s) {
    try {
        tvx::AmericanRule rule;
        const tvx::AmericanSensitivities r = rule.sensitivities(o);
        const double m = rule.boundary_value(o);
        double g = m;
        bool grid_ok = true;
        try {
            g = tvx::solver_usa(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype);
        } catch (const tvx::RuntimeError&) {
            grid_ok = false;
        }
        const double tol = tvx::referee_tolerance(m);
        OptionTerms shorter = o, calmer = o;
        shorter.t = o.t * 0.999;
        calmer.sigma = o.sigma * 0.999;
        const double rise = std::min(m - rule.boundary_value(shorter), m - rule.boundary_value(calmer));
        const bool by_grid = r.valuer == tvx::AmericanValuer::Grid;
        const bool cut_stands = by_grid && std::fabs(g - m) <= std::min(tol, std::max(rise, 0.0));
        s = {{r.s.value, g, m, grid_ok ? std::clamp(g, m - tol, m + tol) : m, cut_stands ? g : m},
             {by_grid, grid_ok, false, grid_ok && std::fabs(g - m) <= tol, cut_stands}};
        return true;
    } catch (const tvx::RuntimeError&) {
        return false;
    }
}

struct Tally {
    long steps = 0, values = 0;
    long falls[kWays] = {}, grids[kWays] = {};
    double worst[kWays] = {};
};

void sweep(OptionTerms o, double OptionTerms::*term, double step, Tally& t) {
    Shown before{};
    bool had = shown(o, before);
    for (int k = 0; k < 12; ++k) {
        o.*term *= 1.0 + step;
        Shown now{};
        const bool has = shown(o, now);
        if (has) {
            ++t.values;
            for (int w = 0; w < kWays; ++w) t.grids[w] += now.grid[w];
        }
        if (had && has) {
            ++t.steps;
            for (int w = 0; w < kWays; ++w) {
                if (tvx::round4(now.v[w]) >= tvx::round4(before.v[w])) continue;
                ++t.falls[w];
                t.worst[w] = std::max(t.worst[w], before.v[w] - now.v[w]);
            }
        }
        before = now;
        had = has;
    }
}

void study(const tvx::study::Ranges& ranges, long rows, double step, unsigned long seed) {
    std::mt19937_64 rng(seed);
    Tally t;
    for (long i = 0; i < rows; ++i) {
        const OptionTerms o = tvx::study::draw(ranges, rng);
        if (o.optype == 0 && o.yield == 0.0) continue;  // the closed form's
        sweep(o, &OptionTerms::sigma, step, t);
        sweep(o, &OptionTerms::t, step, t);
    }
    std::printf("%s terms, steps of %g: %ld steps, %ld values\n", ranges.name, step, t.steps, t.values);
    for (int w = 0; w < kWays; ++w)
        std::printf("  %-36s %5ld falls (largest %.5f), %5.1f %% of the values the grid's\n", kNames[w], t.falls[w],
                    t.worst[w], 100.0 * t.grids[w] / std::max(t.values, 1L));
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1500;
    const double step = argc > 2 ? std::atof(argv[2]) : 0.01;
    const unsigned long seed = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1;
    study(tvx::study::ordinary, rows, step, seed);
    study(tvx::study::extreme, rows, step, seed + 1);
}
