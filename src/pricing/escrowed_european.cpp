#include "pricing/escrowed_european.h"

#include "core/fault.h"
#include "pricing/exact_closed_form.h"

namespace tvx {

double escrowed_spot(double S, double r, std::span<const CashDividend> dividends) {
    const double reduced = chk(S - dividends_present_value(dividends, r));
    if (!(reduced > 0.0)) raise_invalid_operation("the dividends are worth the whole share");
    return reduced;
}

Sensitivities escrowed_european(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype,
                                std::span<const CashDividend> dividends) {
    Sensitivities s = exact_euro_sensitivities(t, Sigma, r, x, escrowed_spot(S, r, dividends), delta, optype);
    // d(reduced spot) / dr: each dividend's present value falls by its
    // time times itself.
    double carried = 0.0;
    for (const CashDividend& d : dividends) carried = chk(carried + chk(d.time * chk(d.amount * fexp(-r * d.time))));
    s.rho = chk(s.rho + chk(s.delta * carried));
    return s;
}

}  // namespace tvx
