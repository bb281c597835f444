// The simulation's frame, compiled once: the models' constants, batches of
// antithetic pairs through the pipeline, the pairs' results added in pair
// order, the stopping rule, and the entry points.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/fault.h"
#include "core/numbers.h"
#include "pricing/closed_form.h"
#include "pricing/mc/model.h"
#include "pricing/monte_carlo.h"
#include "pricing/pipeline.h"
#include "pricing/random.h"

namespace tvx {

std::int16_t mc_steps(double t) { return round_int16(fdiv(t, 0.005)); }

double mc_step_length(double t, std::int16_t n) {
    const double dt = fdiv(t, n);
    // "0.505" is read as the double nearest to it, which is not 101 * 0.005
    // to the last bit: within a few units of the last place the steps are
    // taken as the grid's.
    return std::fabs(dt - 0.005) <= 4.0 * 0x1p-52 * 0.005 ? 0.005 : dt;
}

namespace {

constexpr std::size_t pairs_per_batch = 100;
constexpr double se_target = 0.05;

// sqrt(1 - rho^2), the weight of the rate shock's own part; faults for
// |rho| > 1.
double independent_weight(double rho) { return fsqrt(chk(1.0 - chk(rho * rho))); }

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

// Stochastic volatility (log-normal steps, vol of vol 0.2), constant rate.
mc::Constants volatility_model(const Horizon& h, double r, double delta) {
    mc::Constants k{};
    k.model = mc::Model::Volatility;
    k.dt = h.dt;
    k.sdt = fsqrt(h.dt);
    k.carry = fexp(chk((r - delta) * h.dt));  // G
    return k;
}

// Stochastic short rate (square-root process, speed 1.0 towards r, diffusion
// 0.002) correlated with the asset by rho, constant volatility.
mc::Constants rate_model(const Horizon& h, double r, double delta, double Sigma, double rho) {
    mc::Constants k{};
    k.model = mc::Model::Rate;
    k.dt = h.dt;
    k.carry = fexp(chk(-chk(Sigma * 0.5 * Sigma + delta) * h.dt));  // H
    k.s1 = chk(Sigma * fsqrt(h.dt));
    k.r = r;
    k.rho = rho;
    k.c_rho = independent_weight(rho);
    return k;
}

// Both stochastic: the volatility as in the first, the rate as in the
// second but with mean-reversion speed 0.95.
mc::Constants volatility_rate_model(const Horizon& h, double r, double delta, double rho) {
    mc::Constants k{};
    k.model = mc::Model::VolatilityRate;
    k.dt = h.dt;
    k.sdt = fsqrt(h.dt);
    k.carry = fexp(chk(-delta * h.dt));  // E
    k.r = r;
    k.rho = rho;
    k.c_rho = independent_weight(rho);
    return k;
}

// A batch goes through the pipeline in groups of one vector width of pairs:
// first a group's accepted pairs of uniforms are taken from the generator
// (in order, one group at a time), then, on any core, they become the
// group's normals, laid out for the lanes (draw (j, d) of pair l at
// z[(j * draws + d) * width + l]: each step's draws in the model's order),
// and the group's paths are advanced. A group's buffers are those of its
// place in a short ring, reused once the group before it in that place is
// done.
class BatchGroups {
public:
    static constexpr std::size_t ring = 4;

    BatchGroups(const mc::Constants& k, std::size_t steps, std::size_t draws, std::size_t width, double S, double Sigma,
                double r)
        : k_(k),
          per_pair_(steps * draws),
          width_(width),
          groups_((pairs_per_batch + width - 1) / width),
          ends_(groups_ * 5 * width) {
        g_.steps = steps;
        g_.draws = draws;
        g_.width = width;
        g_.S = S, g_.Sigma = Sigma, g_.r = r;
        for (Slot& slot : slots_) {
            // z starts at 0: the lanes of a last, partial group past its
            // pairs read finite values, and are ignored.
            slot.z.assign(per_pair_ * width, 0.0);
            slot.u1s.resize(per_pair_ * width + width);  // a vector of padding
            slot.ws.resize(per_pair_ * width + width);
            slot.pre.resize(steps * width);
        }
    }

    std::size_t groups() const { return groups_; }

    // Pairs in group i.
    std::size_t pairs(std::size_t i) const { return std::min(width_, pairs_per_batch - i * width_); }

    void accept(std::size_t i) {
        Slot& slot = slots_[i % ring];
        mc::accept_pairs(pairs(i) * per_pair_, slot.u1s.data(), slot.ws.data());
    }

    void advance(std::size_t i) {
        Slot& slot = slots_[i % ring];
        mc::Layout to{slot.z.data(), per_pair_, width_};
        mc::transform_pairs(&to, pairs(i) * per_pair_, slot.u1s.data(), slot.ws.data());
        mc::Group g = g_;
        g.z = slot.z.data();
        g.pre = slot.pre.data();
        g.A = ends_.data() + i * 5 * width_;
        g.B = g.A + width_, g.V = g.B + width_, g.R = g.V + width_, g.D = g.R + width_;
        mc::advance_group(k_, g);
    }

