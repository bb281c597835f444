#include "pricing/monte_carlo.h"

#include <cmath>
#include <vector>

#include "core/fault.h"
#include "core/numbers.h"
#include "pricing/closed_form.h"
#include "pricing/random.h"

namespace tvx {

double snorm() {
    for (;;) {
        const double u1 = 2.0 * uniform() - 1.0;
        const double u2 = 2.0 * uniform() - 1.0;
        // The uniforms are multiples of 2^-24, so w is exact and w == 0 only
        // when both draws were exactly 0.5.
        const double w = u1 * u1 + u2 * u2;
        if (w >= 1.0 || w == 0.0) continue;
        return u1 * fsqrt(fdiv(-2.0 * flog(w), w));
    }
}

std::int16_t mc_steps(double t) { return round_int16(fdiv(t, 0.005)); }

double mc_step_length(double t, std::int16_t n) {
    const double dt = fdiv(t, n);
    // "0.505" is read as the double nearest to it, which is not 101 * 0.005
    // to the last bit: within a few units of the last place the steps are
    // taken as the grid's.
    return std::fabs(dt - 0.005) <= 4.0 * 0x1p-52 * 0.005 ? 0.005 : dt;
}

namespace {

constexpr int pairs_per_batch = 100;
constexpr double se_target = 0.05;

// sqrt(1 - rho^2), the weight of the rate shock's own part; faults for
// |rho| > 1.
double independent_weight(double rho) { return fsqrt(chk(1.0 - chk(rho * rho))); }

// One point of a simulated pair: the primary and the antithetic asset price,
// and the volatility and short rate that both share. A model moves only the
// states it simulates; the others keep their start values.
struct PathPoint {
    double A;
    double B;
    double V;
    double R;
};

// Stochastic volatility (log-normal steps, vol of vol 0.2), constant rate.
struct VolatilityModel {
    double dt;
    double G;    // e^((r - delta) dt)
    double sdt;  // sqrt(dt)

    VolatilityModel(double dt_, double r, double delta)
        : dt(dt_), G(fexp(chk((r - delta) * dt_))), sdt(fsqrt(dt_)) {}

    static constexpr bool discounts_along_path = false;

    void step(const PathPoint& p, PathPoint& q, double& /*D*/) const {
        const double z1 = snorm();
        const double z2 = snorm();
        const double v = chk(p.V * fexp(0.2 * z2 * sdt));
        const double e1 = fexp(chk(v * sdt * z1));
        const double c = fexp(chk(v * (-0.5) * v * dt));
        q.V = v;
        q.A = chk(p.A * G * c * e1);
        q.B = fdiv(chk(p.B * G * c), e1);
    }
};

// Stochastic short rate (square-root process, speed 1.0 towards r, diffusion
// 0.002) correlated with the asset by rho, constant volatility.
struct RateModel {
    double dt;
    double r;
    double H;      // e^(-(Sigma^2 / 2 + delta) dt)
    double s1;     // Sigma sqrt(dt)
    double rho;
    double c_rho;  // sqrt(1 - rho^2)

    RateModel(double dt_, double r_, double delta, double Sigma, double rho_)
        : dt(dt_),
          r(r_),
          H(fexp(chk(-chk(Sigma * 0.5 * Sigma + delta) * dt_))),
          s1(chk(Sigma * fsqrt(dt_))),
          rho(rho_),
          c_rho(independent_weight(rho_)) {}

    static constexpr bool discounts_along_path = true;

    void step(const PathPoint& p, PathPoint& q, double& D) const {
        const double z1 = snorm();
        const double z2 = snorm();
        const double w = chk(rho * z1 + z2 * c_rho);
        const double s = fsqrt(chk(p.R * dt));
        const double R = chk(s * 0.002 * w + p.R + chk(r - p.R) * 1.0 * dt);
        const double e1 = fexp(z1 * s1);
        const double g = fexp(chk(R * dt));
        q.R = R;
        q.A = chk(p.A * H * g * e1);
        q.B = fdiv(chk(p.B * H * g), e1);
        D = chk(g * D);
    }
};

// Both stochastic: the volatility as in VolatilityModel, the rate as in
// RateModel but with mean-reversion speed 0.95.
struct VolatilityRateModel {
    double dt;
    double r;
    double E;      // e^(-delta dt)
    double sdt;    // sqrt(dt)
    double rho;
    double c_rho;  // sqrt(1 - rho^2)

    VolatilityRateModel(double dt_, double r_, double delta, double rho_)
        : dt(dt_),
          r(r_),
          E(fexp(chk(-delta * dt_))),
          sdt(fsqrt(dt_)),
          rho(rho_),
          c_rho(independent_weight(rho_)) {}

    static constexpr bool discounts_along_path = true;

