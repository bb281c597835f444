#include "options/sensitivities.h"

#include <array>

#include "core/fault.h"

namespace tvx {

std::array<OptionTerms, 6> bumped_terms(const OptionTerms& in) {
    const double dS = chk(in.spot * 0.001);
    std::array<OptionTerms, 6> bumped{in, in, in, in, in, in};
    bumped[1].spot = chk(in.spot - dS);
    bumped[2].spot = chk(dS + in.spot);
    bumped[3].t = chk(in.t - chk(in.t * 0.001));
    bumped[4].sigma = chk(in.sigma - chk(in.sigma * 0.001));
    bumped[5].r = chk(in.r - chk(in.r * 0.001));
    return bumped;
}

std::optional<Sensitivities> sensitivities(const Valuation& routine, const OptionTerms& in,
                                           const AfterValuation& after) {
    const double dS = chk(in.spot * 0.001);
    const double dr = chk(in.r * 0.001);
    const double dT = chk(in.t * 0.001);
    const double dSigma = chk(in.sigma * 0.001);
    const std::array<OptionTerms, 6> bumped = bumped_terms(in);

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

Sensitivities central_sensitivities(const Valuation& routine, const OptionTerms& in) {
    // The slope of the routine in one input, moved by a thousandth of it.
    const auto slope = [&](double OptionTerms::*term) {
        const double h = chk(in.*term * 0.001);
        OptionTerms down = in, up = in;
        down.*term = chk(in.*term - h);
        up.*term = chk(in.*term + h);
        return std::array<double, 3>{chk(routine(down)), chk(routine(up)), h};
    };
    Sensitivities s;
    s.value = chk(routine(in));
    const auto [S_down, S_up, dS] = slope(&OptionTerms::spot);
    s.delta = fdiv(chk(S_up - S_down), chk(2.0 * dS));
    s.gamma = fdiv(chk(chk(S_up - chk(2.0 * s.value)) + S_down), chk(dS * dS));
    const auto [t_down, t_up, dT] = slope(&OptionTerms::t);
    s.theta = fdiv(chk(t_up - t_down), chk(2.0 * dT));
    const auto [sigma_down, sigma_up, dSigma] = slope(&OptionTerms::sigma);
    s.vega = fdiv(chk(sigma_up - sigma_down), chk(2.0 * dSigma));
    const auto [r_down, r_up, dr] = slope(&OptionTerms::r);
    s.rho = fdiv(chk(r_up - r_down), chk(2.0 * dr));
    return s;
}

}  // namespace tvx
