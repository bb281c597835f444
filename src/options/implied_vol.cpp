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

        const double v = chk(variant.routine(at));
        if (cancelled()) return {SearchOutcome::Cancelled, 0, n};
        const double v_down = chk(variant.routine(down));
        const double slope = fdiv(chk(v - v_down), kSearchStep);
        if (cancelled()) return {SearchOutcome::Cancelled, 0, n};
        if (!slope_accepted(variant.slope_guard, slope)) return {SearchOutcome::Failure, 0, n};

        const double c = chk(sigma - fdiv(chk(v - price), slope));
        const double change = std::fabs(chk(c - sigma));
        if (variant.after_step) variant.after_step(n, change);

        if (change <= kSearchTolerance) return {SearchOutcome::Success, c, n};
        if (n >= kSearchMaxIterations) return {SearchOutcome::Failure, 0, n};
        if (variant.positivity_guard && !(c > 0.0)) return {SearchOutcome::Failure, 0, n};
        sigma = c;
    }
}

}  // namespace tvx