    void step(const PathPoint& p, PathPoint& q, double& D) const {
        const double z1 = snorm();
        const double z2 = snorm();
        const double z3 = snorm();
        const double w = chk(z1 * rho + z3 * c_rho);
        const double v = chk(p.V * fexp(0.2 * z2 * sdt));
        const double s = fsqrt(chk(p.R * dt));
        const double R = chk(chk(r - p.R) * 0.95 * dt + p.R + s * 0.002 * w);
        const double e1 = fexp(chk(v * sdt * z1));
        const double g = fexp(chk(R * dt));
        const double c = fexp(chk(v * (-0.5) * v * dt));
        q.V = v;
        q.R = R;
        q.A = chk(p.A * E * c * g * e1);
        q.B = fdiv(chk(p.B * E * c * g), e1);
        D = chk(g * D);
    }
};

// The simulation frame shared by the three engines: batches of 100
// antithetic pairs until the standard error of the estimate is below 0.05,
// or exactly `batches` batches when that is positive.
// A model with a constant rate leaves its samples undiscounted, and the frame
// scales the estimate by e^(-r t) and the variance by e^(-2 r t); a model
// with a stochastic rate discounts each sample along its own rate path.
template <class Model>
double simulate(const Model& model, std::int16_t n, double K, double S, double Sigma, double r, std::int16_t i,
                double t, const BatchYield& yield, BatchCount batches) {
    constexpr bool constant_rate = !Model::discounts_along_path;
    const double scale = constant_rate ? fexp(chk(-r * t)) : 1.0;
    const double scale_sq = constant_rate ? fexp(chk(-2.0 * r * t)) : 1.0;

    // Allocated once per valuation; index 0 holds the start values and every
    // pair overwrites indices 1 to n.
    std::vector<PathPoint> path(static_cast<std::size_t>(n) + 1);
    path[0] = PathPoint{S, S, Sigma, r};
    PathPoint* const last = path.data() + n;

    double sum = 0.0;
    double sumsq = 0.0;
    std::int16_t b = 0;
    double est = 0.0;
    bool done = false;
    while (!done) {
        b = int16_add(b, 1);
        for (int pair = 0; pair < pairs_per_batch; ++pair) {
            double D = 1.0;
            for (PathPoint* p = path.data(); p != last; ++p) model.step(p[0], p[1], D);
            const double pay1 = payoff(last->A, K, i);
            const double pay2 = payoff(last->B, K, i);
            const double y = chk(pay2 + pay1) * 0.5;
            const double x = constant_rate ? y : fdiv(y, D);
            sum = chk(sum + x);
            sumsq = chk(sumsq + chk(x * x));
        }
        if (yield) yield();

        const std::int16_t M = int16_mul(pairs_per_batch, b);
        est = chk(fdiv(sum, M) * scale);
        // By the Cauchy-Schwarz inequality sumsq >= sum^2 / M exactly, so a
        // negative difference can only be rounding (identical non-zero
        // samples leave a residue of a few ulps of sumsq): it counts as 0.
        double spread = chk(sumsq - fdiv(chk(sum * sum), M));
        if (spread < 0.0) spread = 0.0;
        const double se = fdiv(fsqrt(fdiv(chk(spread * scale_sq), M - 1)), fsqrt(M));
        done = batches > 0 ? b >= batches : se < se_target;
    }
    return est;
}

// The step count and the step length of a valuation. Without steps the
// paths never move and the length is never used.
struct Horizon {
    std::int16_t n;
    double dt;
};

Horizon horizon(double t, StepCount steps) {
    const std::int16_t n = steps == kStepsOfTime ? mc_steps(t) : steps;
    if (n < 0) throw RuntimeError("negative number of time steps");
    return {n, n > 0 ? mc_step_length(t, n) : 0.005};
}

}  // namespace

double mcarlo_cv(double K, double S, double r, double delta, double t, double Sigma, std::int16_t i,
                 const BatchYield& yield, BatchCount batches, StepCount steps) {
    const Horizon h = horizon(t, steps);
    const VolatilityModel model(h.dt, r, delta);
    return simulate(model, h.n, K, S, Sigma, r, i, t, yield, batches);
}

double mcarlo_vc(double K, double S, double r, double delta, double t, double Sigma, std::int16_t i,
                 double rho, const BatchYield& yield, BatchCount batches, StepCount steps) {
    const Horizon h = horizon(t, steps);
    const RateModel model(h.dt, r, delta, Sigma, rho);
    return simulate(model, h.n, K, S, Sigma, r, i, t, yield, batches);
}

double mcarlo_vv(double K, double S, double r, double delta, double t, double Sigma, std::int16_t i,
                 double rho, const BatchYield& yield, BatchCount batches, StepCount steps) {
    const Horizon h = horizon(t, steps);
    const VolatilityRateModel model(h.dt, r, delta, rho);
    return simulate(model, h.n, K, S, Sigma, r, i, t, yield, batches);
}

double mcarlo(double t, double Sigma, double r, double K, double S, double delta, std::int16_t optype,
              std::int16_t itype, double rho, std::int16_t vtype, const BatchYield& yield, BatchCount batches,
              StepCount steps) {
    reset_uniform();
    if (itype != 1) return mcarlo_cv(K, S, r, delta, t, Sigma, optype, yield, batches, steps);
    if (vtype == 1) return mcarlo_vv(K, S, r, delta, t, Sigma, optype, rho, yield, batches, steps);
    return mcarlo_vc(K, S, r, delta, t, Sigma, optype, rho, yield, batches, steps);
}

}  // namespace tvx
