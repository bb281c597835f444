// European options by simulation: standard normal draws, the entry point
// mcarlo and its three path engines (stochastic volatility, stochastic rate,
// both), in batches of 100 antithetic pairs until the standard error of the
// estimate falls below 0.05.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace tvx {

// Called once after every batch of paths: lets the event loop run.
using BatchYield = std::function<void()>;

// How many batches a valuation runs: 0 (the default) stops by the standard
// error; a positive count runs exactly that many, so that a valuation with
// one input bumped simulates the same paths as the one it is compared with.
using BatchCount = std::int16_t;

// How many time steps a path takes: a count of 0 or more, or
// kStepsOfTime for mc_steps(t) of the valuation's own time. The valuations
// of one Compute share the count of the unbumped time, so that a valuation
// with the time bumped replays the same draws over its own, shorter life.
using StepCount = std::int16_t;
inline constexpr StepCount kStepsOfTime = -1;

// What a valuation's last batch left: the standard error of the estimate
// (discounted like it), the number of antithetic pairs and of batches.
struct McStats {
    double standard_error = 0;
    std::int16_t pairs = 0;
    std::int16_t batches = 0;
};

// One standard normal draw by the polar method; the second variate of the
// accepted pair is discarded.
double snorm();

// The next z.size() draws of snorm, drawn many at a time, in the same
// order and leaving the generator where as many calls of snorm would. The
// logarithm is a vector one and may differ from snorm's in the last bit.
void snorm_fill(std::span<double> z);

// The number of 0.005-year steps for a life of t years (halves to even).
std::int16_t mc_steps(double t);

// The length of each of n > 0 steps over a life of t years: t / n, and
// exactly 0.005 when t is n * 0.005 up to the rounding of its decimal text,
// so that a time on the grid steps exactly as it always has.
double mc_step_length(double t, std::int16_t n);

// Resets the generator, then values with mcarlo_cv when itype is not 1,
// with mcarlo_vv when itype and vtype are 1, and with mcarlo_vc otherwise.
double mcarlo(double t, double Sigma, double r, double K, double S, double delta, std::int16_t optype,
              std::int16_t itype, double rho, std::int16_t vtype, const BatchYield& yield = {}, BatchCount batches = 0,
              StepCount steps = kStepsOfTime, McStats* stats = nullptr);

// Stochastic volatility, constant rate; discounted by e^(-r t).
double mcarlo_cv(double K, double S, double r, double delta, double t, double Sigma, std::int16_t i,
                 const BatchYield& yield = {}, BatchCount batches = 0, StepCount steps = kStepsOfTime,
                 McStats* stats = nullptr);
// Stochastic rate correlated with the asset by rho, constant volatility.
double mcarlo_vc(double K, double S, double r, double delta, double t, double Sigma, std::int16_t i, double rho,
                 const BatchYield& yield = {}, BatchCount batches = 0, StepCount steps = kStepsOfTime,
                 McStats* stats = nullptr);
// Stochastic volatility and a stochastic rate correlated with the asset.
double mcarlo_vv(double K, double S, double r, double delta, double t, double Sigma, std::int16_t i, double rho,
                 const BatchYield& yield = {}, BatchCount batches = 0, StepCount steps = kStepsOfTime,
                 McStats* stats = nullptr);

// The simulation runs on SIMD vectors, with kernels built for several
// instruction sets; the fastest this processor runs is used. For tests: the
// instruction sets built that this processor runs (as the SIMD library's
// target bits), the name of the one in use, and a way to force one (0
// returns to the fastest).
std::vector<std::int64_t> mc_simd_targets();
const char* mc_simd_target();
void mc_force_simd_target(std::int64_t target);

// The simulation's own exponential on the build in use, for tests:
// y[k] = e^(x[k]) for |x[k]| <= 706, within about 1 ulp (x and y of equal
// length).
void mc_vector_exp(std::span<const double> x, std::span<double> y);

}  // namespace tvx
