#include "smile/forwards.h"

#include <algorithm>
#include <cmath>

#include "core/fault.h"

namespace tvx {

std::optional<ExpiryMarket> parity_market(std::vector<ParityPair> pairs, double time) {
    if (static_cast<int>(pairs.size()) < kParityLeast) return std::nullopt;
    std::sort(pairs.begin(), pairs.end(), [](const ParityPair& a, const ParityPair& b) {
        return std::fabs(a.call - a.put) < std::fabs(b.call - b.put);
    });
    if (static_cast<int>(pairs.size()) > kParityMost) pairs.resize(kParityMost);
    double mean_k = 0, mean_y = 0;
    for (const ParityPair& p : pairs) mean_k += p.strike, mean_y += p.call - p.put;
    mean_k /= static_cast<double>(pairs.size());
    mean_y /= static_cast<double>(pairs.size());
    double skk = 0, sky = 0;
    for (const ParityPair& p : pairs) {
        skk += (p.strike - mean_k) * (p.strike - mean_k);
        sky += (p.strike - mean_k) * (p.call - p.put - mean_y);
    }
    if (!(skk > 0.0)) return std::nullopt;
    const double discount = -chk(sky / skk);
    if (!(discount > 0.0 && discount <= 2.0)) return std::nullopt;
    const double forward = chk((mean_y + discount * mean_k) / discount);
    if (!(forward > 0.0)) return std::nullopt;
    return ExpiryMarket{time, forward, discount};
}

ExpiryMarket rate_market(double spot, double rate, double yield, double time) {
    return {time, chk(spot * fexp(chk((rate - yield) * time))), fexp(chk(-rate * time))};
}

}  // namespace tvx
