// Built without contraction into fused multiply-adds (CMakeLists.txt): the
// exact square below relies on every product being rounded on its own.
#include "pricing/normal.h"

#include "core/fault.h"

namespace tvx {

namespace {

// The coefficients of ANORM, as published.
constexpr double kA[5] = {2.2352520354606839287, 161.02823106855587881, 1067.6894854603709582, 18154.981253343561249,
                          0.065682337918207449113};
constexpr double kB[4] = {47.20258190468824187, 976.09855173777669322, 10260.932208618978205, 45507.789335026729956};
constexpr double kC[9] = {0.39894151208813466764, 8.8831497943883759412, 93.506656132177855979,
                          597.27027639480026226,  2494.5375852903726711, 6848.1904505362823326,
                          11602.651437647350124,  9842.7148383839780218, 1.0765576773720192317e-8};
constexpr double kD[8] = {22.266688044328115691, 235.38790178262499861, 1519.377599407554805,  6485.558298266760755,
                          18615.571640885098091, 34900.952721145977266, 38912.003286093271411, 19685.429676859990727};
constexpr double kP[6] = {0.21589853405795699,     0.1274011611602473639, 0.022235277870649807,
                          0.001421619193227893466, 2.9112874951168792e-5, 0.02307344176494017303};
constexpr double kQ[5] = {1.28426009614491121, 0.468238212480865118, 0.0659881378689285515, 0.00378239633202758244,
                          7.29751555083966205e-5};
constexpr double kSqrt32 = 5.656854249492380195;

// P(Z <= x) - 1/2 for |x| <= kNormalCentral.
double central(double x) {
    const double xsq = x * x;
    double num = kA[4] * xsq, den = xsq;
    for (int i = 0; i < 3; ++i) {
        num = (num + kA[i]) * xsq;
        den = (den + kB[i]) * xsq;
    }
    return x * (num + kA[3]) / (den + kB[3]);
}

// P(Z > y) / e^(-y^2 / 2) for y > kNormalCentral.
double scaled_tail(double y) {
    if (y <= kSqrt32) {
        double num = kC[8] * y, den = y;
        for (int i = 0; i < 7; ++i) {
            num = (num + kC[i]) * y;
            den = (den + kD[i]) * y;
        }
        return (num + kC[7]) / (den + kD[7]);
    }
    const double xsq = 1.0 / (y * y);
    double num = kP[5] * xsq, den = xsq;
    for (int i = 0; i < 4; ++i) {
        num = (num + kP[i]) * xsq;
        den = (den + kQ[i]) * xsq;
    }
    return (kInvSqrt2Pi - xsq * (num + kP[4]) / (den + kQ[4])) / y;
}

}  // namespace

double half_square_exp(double x) {
    // Beyond 40 the exponential is 0 (or x is not a number) either way.
    if (!(std::fabs(x) < 40.0)) return std::exp(-0.5 * x * x);
    // x^2 = hi + lo exactly, by Dekker's product: x split into two halves
    // of 26 bits whose products are exact.
    constexpr double kSplit = 134217729.0;  // 2^27 + 1
    const double c = kSplit * x;
    const double high = c - (c - x);
    const double low = x - high;
    const double hi = x * x;
    const double lo = ((high * high - hi) + 2.0 * high * low) + low * low;
    return std::exp(-0.5 * hi) * (1.0 - 0.5 * lo);
}

NormalSides normal_sides(double x, double g) {
    const double y = std::fabs(x);
    if (y <= kNormalCentral) {
        const double c = central(x);
        return {0.5 + c, 0.5 - c};
    }
    const double tail = g * scaled_tail(y);
    return x > 0.0 ? NormalSides{1.0 - tail, tail} : NormalSides{tail, 1.0 - tail};
}

double normal_cdf(double x) {
    if (std::isnan(x)) return x;
    const double g = std::fabs(x) > kNormalCentral ? half_square_exp(x) : 0.0;
    return normal_sides(x, g).lower;
}

double scaled_upper_tail(double a, double d) {
    if (a < 600.0 || d <= 0.0) return chk(std::exp(a) * normal_cdf(-d));
    return chk(std::exp(a - 0.5 * d * d) * kInvSqrt2Pi * mills_ratio(d));
}

}  // namespace tvx
