#include "options/american_referee.h"

#include <cmath>

#include "core/fault.h"
#include "core/numbers.h"

namespace tvx {

namespace {

// What the window shows is rounded to four decimals, and the method at its
// full setting lies within a millionth of the value: twice each is left
// as a margin.
inline constexpr double kRoundingMargin = 0.0001;
inline constexpr double kMethodMargin = 2e-6;

// The fast setting lies within about a tenth of the tolerance of the full
// one (bench/studies/american_referee.cpp: at most 0.11 over 20,000
// extreme terms), and its Delta within 0.002 of the full one's: where the
// gap on the fast setting is clearly below 1 or clearly above, it decides;
// only between these bounds does the full setting.
inline constexpr double kFastStands = 0.85;
inline constexpr double kFastFalls = 1.15;
inline constexpr double kFastDeltaStands = 0.0075;
inline constexpr double kFastDeltaFalls = 0.0125;

}  // namespace

double shown_tolerance(double v) { return maximum(0.005, chk(0.001 * std::fabs(v))); }

double referee_tolerance(double m) {
    const double margin = chk(kRoundingMargin + chk(kMethodMargin * std::fabs(m)));
    return chk(shown_tolerance(m) - margin);
}

double BoundaryCache::value(const OptionTerms& o, const BoundarySettings& settings, double life) {
    const double t = life > 0.0 ? life : o.t;
    for (auto it = kept_.begin(); it != kept_.end(); ++it) {
        if (it->t == t && it->sigma == o.sigma && it->r == o.r && it->yield == o.yield && it->optype == o.optype &&
            it->settings == &settings) {
            kept_.splice(kept_.begin(), kept_, it);
            return kept_.front().boundary.value(o.spot, o.t, o.strike);
        }
    }
    kept_.push_front({t, o.sigma, o.r, o.yield, o.optype, &settings,
                      ExerciseBoundary(t, o.sigma, o.r, o.strike, o.yield, o.optype, settings)});
    if (kept_.size() > kKept) kept_.pop_back();
    return kept_.front().boundary.value(o.spot, o.t, o.strike);
}

double grid_value_gap(double v, const OptionTerms& o, BoundaryCache& cache, double life) {
    const double fast = cache.value(o, kBoundaryFast, life);
    const double gap = fdiv(std::fabs(v - fast), referee_tolerance(fast));
    if (gap <= kFastStands || gap >= kFastFalls) return gap;
    const double full = cache.value(o, kBoundaryFull, life);
    return fdiv(std::fabs(v - full), referee_tolerance(full));
}

double grid_delta_gap(double delta, const OptionTerms& down, const OptionTerms& up, BoundaryCache& cache, double life) {
    const double step = chk(up.spot - down.spot);
    const auto method_delta = [&](const BoundarySettings& s) {
        return fdiv(chk(cache.value(up, s, life) - cache.value(down, s, life)), step);
    };
    const double fast = std::fabs(delta - method_delta(kBoundaryFast));
    if (fast <= kFastDeltaStands || fast >= kFastDeltaFalls) return fast / kDeltaTolerance;
    return std::fabs(delta - method_delta(kBoundaryFull)) / kDeltaTolerance;
}

}  // namespace tvx
