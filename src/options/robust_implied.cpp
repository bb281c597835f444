#include "options/robust_implied.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <optional>
#include <utility>

#include "core/fault.h"
#include "core/numbers.h"
#include "pricing/closed_form.h"

namespace tvx {

namespace {

// The coefficients of the routine's N (see closed_form.cpp).
constexpr double kP = 0.33267;
constexpr double kA1 = 0.4361836;
constexpr double kA2 = -0.1201676;
constexpr double kA3 = 0.937298;

// N at |d| and at -|d| as the routine forms them, and its slope there.
struct NormalAt {
    double upper;  // N(|d|) = 1 - z poly
    double slope;  // N'(d), the same on both sides
};

NormalAt normal_at(double d) {
    chk(d);
    const double x = std::fabs(d);
    const double k = fdiv(1.0, 1.0 + kP * x);
    const double poly = kA1 * k + kA2 * k * k + kA3 * k * k * k;
    const double z = fexp(-chk(x * x) / 2.0) / std::sqrt(2.0 * std::numbers::pi);
    const double dpoly = kA1 + 2.0 * kA2 * k + 3.0 * kA3 * k * k;
    return {1.0 - z * poly, z * (x * poly + kP * k * k * dpoly)};
}

// N(d) and N(-d) exactly as the routine's N gives them for either sign.
double n_plus(double d, const NormalAt& n) { return d >= 0.0 ? n.upper : 1.0 - n.upper; }
double n_minus(double d, const NormalAt& n) { return -d >= 0.0 ? n.upper : 1.0 - n.upper; }

}  // namespace

EuroCurve::EuroCurve(const OptionTerms& o, Precision precision) : terms_(o), call_(o.optype == 0) {
    if (precision == Precision::Exact) exact_.emplace(o.t, o.r, o.strike, o.spot, o.yield, o.optype);
    sqrt_t_ = fsqrt(o.t);
    log_moneyness_ = flog(fdiv(o.spot, o.strike));
    drift_ = o.r - o.yield;
    spot_carry_ = chk(o.spot * fexp(chk(-o.yield * o.t)));
    strike_discount_ = chk(o.strike * fexp(chk(-o.r * o.t)));
}

EuroCurve::Point EuroCurve::at(double sigma) const {
    const bool call_out_of_money = spot_carry_ <= strike_discount_;
    if (exact_) {
        const ExactClosedForm::Point p = exact_->point(sigma);
        return {call_ ? p.call : p.put, call_out_of_money ? p.call : p.put, p.vega, p.vega * p.d1 * p.d2 / sigma};
    }
    const double vol_root_t = chk(sigma * sqrt_t_);
    const double d1 = fdiv(log_moneyness_ + chk(chk(drift_ + chk(sigma * sigma) * 0.5) * terms_.t), vol_root_t);
    const double d2 = chk(d1 - vol_root_t);
    const NormalAt n1 = normal_at(d1);
    const NormalAt n2 = normal_at(d2);
    const double call = chk(chk(spot_carry_ * n_plus(d1, n1)) - chk(strike_discount_ * n_plus(d2, n2)));
    const double put = chk(chk(strike_discount_ * n_minus(d2, n2)) - chk(spot_carry_ * n_minus(d1, n1)));
    // d d1 / d sigma = -d2 / sigma and d d2 / d sigma = -d1 / sigma.
    const double vega = chk(chk(strike_discount_ * n2.slope * d1) - chk(spot_carry_ * n1.slope * d2)) / sigma;
    return {call_ ? call : put, call_out_of_money ? call : put, vega, vega * d1 * d2 / sigma};
}

double EuroCurve::inflection() const {
    const double log_forward = log_moneyness_ + drift_ * terms_.t;
    return std::sqrt(2.0 * std::fabs(log_forward) / terms_.t);
}

namespace {

SearchResult found(double sigma, int iterations) {
    return {SearchOutcome::Success, sigma, static_cast<std::int16_t>(iterations)};
}
SearchResult declined(int iterations) { return {SearchOutcome::Failure, 0, static_cast<std::int16_t>(iterations)}; }

// A first volatility: the quadratic approximation of Corrado and Miller
// (1996), sqrt(2 pi / t) / (S' + K') (c - d/2 + sqrt((c - d/2)^2 - d^2 / pi))
// with S' = e^(-q t) S, K' = e^(-r t) K, d = S' - K' and c the call's price,
// close to the answer near the money. Where its root is not real the
// inflection point, from where Newton on the value runs to any price above
// it without overshooting, or the at-the-money approximation
// V = S' sigma sqrt(t / 2 pi), whichever lies higher.
double first_guess(const EuroCurve& c, const OptionTerms& o, double price, double otm_price) {
    const double root = std::sqrt(2.0 * std::numbers::pi / o.t);
    const double d = c.forward_intrinsic();
    const double half_gap = (c.call() ? price : price + d) - 0.5 * d;
    const double disc = half_gap * half_gap - d * d / std::numbers::pi;
    if (disc > 0.0) {
        const double guess = root / (c.spot_carry() + c.strike_discount()) * (half_gap + std::sqrt(disc));
        if (guess > kRobustMinVol && guess < kRobustMaxVol) return guess;
    }
    const double atm = otm_price > 0.0 ? root * otm_price / c.spot_carry() : 0.0;
    return std::clamp(std::max(c.inflection(), atm), kRobustMinVol, kRobustMaxVol);
}

// Halley's step for a function at f with slope f1 and curvature f2:
// Newton's, corrected for the curvature unless the correction is large.
double halley_step(double f, double f1, double f2) {
    const double bend = f * f2 / (2.0 * f1 * f1);
    return f / (f1 * (std::fabs(bend) < 0.5 ? 1.0 - bend : 1.0));
}

}  // namespace

double exact_tolerance(double price, const OptionTerms& o) {
    return maximum(chk(kExactRelTolerance * std::fabs(price)), chk(kExactRoundings * chk(o.spot + o.strike)));
}

namespace {

constexpr int kScan = 48;  // points of the scan over the range, even in log(sigma)

double scan_point(int i) {
    return i == kScan ? kRobustMaxVol : kRobustMinVol * std::pow(kRobustMaxVol / kRobustMinVol, double(i) / kScan);
}

// The routine's value less the price where the routine values at all: a
// solver may refuse part of the range (the American scheme is unstable at
// the smallest volatilities).
using Partial = std::function<std::optional<double>(double)>;

// A price that the volatility `from` (the smallest the routine values)
// already reproduces sits at its no-arbitrage floor: every volatility up to
// the last one that reproduces it does, found by a scan and bisection.
std::optional<SearchResult> at_floor(const Partial& f, double from, double tol) {
    const auto reproduces = [&](double sigma) {
        const std::optional<double> v = f(sigma);
        return v && std::fabs(*v) <= tol;
    };
    int n = 1;
    if (!reproduces(from)) return std::nullopt;
    double lo = from, hi = kRobustMaxVol;
    for (int i = 1; i <= kScan; ++i, ++n) {
        if (!(scan_point(i) > lo)) continue;
        if (!reproduces(scan_point(i))) {
            hi = scan_point(i);
            break;
        }
        lo = scan_point(i);
    }
    for (int k = 0; k < 100 && lo < hi && hi - lo > 1e-12 * hi; ++k, ++n) {
        const double mid = 0.5 * (lo + hi);
        (reproduces(mid) ? lo : hi) = mid;
    }
    return SearchResult{SearchOutcome::NotDetermined, lo, static_cast<std::int16_t>(n)};
}

// What the closed form's search aims at.
struct EuroTarget {
    double price, otm_price, log_otm_price, inflection;
};

// The next volatility from sigma: below the inflection the logarithm of
// the out-of-the-money value is close to linear in 1 / sigma^2, and the
// step is taken there, on g(u) = ln V - ln price with u = 1 / sigma^2, g'
// from the vega and g'' from the vega and its slope; above it Halley's
// step on the value.
double euro_step(const EuroCurve::Point& p, double sigma, const EuroTarget& t, double hi) {
    if (sigma < t.inflection && p.otm > 0.0 && t.otm_price > 0.0) {
        const double u = 1.0 / (sigma * sigma);
        const double cube = sigma * sigma * sigma;
        const double ratio = p.vega / p.otm;
        const double g = std::log(p.otm) - t.log_otm_price;
        const double g1 = -0.5 * cube * ratio;
        const double g2 = 0.25 * cube * (3.0 * sigma * sigma * ratio + cube * (p.volga / p.otm - ratio * ratio));
        const double u_next = u - halley_step(g, g1, g2);
        return u_next > 0.0 ? 1.0 / std::sqrt(u_next) : hi;
    }
    return sigma - halley_step(p.value - t.price, p.vega, p.volga);
}

// The bracket [lo, hi] with the ends valued so far.
struct Bracket {
    double lo = kRobustMinVol, hi = kRobustMaxVol;
    bool lo_valued = false, hi_valued = false;

