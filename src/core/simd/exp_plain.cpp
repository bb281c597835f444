// The plain exponential in scalar code: the vector form on one lane of the
// instruction set this file is built for, which rounds as every other does.
#include <hwy/highway.h>

#include <cmath>

#include "core/simd/exponential.h"
#include "core/simd/vector_exp-inl.h"

namespace tvx {

double exp_plain(double x) {
    if (!(std::fabs(x) <= 706.0)) return std::exp(x);
    namespace hn = hwy::HWY_NAMESPACE;
    const hn::CappedTag<double, 1> d;
    return hn::GetLane(simd::HWY_NAMESPACE::ExpPlain(d, hn::Set(d, x)));
}

}  // namespace tvx
