#include "strategy/spot_distribution.h"

#include <cmath>

#include "core/fault.h"
#include "pricing/normal.h"

namespace tvx {

SpotDistribution::SpotDistribution(double spot, double rate, double dividend, double volatility, double horizon,
                                   double shift)
    : log_spot_(flog(spot)),
      mean_(chk((rate - dividend - 0.5 * volatility * volatility) * horizon)),
      deviation_(chk(volatility * fsqrt(horizon))),
      shift_(shift) {
    if (!(deviation_ > 0.0)) raise_invalid_operation("a distribution without spread");
}

double SpotDistribution::z(double x) const { return fdiv(flog(x - shift_) - log_spot_ - mean_, deviation_); }

double SpotDistribution::probability(double from, std::optional<double> to) const {
    // The mass below x: none below 0, all of it below no end.
    const auto below = [this](double x) { return x > shift_ ? normal_cdf(z(x)) : 0.0; };
    const auto above = [this](std::optional<double> x) { return x ? (*x > shift_ ? normal_cdf(-z(*x)) : 1.0) : 0.0; };
    // Phi(b) - Phi(a), written as Phi(-a) - Phi(-b) above the median so
    // that a far upper tail keeps its digits.
    if (from > shift_ && z(from) > 0.0) return above(from) - above(to);
    return (to ? below(*to) : 1.0) - below(from);
}

double SpotDistribution::spot_at(double deviations) const {
    return chk(fexp(log_spot_ + mean_ + deviations * deviation_) + shift_);
}

}  // namespace tvx
