#include "options/american_referee.h"

#include <cmath>

#include "core/fault.h"
#include "core/numbers.h"

namespace tvx {

// Measured with bench/studies/american_referee.cpp over 20,000 random
// ordinary terms (lives 0.02 to 5 years, volatilities 0.05 to 1.2, rates and
// yields 0 to 15 %, strikes within 0.7 in log of the spot): where the grid
// holds the price's distribution as it was laid out to (the drift over the
// life within one standard deviation, the strike within two of the spot),
// none of the six values of 16,178 Computes lies farther from the
// exercise-boundary method than 0.00101 sigma sqrt(t) max(S, K). The
// tolerance is twice that, the bound check's own allowance: 94 of the
// 20,000 Computes go to the method, none of them laid out as designed.
inline constexpr double kRefereeTolerance = 0.002;

double referee_tolerance(const OptionTerms& o) {
    return chk(chk(kRefereeTolerance * chk(o.sigma * fsqrt(o.t))) * maximum(o.spot, o.strike));
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

bool grid_value_stands(double v, const OptionTerms& o, BoundaryCache& cache, double life) {
    const double tolerance = referee_tolerance(o);
    // The fast setting is within about 1e-4 of the value; well inside the
    // tolerance that is enough, nearer its edge the full setting decides.
    if (std::fabs(v - cache.value(o, kBoundaryFast, life)) <= 0.5 * tolerance) return true;
    return std::fabs(v - cache.value(o, kBoundaryFull, life)) <= tolerance;
}

}  // namespace tvx
