// European options by simulation: the entry point mcarlo and its three path
// engines (stochastic volatility, stochastic rate, both), in batches of 100
// antithetic pairs until the standard error of the estimate falls below
// 0.05.
#pragma once

#include <cstdint>
#include <functional>

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

}  // namespace tvx
