// How the bounds check of the American route fares over random terms: how
// many valuations it refuses, how far below the European value the solver's
// sound values fall (which sets the check's allowance), and, against an
// accurate American value from an independent lattice, how many wrong
// values the check lets through.
//
//   study_american_bounds [rows] [reference rows] [seed]
//
// Two sets of terms: ordinary ones (lives 0.02 to 5 years, volatilities
// 0.05 to 1.2, rates and yields 0 to 15 %, strikes within 0.7 in log of the
// spot) and extreme ones (lives to 30 years, volatilities 0.03 to 2.5,
// rates to 20 %, yields -5 to 25 %, strikes within 1.5 in log).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "american_terms.h"
#include "core/fault.h"
#include "options/american_bounds.h"
#include "options/sensitivities.h"
#include "pricing/american.h"
#include "pricing/closed_form.h"
#include "support/american_reference.h"

namespace {

using tvx::OptionTerms;

using tvx::study::draw;
using tvx::study::extreme;
using tvx::study::ordinary;
using tvx::study::Ranges;

void print(const char* what, const OptionTerms& o, double v, double european, double reference) {
    std::printf(
        "  %s: t %.5g sigma %.5g r %.5g%% K %.6g S %.6g q %.5g%% %s: solver %.6g European %.6g reference %.6g\n", what,
        o.t, o.sigma, 100 * o.r, o.strike, o.spot, 100 * o.yield, o.optype == 0 ? "call" : "put", v, european,
        reference);
}

// Candidate allowances: c sigma sqrt(t) max(S, K) plus a floor in dollars.
constexpr double candidate_c[] = {5e-4, 1e-3, 2e-3, 5e-3};
constexpr double candidate_floor[] = {0.0, 0.001, 0.005};

struct Tally {
    long candidate_refusals[4][3] = {};  // rows whose value falls short of the European one by more
    long rows = 0, valuations = 0, solver_errors = 0, refused = 0, refused_rows = 0;
    long referenced = 0, refused_right = 0, refused_wrong = 0, passed_wrong = 0, passed_wrong_cent = 0;
    long passed_wrong_coarse = 0;  // of the passed wrong ones, sigma sqrt(t) above 2 (dx above 0.12)
    long passed_wrong_off = 0;     // of the passed wrong ones, a drift over the life above one spread
    // On the grid (drift over the life within one standard deviation): the
    // solver's shortfall below the European value and its error against the
    // reference, both in units of sigma sqrt(t) max(S, K).
    double worst_ratio = 0, worst_error_on_grid = 0;
    double worst_inside = 0;       // the shortfall ratio with the strike inside the grid too
    double worst_error_ratio = 0;  // |solver - reference| / allowance over passed values
};

bool refused(double v, const OptionTerms& o) {
    try {
        tvx::checked_american_value(v, o);
        return false;
    } catch (const tvx::RuntimeError&) {
        return true;
    }
}

// The six valuations of a Compute; true when any is refused.
bool compute_refused(const OptionTerms& o, Tally& tally) {
    bool any = false;
    const tvx::Valuation counting = [&](const OptionTerms& b) {
        const double v = tvx::solver_usa(b.t, b.sigma, b.r, b.strike, b.spot, b.yield, b.optype);
        ++tally.valuations;
        if (refused(v, b)) ++tally.refused, any = true;
        return v;
    };
    tvx::sensitivities(counting, o);
    return any;
}

// One valuation against the accurate lattice: is it refused, is it wrong.
void against_reference(const OptionTerms& o, double v, double european, double drift, double spread, Tally& tally) {
    const double reference = tvx::test::american_reference(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype == 0);
    if (!std::isfinite(reference)) return;
    ++tally.referenced;
    const double allowance = tvx::american_allowance(o);
    const double error = std::fabs(v - reference);
    if (drift <= spread) {
        const double e = error / (spread * std::max(o.spot, o.strike));
        if (e > tally.worst_error_on_grid) {
            tally.worst_error_on_grid = e;
            print("largest error on the grid so far", o, v, european, reference);
        }
    }
    const bool wrong = error > allowance;
    if (refused(v, o)) {
        ++(wrong ? tally.refused_wrong : tally.refused_right);
        if (!wrong) print("refused, yet right", o, v, european, reference);
    } else if (wrong) {
        ++tally.passed_wrong;
        if (error > 0.005) ++tally.passed_wrong_cent;
        if (spread > 2.0) ++tally.passed_wrong_coarse;
        if (drift > spread) ++tally.passed_wrong_off;
        if (tally.passed_wrong <= 6) print("passed, wrong", o, v, european, reference);
    }
    if (!refused(v, o)) tally.worst_error_ratio = std::max(tally.worst_error_ratio, error / allowance);
}

// The study's figures for one range of terms.
void report(const Ranges& g, const Tally& tally) {
    std::printf(
        "%s: %ld rows, %ld solver errors; %ld of %ld valuations refused, in %ld rows; worst shortfall "
        "below the European value on the grid: %.3g sigma sqrt(t) max(S, K)\n",
        g.name, tally.rows, tally.solver_errors, tally.refused, tally.valuations, tally.refused_rows,
        tally.worst_ratio);
    std::printf("  worst shortfall with the strike inside the grid too: %.3g\n", tally.worst_inside);
    for (int a = 0; a < 4; ++a)
        for (int b = 0; b < 3; ++b)
            std::printf("  rows short of the European value by more than %g sigma sqrt(t) max(S, K) + %g: %ld\n",
                        candidate_c[a], candidate_floor[b], tally.candidate_refusals[a][b]);
    std::printf(
        "  against the reference (%ld rows): refused and wrong %ld, refused yet right %ld, passed and wrong "
        "(off by more than the allowance) %ld, of them off by more than half a cent %ld, with sigma sqrt(t) "
        "above 2 %ld, with a drift above one spread %ld; worst passed error %.3g allowances; worst error on "
        "the grid %.3g sigma sqrt(t) max(S, K)\n",
        tally.referenced, tally.refused_wrong, tally.refused_right, tally.passed_wrong, tally.passed_wrong_cent,
        tally.passed_wrong_coarse, tally.passed_wrong_off, tally.worst_error_ratio, tally.worst_error_on_grid);
}

void study(const Ranges& g, long rows, long reference_rows, unsigned long seed) {
    std::mt19937_64 rng(seed);
    Tally tally;
    for (long i = 0; i < rows; ++i) {
        const OptionTerms o = draw(g, rng);
        ++tally.rows;
        double v, european;
        try {
            v = tvx::solver_usa(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype);
            european = tvx::solver_euro(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype);
            if (compute_refused(o, tally)) {
                ++tally.refused_rows;
                if (tally.refused_rows <= 6) print("a Compute refused", o, v, european, NAN);
            }
        } catch (const tvx::RuntimeError&) {
            ++tally.solver_errors;  // an unstable scheme or an arithmetic fault: an error already
            continue;
        }
        // Where the distribution stays on the grid (drift over the life
        // within one standard deviation), a shortfall is the grid's own error.
        const double drift = std::fabs(o.r - o.yield - 0.5 * o.sigma * o.sigma) * o.t;
        const double spread = o.sigma * std::sqrt(o.t);
        const double ratio = (european - v) / (spread * std::max(o.spot, o.strike));
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 3; ++b)
                if (european - v > candidate_c[a] * spread * std::max(o.spot, o.strike) + candidate_floor[b])
                    ++tally.candidate_refusals[a][b];
        const double half_width = 2.97 * spread;
        if (drift <= spread && std::fabs(std::log(o.strike / o.spot)) < half_width && ratio > tally.worst_inside)
            tally.worst_inside = ratio;
        if (drift <= spread && ratio > tally.worst_ratio) {
            tally.worst_ratio = ratio;
            print("largest shortfall so far", o, v, european, NAN);
        }
        if (i >= reference_rows) continue;
        against_reference(o, v, european, drift, spread, tally);
    }
    report(g, tally);
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 20000;
    const long reference_rows = argc > 2 ? std::atol(argv[2]) : 2000;
    const unsigned long seed = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1;
    study(ordinary, rows, reference_rows, seed);
    study(extreme, rows, reference_rows, seed + 1);
}
