#include "options/implied_vol.h"

#include <cmath>

#include "core/fault.h"
#include "core/numbers.h"

namespace tvx {

namespace {

bool slope_accepted(SlopeGuard guard, double slope) {
    switch (guard) {
        case SlopeGuard::None: return true;
        case SlopeGuard::AtLeast: return slope >= kSlopeLimit;
        case SlopeGuard::Above: return slope > kSlopeLimit;
    }
    return false;
}

}  // namespace

SearchResult implied_vol(const SearchVariant& variant, double price, const OptionTerms& in) {
    const auto cancelled = [&] { return variant.cancel_requested && variant.cancel_requested(); };
    SearchResult res;
    double sigma = kSearchStart;
    std::int16_t n = 0;
    for (;;) {
        n = int16_add(n, 1);
        res.iterations = n;
        OptionTerms at = in;
        at.sigma = sigma;
        OptionTerms down = in;
        down.sigma = chk(sigma - kSearchStep);
        // A volatility of 0 or below is no volatility: valued there, the
        // closed form faults or mirrors the other option type and the
        // solvers fault, and the slope taken across 0 is meaningless.
        if (!(down.sigma > 0.0)) return {SearchOutcome::Failure, 0, n};

        const double v = chk(variant.routine(at));
        if (cancelled()) return {SearchOutcome::Cancelled, 0, n};
        const double v_down = chk(variant.routine(down));
        const double slope = fdiv(chk(v - v_down), kSearchStep);
        if (cancelled()) return {SearchOutcome::Cancelled, 0, n};
        if (!slope_accepted(variant.slope_guard, slope)) return {SearchOutcome::Failure, 0, n};

        const double c = chk(sigma - fdiv(chk(v - price), slope));
        const double change = std::fabs(chk(c - sigma));
        if (variant.after_step) variant.after_step(n, change);

        // A candidate not above 0 fails whatever the other rules say: it can
        // pass the tolerance too (a steep slope near 0 makes a small step).
        if (!(c > 0.0)) return {SearchOutcome::Failure, 0, n};
        if (change <= kSearchTolerance) return {SearchOutcome::Success, c, n};
        if (n >= kSearchMaxIterations) return {SearchOutcome::Failure, 0, n};
        sigma = c;
    }
}

}  // namespace tvx
