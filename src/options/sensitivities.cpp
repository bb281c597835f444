#include "options/sensitivities.h"

#include <array>

#include "core/fault.h"

namespace tvx {

std::optional<Sensitivities> sensitivities(const Valuation& routine, const OptionTerms& in,
                                           const AfterValuation& after) {
    const double dS = chk(in.spot * 0.001);
    const double dr = chk(in.r * 0.001);
    const double dT = chk(in.t * 0.001);
    const double dSigma = chk(in.sigma * 0.001);

    std::array<OptionTerms, 6> bumped{in, in, in, in, in, in};
    bumped[1].spot = chk(in.spot - dS);
    bumped[2].spot = chk(dS + in.spot);
    bumped[3].t = chk(in.t - dT);
    bumped[4].sigma = chk(in.sigma - dSigma);
    bumped[5].r = chk(in.r - dr);

    std::array<double, 6> v{};
    for (int k = 0; k < 6; ++k) {
        v[k] = chk(routine(bumped[k]));
        if (after && !after(k + 1)) return std::nullopt;
    }
    const auto& [V0, V_Sdown, V_Sup, V_Tdown, V_Sigmadown, V_rdown] = v;

    Sensitivities s;
    s.value = V0;
    s.delta = fdiv(chk(V_Sup - V_Sdown), chk(2.0 * dS));
    s.gamma = fdiv(chk(chk(V_Sup - chk(2.0 * V0)) + V_Sdown), chk(dS * dS));
    s.theta = fdiv(chk(V0 - V_Tdown), dT);
    s.vega = fdiv(chk(V0 - V_Sigmadown), dSigma);
    s.rho = fdiv(chk(V0 - V_rdown), dr);
    return s;
}

}  // namespace tvx
