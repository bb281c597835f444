// The implied-volatility search: a Newton iteration from 0.25 whose slope is
// a one-sided difference of two valuations. The closed-form, American and
// Monte Carlo searches are configurations of this one routine. Every search
// values only at volatilities above 0 (a down-bumped volatility at or below
// 0 fails it) and reports only a result above 0 (a candidate at or below 0
// fails it).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "options/valuation.h"

namespace tvx {

enum class SlopeGuard {
    None,     // any slope is used (a zero slope faults in the Newton step)
    AtLeast,  // slope >= 0.001 passes
    Above,    // slope > 0.001 passes
};

struct SearchVariant {
    Valuation routine;
    SlopeGuard slope_guard = SlopeGuard::None;
    std::string success_title;
    // Progress hooks: read after the first valuation and after the slope of
    // every iteration (true stops the search as cancelled), and told the
    // iteration number and the change |c - Sigma| after each Newton step.
    std::function<bool()> cancel_requested;
    std::function<void(std::int16_t n, double change)> after_step;
};

// NotDetermined: the price sits at its no-arbitrage floor, where every
// volatility up to `sigma` reproduces it (exact figures only).
enum class SearchOutcome { Success, Failure, Cancelled, NotDetermined };

struct SearchResult {
    SearchOutcome outcome = SearchOutcome::Failure;
    double sigma = 0;  // the implied volatility on success; the largest that reproduces the price when not determined
    std::int16_t iterations = 0;
};

inline constexpr double kSearchStart = 0.25;
inline constexpr double kSearchStep = 0.00025;
inline constexpr double kSearchTolerance = 0.001;
inline constexpr double kSlopeLimit = 0.001;
inline constexpr int kSearchMaxIterations = 10;

// `in.sigma` is ignored: every search starts from 0.25.
SearchResult implied_vol(const SearchVariant& variant, double price, const OptionTerms& in);

inline constexpr const char* kSearchFailure =
    "There was an error in this computation. Please check your\rinput values and try again.";

}  // namespace tvx