    // `next` where it lies inside, an end not yet valued beyond which it
    // falls, and the middle (geometric over a wide bracket) otherwise.
    double inside(double next, double vega) const {
        if (vega > 0.0 && next > lo && next < hi) return next;
        if (!(next > lo) && !lo_valued) return lo;
        if (!(next < hi) && !hi_valued) return hi;
        return hi > 2.0 * lo ? std::sqrt(lo * hi) : 0.5 * (lo + hi);
    }
};

// Exact figures take one more step from within the tolerance: the
// volatility to the last digits the price carries, where it reprices no
// worse.
double polished(const EuroCurve& c, const EuroCurve::Point& p, double sigma, double price) {
    if (!(p.vega > 0.0)) return sigma;
    const double next = sigma - halley_step(p.value - price, p.vega, p.volga);
    if (!(std::fabs(next - sigma) <= 1e-6 * sigma)) return sigma;
    return std::fabs(c.at(next).value - price) <= std::fabs(p.value - price) ? next : sigma;
}

}  // namespace

SearchResult robust_implied_euro(double price, const OptionTerms& o, Precision precision) {
    chk(price);
    const bool exact = precision == Precision::Exact;
    const double tol = exact ? exact_tolerance(price, o) : robust_tolerance(price);
    const EuroCurve c(o, precision);
    if (exact) {
        const Partial f = [&](double sigma) -> std::optional<double> { return c.at(sigma).value - price; };
        if (const std::optional<SearchResult> floor = at_floor(f, kRobustMinVol, tol)) return *floor;
    }
    const double fi = c.forward_intrinsic();
    const bool in_money = c.call() ? fi > 0.0 : fi < 0.0;
    const double otm_price = in_money ? price - std::fabs(fi) : price;
    const EuroTarget target{price, otm_price, otm_price > 0.0 ? std::log(otm_price) : 0.0, c.inflection()};

    Bracket b;
    double sigma = first_guess(c, o, price, otm_price);
    for (int n = 1; n <= 100; ++n) {
        const EuroCurve::Point p = c.at(sigma);
        const double f = p.value - price;
        if (std::fabs(f) <= tol) return found(exact ? polished(c, p, sigma, price) : sigma, n);
        if (f < 0.0) {
            b.lo = sigma, b.lo_valued = true;
        } else {
            b.hi = sigma, b.hi_valued = true;
        }
        // Valued at an end of the range and still on the wrong side: the
        // price is beyond what the routine reaches there, unless it is
        // not monotone; the general search settles it.
        if (b.hi <= b.lo || (sigma == kRobustMinVol && f > 0.0) || (sigma == kRobustMaxVol && f < 0.0)) break;
        if (b.lo_valued && b.hi_valued && b.hi - b.lo <= 4e-16 * b.hi) return declined(n);
        sigma = b.inside(euro_step(p, sigma, target, b.hi), p.vega);
    }
    return robust_implied(valuation_of(exact ? solver_euro_exact : solver_euro), price, o, precision);
}

namespace {

// Brent's method on f over [a, b] with f(a) < 0 < f(b). Where the bracket
// closes on two neighbouring doubles first, the nearer end when it lies
// within `fallback`.
SearchResult brent(const std::function<double(double)>& f, double a, double fa, double b, double fb, double tol,
                   double fallback, int n) {
    double c = a, fc = fa, d = b - a, e = d;
    for (; n < 300; ++n) {
        if ((fb > 0.0) == (fc > 0.0)) c = a, fc = fa, d = e = b - a;
        if (std::fabs(fc) < std::fabs(fb)) {
            a = b, b = c, c = a;
            fa = fb, fb = fc, fc = fa;
        }
        if (std::fabs(fb) <= tol) return found(b, n);
        const double half = 0.5 * (c - b);
        if (std::fabs(half) <= 2e-16 * std::fabs(b)) return std::fabs(fb) <= fallback ? found(b, n) : declined(n);
        if (std::fabs(e) >= std::fabs(half) * 1e-3 && std::fabs(fa) > std::fabs(fb)) {
            // Inverse quadratic interpolation, or the secant when a = c.
            const double s = fb / fa;
            double p, q;
            if (a == c) {
                p = 2.0 * half * s, q = 1.0 - s;
            } else {
                const double qa = fa / fc, r = fb / fc;
                p = s * (2.0 * half * qa * (qa - r) - (b - a) * (r - 1.0));
                q = (qa - 1.0) * (r - 1.0) * (s - 1.0);
            }
            if (p > 0.0) q = -q;
            p = std::fabs(p);
            if (2.0 * p < std::min(3.0 * half * q - std::fabs(1e-16 * b * q), std::fabs(e * q))) {
                e = d, d = p / q;
            } else {
                d = half, e = d;
            }
        } else {
            d = half, e = d;
        }
        a = b, fa = fb;
        b += std::fabs(d) > 1e-16 * std::fabs(b) ? d : (half > 0 ? 1e-16 * std::fabs(b) : -1e-16 * std::fabs(b));
        fb = f(b);
    }
    return declined(n);
}

}  // namespace

namespace {

// Moves the end `edge` (scan point `from`, stepping by `step`) to the
// first scan point where the routine values, then halves the gap to the
// last refused one: the stretch the routine covers, nearly whole.
bool reach_valued_end(const Partial& f, int from, int step, double& edge, double& f_edge, int& n) {
    int i = from;
    std::optional<double> v = f(edge);
    ++n;
    double refused = edge;
    while (!v) {
        refused = edge;
        i += step;
        if (i < 0 || i > kScan) return false;
        edge = scan_point(i);
        v = f(edge);
        ++n;
    }
    if (refused != edge) {
        for (int k = 0; k < 40 && std::fabs(edge - refused) > 1e-12 * edge; ++k, ++n) {
            const double mid = std::sqrt(edge * refused);
            if (const auto m = f(mid)) {
                edge = mid, v = m;
            } else {
                refused = mid;
            }
        }
    }
    f_edge = *v;
    return true;
}

// A routine that is not monotone may still reach the price inside the
// range: a stretch of the scan from a (fa) where it crosses, into [a, b].
// Nothing when none does, a found volatility when a scan point reproduces
// the price.
std::optional<SearchResult> straddle(const Partial& partial, double& a, double& fa, double& b, double& fb, double tol,
                                     int& n) {
    double x = a, fx = fa;
    for (int i = 1; i <= kScan; ++i) {
        const double y = scan_point(i);
        if (!(y > a)) continue;
        const std::optional<double> fy = y < b ? partial(y) : std::optional<double>(fb);
        ++n;
        if (!fy) continue;
        if (std::fabs(*fy) <= tol) return found(y, n);
        if ((fx < 0.0) != (*fy < 0.0)) {
            a = x, fa = fx, b = y, fb = *fy;
            return std::nullopt;
        }
        x = y, fx = *fy;
        if (!(y < b)) break;
    }
    return declined(n);
}

}  // namespace

SearchResult robust_implied(const Valuation& routine, double price, const OptionTerms& o, Precision precision) {
    chk(price);
    const bool exact = precision == Precision::Exact;
    const double tol = exact ? exact_tolerance(price, o) : robust_tolerance(price);
    const auto f = [&](double sigma) {
        OptionTerms at = o;
        at.sigma = sigma;
        return chk(routine(at)) - price;
    };
    const Partial partial = [&](double sigma) -> std::optional<double> {
        try {
            return f(sigma);
        } catch (const RuntimeError&) {
            return std::nullopt;
        }
    };
    int n = 0;
    double a = kRobustMinVol, fa = 0, b = kRobustMaxVol, fb = 0;
    if (!reach_valued_end(partial, 0, 1, a, fa, n)) return declined(n);
    if (std::fabs(fa) <= tol) {
        if (!exact) return found(a, n);
        return *at_floor(partial, a, tol);
    }
    if (!reach_valued_end(partial, kScan, -1, b, fb, n) || !(b > a)) return declined(n);
    if (std::fabs(fb) <= tol) return found(b, n);
    if (!(fa < 0.0 && fb > 0.0)) {
        if (const std::optional<SearchResult> r = straddle(partial, a, fa, b, fb, tol, n)) return *r;
    }
    return brent(f, a, fa, b, fb, tol, exact ? robust_tolerance(price) : 0.0, n);
}

}  // namespace tvx
