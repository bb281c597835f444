// Agoric evolution: a market of agents, each owning one weight vector and
// some money. Agents bid for units of improvement work, spend each unit
// bought on one random trial change of their weights and are paid for the
// error they remove; they may take repayment schedules at a market interest
// rate, and bankrupt agents are replaced by fresh random ones.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/progress.h"
#include "neural/genetic.h"
#include "neural/network.h"

namespace tvx {

struct Agents {
    WeightSet weights;
    std::vector<double> wealth;
    std::vector<double> price;  // bid price per unit
    std::vector<std::int16_t> demand;
    std::vector<std::int16_t> reference;  // 0 or 1
    std::vector<double> instalment;       // 0 until a schedule is taken
    std::vector<std::int16_t> instalments_left;

    Agents(std::size_t count, std::size_t weight_count);
    std::size_t size() const { return wealth.size(); }
};

// Gives agent a a fresh start: wealth 100, price u + 5, W fresh weights,
// demand nearest(2u), reference (demand + 1) mod 2. Its schedule stays.
void seed_agent(Agents& agents, std::size_t a, const Draw& draw);

// Every agent with instalments left pays one.
void collect_repayments(Agents& agents);

// Per agent: with one draw u <= 0.5 the price rises by a tenth when demand
// differs from the reference quantity, or falls by a tenth when it equals
// it; then demand = trunc(u' * wealth / price).
void adjust_prices(Agents& agents, const Draw& draw);

// Indices by descending value, ties in ascending index order.
std::vector<std::int16_t> rank_descending(std::span<const double> values);

struct Clearing {
    std::vector<std::int16_t> allocation;  // units per rank position
    double revenue = 0.0;                  // per unit of supply
};

// Serves the ranking in order from a supply of S units until it runs out.
Clearing clear_market(const Agents& agents, std::span<const std::int16_t> ranking, std::int16_t supply);

// The agents in rank order buy their units and run one trial change per
// unit (stopping at the first position with no units). An improvement is
// kept by the agent and paid 100 times the error it removed. Agents run on
// the pool's threads (`pump` called meanwhile); the draws are taken first, in rank
// order, on this thread. Returns the lowest error among the serviced
// agents after their trials (none when no agent was serviced).
std::optional<double> run_trials(Agents& agents, std::span<const double> exemplar, const NetShape& shape,
                                 std::int16_t nexem, std::span<const std::int16_t> allocation,
                                 std::span<const std::int16_t> ranking, const Draw& draw, const Pump& pump = {});

// principal * rate * (1+rate)^n / ((1+rate)^n - 1).
double annuity_payment(double principal, double rate, int n);

// The new interest rate after an iteration whose per-unit revenue stood at
// `ratio` times the mean opening price.
double next_interest_rate(double rate, double ratio);

// With n = nearest(remaining / 3) >= 1 instalments: each agent that draws
// u < 0.2 and whose wealth / 10 exceeds the instalment on a quarter of its
// wealth takes that schedule, if it never had one.
void grant_loans(Agents& agents, double rate, int remaining, const Draw& draw);

// Re-seeds every agent whose wealth has fallen below 1.
void reseed_bankrupt(Agents& agents, const Draw& draw);

// G iterations of the market with `pmeter` showing the share done; then the
// weights of the agent with the lowest error (the first of equals) go into
// `result`. On Cancel it returns at once without touching `result`. Returns
// false when cancelled. A population above 655 exceeds the 16-bit supply
// and is a run-time error.
bool train_agoric(const NetShape& shape, std::int16_t nexem, std::span<const double> exemplar,
                  std::vector<double>& result, std::int16_t iterations, std::int16_t population_size, Pmeter& pmeter,
                  UserInterface& ui, const Draw& draw);

}  // namespace tvx
