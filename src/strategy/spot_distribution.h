// The spot at the horizon as the analysis sees it: lognormal, its
// logarithm drifting at r - q - sigma^2 / 2 a year from today's spot, with
// standard deviation sigma sqrt(h); with cash dividends, a lognormal part
// and a shift (the dividends still to come, valued at the horizon).
#pragma once

#include <optional>

namespace tvx {

class SpotDistribution {
public:
    // rate and dividend as fractions; volatility and horizon above 0.
    SpotDistribution(double spot, double rate, double dividend, double volatility, double horizon, double shift = 0.0);

    // The probability that the spot at the horizon ends above `from` and
    // below `to` (none: no upper end). Exact: the normal distribution of
    // its logarithm, integrated in closed form.
    double probability(double from, std::optional<double> to) const;
    // The spot whose logarithm lies `deviations` standard deviations from
    // the logarithm's mean (negative below it).
    double spot_at(double deviations) const;

private:
    // The standard normal variable of spot x (x above 0).
    double z(double x) const;

    double log_spot_, mean_, deviation_, shift_;
};

}  // namespace tvx
