#include "pricing/qd_plus.h"

#include <algorithm>
#include <cmath>

#include "pricing/exercise_boundary.h"
#include "pricing/normal.h"

namespace tvx {

namespace {

// The QD+ condition at one time to expiry tau, as a function of y = ln S.
// With h = 1 - e^(-r tau), alpha = 2 r / sigma^2, beta = 2 (r - q) / sigma^2,
// the premium is taken as h A(h) S^lambda(h) with lambda the negative root
// of lambda^2 + (beta - 1) lambda - alpha / h = 0, corrected to first order
// for the h-dependence the quadratic approximation drops (the premium's
// decay in time, Theta). Smooth pasting at the critical price S then reads
//   (1 - e^(-q tau) N(-d+)) S + (lambda + c0) (1 - S - p(S)) = 0,
//   c0 = -alpha (1 - h) / k (1/h - Theta / (r (1 - h) E) + lambda' / k),
// with k = 2 lambda + beta - 1, E = 1 - S - p(S) the premium at S, p the
// European put and Theta its decay in calendar time; written below
// multiplied out, so that E = 0 divides nothing.
// scale N(x) from scale phi(x) (the density times the same scale):
// Mills' ratio on whichever side of 0 x lies.
double lower_tail(double x, double scaled_density, double scale) {
    const double tail = scaled_density * mills_ratio(std::fabs(x));  // scale N(-|x|)
    return x <= 0.0 ? tail : scale - tail;
}

class QdPlus {
public:
    QdPlus(const UnitPutTerms& a, double tau) : a_(a), tau_(tau) {
        h_ = -std::expm1(-a.r * tau);
        alpha_ = 2.0 * a.r / (a.sigma * a.sigma);
        const double beta = 2.0 * (a.r - a.q) / (a.sigma * a.sigma);
        const double root = std::sqrt((beta - 1.0) * (beta - 1.0) + 4.0 * alpha_ / h_);
        lambda_ = 0.5 * (-(beta - 1.0) - root);
        k_ = -root;  // 2 lambda + beta - 1
        const double dlambda = alpha_ / (h_ * h_ * root);
        premium_factor_ = lambda_ - alpha_ * (1.0 - h_) / k_ * (1.0 / h_ + dlambda / k_);
        vol_root_ = a.sigma * std::sqrt(tau);
        disc_r_ = std::exp(-a.r * tau);
        disc_q_ = std::exp(-a.q * tau);
    }

    double operator()(double y) const { return at(y).f; }

    // The condition and its derivative in y = ln S. With P = e^(-r tau)
    // phi(d-) = S e^(-q tau) phi(d+) (the strike being 1), one exponential
    // besides S gives both densities, and Mills' ratio both tails.
    struct Point {
        double f, slope;
    };
    Point at(double y) const {
        const double S = std::exp(y);
        const double dp = (y + (a_.r - a_.q + 0.5 * a_.sigma * a_.sigma) * tau_) / vol_root_;
        const double dm = dp - vol_root_;
        const double P = disc_r_ * normal_pdf(dm);
        const double spot_density = P / S;                                // e^(-q tau) phi(d+)
        const double spot_tail = lower_tail(-dp, spot_density, disc_q_);  // e^(-q tau) N(-d+)
        const double strike_tail = lower_tail(-dm, P, disc_r_);           // e^(-r tau) N(-d-)
        const double european = strike_tail - S * spot_tail;
        const double premium = 1.0 - S - european;
        const double decay = 0.5 * a_.sigma * P / std::sqrt(tau_);
        const double theta = a_.r * strike_tail - a_.q * S * spot_tail - decay;
        const double d_theta = (a_.q - a_.r) * P / vol_root_ - a_.q * S * spot_tail - decay * (1.0 - dp / vol_root_);
        const double c_theta = alpha_ / (a_.r * k_);
        Point pt;
        pt.f = (1.0 - spot_tail) * S + premium_factor_ * premium + c_theta * theta;
        pt.slope = (1.0 - spot_tail) * S + P / vol_root_ - premium_factor_ * S * (1.0 - spot_tail) + c_theta * d_theta;
        return pt;
    }

private:
    UnitPutTerms a_;
    double tau_, h_, alpha_, lambda_, k_, premium_factor_, vol_root_, disc_r_, disc_q_;
};

// A root of f between a and b, where f(a) and f(b) differ in sign, by the
// Illinois variant of the false position.
template <class F>
double illinois(const F& f, double a, double fa, double b, double fb) {
    int side = 0;
    double c = a;
    for (int i = 0; i < 60; ++i) {
        const double previous = c;
        c = (a * fb - b * fa) / (fb - fa);
        const double fc = f(c);
        // A start for Newton's method: a few digits are plenty.
        if (fc == 0.0 || std::fabs(c - previous) < 1e-7) return c;
        if ((fc > 0.0) == (fb > 0.0)) {
            b = c, fb = fc;
            if (side == -1) fa *= 0.5;
            side = -1;
        } else {
            a = c, fa = fc;
            if (side == 1) fb *= 0.5;
            side = 1;
        }
    }
    return c;
}

// The root of f below the cap, from a start: steps doubling away from it,
// down where f is positive and up towards the cap otherwise, until the sign
// changes, then the false position. The fallback where no sign change
// turns up.
template <class F>
double bracketed_root(const F& f, double cap, double y0, double spread, double fallback) {
    double f0 = f(y0);
    if (!std::isfinite(f0)) return fallback;
    double step = 0.05 * spread + 1e-6;
    for (int i = 0; i < 60; ++i) {
        const double y1 = f0 > 0.0 ? y0 - step : std::min(y0 + step, cap);
        const double f1 = f(y1);
        if (!std::isfinite(f1)) return fallback;
        if ((f1 > 0.0) != (f0 > 0.0)) {
            const double y = illinois(f, y0, f0, y1, f1);
            return std::isfinite(y) ? std::min(y, cap) : fallback;
        }
        if (y1 == cap && f0 <= 0.0) return fallback;
        y0 = y1, f0 = f1;
        step *= 2.0;
    }
    return fallback;
}

}  // namespace

double perpetual_log_boundary(const UnitPutTerms& a) {
    // The negative root of sigma^2/2 l^2 + (r - q - sigma^2/2) l - r = 0,
    // from whichever form does not cancel; the boundary is l / (l - 1).
    const double s2 = a.sigma * a.sigma;
    const double b = a.r - a.q - 0.5 * s2;
    const double root = std::sqrt(b * b + 2.0 * s2 * a.r);
    const double lambda = b > 0.0 ? (-b - root) / s2 : -2.0 * a.r / (root - b);
    return -std::log1p(-1.0 / lambda);
}

double qd_plus_log_boundary(const UnitPutTerms& a, double tau, double ln_cap, double guess) {
    const double fallback = std::max(perpetual_log_boundary(a), ln_cap - a.sigma * std::sqrt(tau));
    const QdPlus f(a, tau);
    // Newton's method from the guess while it keeps below the cap and
    // closes in; otherwise a bracket by steps and the false position.
    double y = std::min(guess, ln_cap);
    for (int i = 0; i < 8; ++i) {
        const QdPlus::Point pt = f.at(y);
        if (!std::isfinite(pt.f) || !(pt.slope > 0.0)) break;
        const double step = pt.f / pt.slope;
        if (!std::isfinite(step) || std::fabs(step) > 0.5) break;
        y = std::min(y - step, ln_cap);
        if (std::fabs(step) < 1e-5) return y;
    }
    return bracketed_root(f, ln_cap, std::min(guess, ln_cap), a.sigma * std::sqrt(tau), fallback);
}

}  // namespace tvx
