// How far the American solver's grid lies from the exercise-boundary
// method over random terms, which sets the referee's tolerance, and what the
// route's rule then shows.
//
//   study_american_referee [rows] [seed]
//
// For each row, the six valuations of a Compute (the value, the spot down
// and up, the life, the volatility and the rate down): the grid's value and
// the method's at its full setting (within 1e-6 of an accurate valuation,
// bench/studies/exercise_boundary_study.cpp), their distance in units of
// sigma sqrt(t) max(S, K). Then the rule itself (options/american_rule.h)
// on every row: the share of the Computes it gives to the method instead of
// the grid, how far each value it shows lies from the method's, in units of
// the shown tolerance (half a cent or a thousandth of the value), and
// whether it ever ended in an error. Two sets: ordinary terms (lives 0.02 to 5 years,
// volatilities 0.05 to 1.2, rates and yields 0 to 15 %, strikes within 0.7
// in log of the spot) and extreme ones (lives to 30 years, volatilities 0.03
// to 2.5, rates to 20 %, yields -5 to 25 %, strikes within 1.5 in log).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "american_terms.h"
#include "core/fault.h"
#include "options/american_rule.h"
#include "options/sensitivities.h"
#include "pricing/american.h"
#include "pricing/exercise_boundary.h"

namespace {

using tvx::OptionTerms;

using tvx::study::draw;
using tvx::study::extreme;
using tvx::study::ordinary;
using tvx::study::Ranges;

// The six terms of a Compute, as the sensitivities bump them.
std::array<OptionTerms, 6> bumped(const OptionTerms& o) {
    std::array<OptionTerms, 6> b{o, o, o, o, o, o};
    b[1].spot = o.spot - o.spot * 0.001;
    b[2].spot = o.spot * 0.001 + o.spot;
    b[3].t = o.t - o.t * 0.001;
    b[4].sigma = o.sigma - o.sigma * 0.001;
    b[5].r = o.r - o.r * 0.001;
    return b;
}

double spread(const OptionTerms& o) { return o.sigma * std::sqrt(o.t) * std::max(o.spot, o.strike); }

// The grid as it was laid out to work: the price's drift over the life
// within one standard deviation, the strike within two of the spot (the
// grid spans about three either side; nearer its edges the value feels them).
bool as_designed(const OptionTerms& o) {
    const double sd = o.sigma * std::sqrt(o.t);
    const double drift = std::fabs(o.r - o.yield - 0.5 * o.sigma * o.sigma) * o.t;
    return drift <= sd && std::fabs(std::log(o.strike / o.spot)) < 2.0 * sd;
}

void print(const char* what, const OptionTerms& o, double grid, double boundary) {
    std::printf("    %s: t %.5g sigma %.5g r %.5g%% K %.6g S %.6g q %.5g%% %s: grid %.8g method %.8g (%.3g spreads)\n",
                what, o.t, o.sigma, 100 * o.r, o.strike, o.spot, 100 * o.yield, o.optype == 0 ? "call" : "put", grid,
                boundary, std::fabs(grid - boundary) / spread(o));
}

constexpr double candidates[] = {0.001, 0.0015, 0.002, 0.003};

struct Tally {
    long rows = 0, designed = 0, grid_faults = 0, closed_form = 0;
    double worst_designed = 0;           // the largest distance of a designed row's six, in spreads
    std::vector<double> designed_worst;  // each designed row's largest
    long switched[4] = {}, switched_designed[4] = {};
    long rule_boundary = 0, rule_errors = 0;  // the rule's own choices and errors
    double rule_worst = 0;                    // the largest |shown - method| / tolerance
};

void grid_against_method(const OptionTerms& o, Tally& t) {
    double worst = 0;
    bool fault = false;
    for (const OptionTerms& b : bumped(o)) {
        const double m = tvx::ExerciseBoundary(b.t, b.sigma, b.r, b.strike, b.yield, b.optype).value(b.spot);
        try {
            const double g = tvx::solver_usa(b.t, b.sigma, b.r, b.strike, b.spot, b.yield, b.optype);
            worst = std::max(worst, std::fabs(g - m) / spread(b));
            if (as_designed(o) && std::fabs(g - m) / spread(b) > t.worst_designed) {
                t.worst_designed = std::fabs(g - m) / spread(b);
                print("largest distance on a designed row so far", b, g, m);
            }
        } catch (const tvx::RuntimeError&) {
            fault = true;
        }
    }
    if (fault) ++t.grid_faults;
    if (as_designed(o)) ++t.designed, t.designed_worst.push_back(worst);
    for (int c = 0; c < 4; ++c)
        if (fault || worst > candidates[c]) ++t.switched[c], t.switched_designed[c] += as_designed(o);
}

void rule(const OptionTerms& o, Tally& t) {
    try {
        tvx::AmericanRule rule;
        const tvx::AmericanSensitivities s = rule.sensitivities(o);
        if (s.valuer == tvx::AmericanValuer::ClosedForm) return void(++t.closed_form);
        if (s.valuer == tvx::AmericanValuer::Boundary) ++t.rule_boundary;
        const double m = tvx::ExerciseBoundary(o.t, o.sigma, o.r, o.strike, o.yield, o.optype).value(o.spot);
        const double off = std::fabs(s.s.value - m) / tvx::shown_tolerance(m);
        if (off > t.rule_worst) t.rule_worst = off, print("the rule's largest distance so far", o, s.s.value, m);
    } catch (const std::exception& e) {
        ++t.rule_errors;
        print(e.what(), o, NAN, NAN);
    }
}

void study(const Ranges& g, long rows, unsigned long seed) {
    std::mt19937_64 rng(seed);
    Tally t;
    std::printf("%s:\n", g.name);
    for (long i = 0; i < rows; ++i) {
        const OptionTerms o = draw(g, rng);
        ++t.rows;
        if (o.optype == 0 && o.yield == 0.0) continue;
        grid_against_method(o, t);
        rule(o, t);
    }
    std::sort(t.designed_worst.begin(), t.designed_worst.end());
    const auto quantile = [&](double p) {
        return t.designed_worst.empty() ? 0.0
                                        : t.designed_worst[static_cast<std::size_t>(p * (t.designed_worst.size() - 1))];
    };
    std::printf("  %ld rows, %ld as designed, %ld with a grid fault among the six\n", t.rows, t.designed,
                t.grid_faults);
    std::printf(
        "  designed rows, largest distance of the six in spreads: median %.3g, 99%% %.3g, 99.9%% %.3g, worst %.3g\n",
        quantile(0.5), quantile(0.99), quantile(0.999), quantile(1.0));
    for (int c = 0; c < 4; ++c)
        std::printf("  tolerance %g spreads: %ld Computes to the method (%ld of them designed)\n", candidates[c],
                    t.switched[c], t.switched_designed[c]);
    const long valued = t.rows - t.closed_form;
    std::printf(
        "  the rule: %ld of %ld Computes by the method (%.1f %%), %ld errors, largest distance shown %.3g of "
        "the shown tolerance\n",
        t.rule_boundary, valued, 100.0 * t.rule_boundary / std::max(valued, 1L), t.rule_errors, t.rule_worst);
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 20000;
    const unsigned long seed = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1;
    study(ordinary, rows, seed);
    study(extreme, rows, seed + 1);
}