    // The ends of pair p of the batch: price, antithetic price, volatility,
    // rate, growth factor.
    struct Ends {
        double A, B, V, R, D;
    };
    Ends ends(std::size_t p) const {
        const double* at = ends_.data() + (p / width_) * 5 * width_ + p % width_;
        return {at[0], at[width_], at[2 * width_], at[3 * width_], at[4 * width_]};
    }

private:
    struct Slot {
        std::vector<double> u1s, ws, z, pre;
    };
    mc::Constants k_;
    mc::Group g_{};
    std::size_t per_pair_, width_, groups_;
    Slot slots_[ring];
    std::vector<double> ends_;
};

// The simulation frame shared by the three engines: batches of 100
// antithetic pairs until the standard error of the estimate is below 0.05,
// or exactly `batches` batches when that is positive.
// A model with a constant rate leaves its samples undiscounted, and the frame
// scales the estimate by e^(-r t) and the variance by e^(-2 r t); a model
// with a stochastic rate discounts each sample along its own rate path.
double simulate(const mc::Constants& k, std::int16_t n, double K, double S, double Sigma, double r, std::int16_t i,
                double t, const BatchYield& yield, BatchCount batches, McStats* stats) {
    const bool constant_rate = k.model == mc::Model::Volatility;
    const double scale = constant_rate ? fexp(chk(-r * t)) : 1.0;
    const double scale_sq = constant_rate ? fexp(chk(-2.0 * r * t)) : 1.0;

    const std::size_t draws = k.model == mc::Model::VolatilityRate ? 3 : 2;
    BatchGroups batch(k, static_cast<std::size_t>(n), draws, mc::group_width(), S, Sigma, r);
    const PipelineStage accept = [&batch](std::size_t g) { batch.accept(g); };
    const PipelineStage advance = [&batch](std::size_t g) { batch.advance(g); };

    double sum = 0.0;
    double sumsq = 0.0;
    std::int16_t b = 0;
    double est = 0.0;
    bool done = false;
    while (!done) {
        b = int16_add(b, 1);
        run_pipeline(batch.groups(), BatchGroups::ring, accept, advance);
        // The pairs' results in order, as one pair after another would add them.
        for (std::size_t p = 0; p < pairs_per_batch; ++p) {
            const BatchGroups::Ends e = batch.ends(p);
            chk(e.A), chk(e.B), chk(e.V), chk(e.R);
            const double D = chk(e.D);
            const double pay1 = payoff(e.A, K, i);
            const double pay2 = payoff(e.B, K, i);
            const double y = chk(pay2 + pay1) * 0.5;
            const double x = constant_rate ? y : fdiv(y, D);
            sum = chk(sum + x);
            sumsq = chk(sumsq + chk(x * x));
        }
        if (yield) yield();

        const std::int16_t M = int16_mul(static_cast<std::int16_t>(pairs_per_batch), b);
        est = chk(fdiv(sum, M) * scale);
        // By the Cauchy-Schwarz inequality sumsq >= sum^2 / M exactly, so a
        // negative difference can only be rounding (identical non-zero
        // samples leave a residue of a few ulps of sumsq): it counts as 0.
        double spread = chk(sumsq - fdiv(chk(sum * sum), M));
        if (spread < 0.0) spread = 0.0;
        const double se = fdiv(fsqrt(fdiv(chk(spread * scale_sq), M - 1)), fsqrt(M));
        done = batches > 0 ? b >= batches : se < se_target;
        if (stats) *stats = McStats{se, M, b};
    }
    return est;
}

}  // namespace

double mcarlo_cv(double K, double S, double r, double delta, double t, double Sigma, std::int16_t i,
                 const BatchYield& yield, BatchCount batches, StepCount steps, McStats* stats) {
    const Horizon h = horizon(t, steps);
    return simulate(volatility_model(h, r, delta), h.n, K, S, Sigma, r, i, t, yield, batches, stats);
}

double mcarlo_vc(double K, double S, double r, double delta, double t, double Sigma, std::int16_t i, double rho,
                 const BatchYield& yield, BatchCount batches, StepCount steps, McStats* stats) {
    const Horizon h = horizon(t, steps);
    return simulate(rate_model(h, r, delta, Sigma, rho), h.n, K, S, Sigma, r, i, t, yield, batches, stats);
}

double mcarlo_vv(double K, double S, double r, double delta, double t, double Sigma, std::int16_t i, double rho,
                 const BatchYield& yield, BatchCount batches, StepCount steps, McStats* stats) {
    const Horizon h = horizon(t, steps);
    return simulate(volatility_rate_model(h, r, delta, rho), h.n, K, S, Sigma, r, i, t, yield, batches, stats);
}

double mcarlo(double t, double Sigma, double r, double K, double S, double delta, std::int16_t optype,
              std::int16_t itype, double rho, std::int16_t vtype, const BatchYield& yield, BatchCount batches,
              StepCount steps, McStats* stats) {
    reset_uniform();
    if (itype != 1) return mcarlo_cv(K, S, r, delta, t, Sigma, optype, yield, batches, steps, stats);
    if (vtype == 1) return mcarlo_vv(K, S, r, delta, t, Sigma, optype, rho, yield, batches, steps, stats);
    return mcarlo_vc(K, S, r, delta, t, Sigma, optype, rho, yield, batches, steps, stats);
}

}  // namespace tvx
