#include "pricing/normal.h"

#include "core/fault.h"

namespace tvx {

double scaled_upper_tail(double a, double d) {
    if (a < 600.0 || d <= 0.0) return chk(std::exp(a) * normal_cdf(-d));
    return chk(std::exp(a - 0.5 * d * d) * kInvSqrt2Pi * mills_ratio(d));
}

}  // namespace tvx
