#include "neural/agoric.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/fault.h"
#include "core/numbers.h"
#include "neural/parallel.h"

namespace tvx {

Agents::Agents(std::size_t count, std::size_t weight_count)
    : weights(count, std::vector<double>(weight_count, 0.0)),
      wealth(count, 0.0),
      price(count, 0.0),
      demand(count, 0),
      reference(count, 0),
      instalment(count, 0.0),
      instalments_left(count, 0) {}

void seed_agent(Agents& agents, std::size_t a, const Draw& draw) {
    agents.wealth[a] = 100.0;
    agents.price[a] = draw() + 5.0;
    for (double& w : agents.weights[a]) w = draw();
    agents.demand[a] = nearest(2.0 * draw());
    agents.reference[a] = static_cast<std::int16_t>((agents.demand[a] + 1) % 2);
}

void collect_repayments(Agents& agents) {
    for (std::size_t a = 0; a < agents.size(); ++a) {
        if (agents.instalments_left[a] > 0) {
            agents.wealth[a] = chk(agents.wealth[a] - agents.instalment[a]);
            agents.instalments_left[a] = int16_add(agents.instalments_left[a], -1);
        }
    }
}

void adjust_prices(Agents& agents, const Draw& draw) {
    for (std::size_t a = 0; a < agents.size(); ++a) {
        const double d = agents.price[a] / 10.0;
        const bool move = nearest(draw()) == 0;
        if (move)
            agents.price[a] = chk(agents.demand[a] != agents.reference[a] ? agents.price[a] + d : agents.price[a] - d);
        const double wanted = fdiv(draw() * agents.wealth[a], agents.price[a]);
        agents.demand[a] = round_int16(std::trunc(wanted));
    }
}

std::vector<std::int16_t> rank_descending(std::span<const double> values) {
    std::vector<std::int16_t> order(values.size());
    std::iota(order.begin(), order.end(), std::int16_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::int16_t a, std::int16_t b) {
        return values[static_cast<std::size_t>(a)] > values[static_cast<std::size_t>(b)];
    });
    return order;
}

Clearing clear_market(const Agents& agents, std::span<const std::int16_t> ranking, std::int16_t supply) {
    Clearing c;
    c.allocation.assign(ranking.size(), 0);
    std::int16_t remaining = supply;
    for (std::size_t i = 0; i < ranking.size() && remaining != 0; ++i) {
        const auto a = static_cast<std::size_t>(ranking[i]);
        const std::int16_t units = remaining < agents.demand[a] ? remaining : agents.demand[a];
        c.allocation[i] = units;
        c.revenue = chk(c.revenue + agents.price[a] * units);
        remaining = int16_add(remaining, int16_mul(units, -1));
    }
    c.revenue = fdiv(c.revenue, supply);
    return c;
}

namespace {

struct Trial {
    std::size_t position;  // W touches no weight
    double value;
};

}  // namespace

std::optional<double> run_trials(Agents& agents, std::span<const double> exemplar, const NetShape& shape,
                                 std::int16_t nexem, std::span<const std::int16_t> allocation,
                                 std::span<const std::int16_t> ranking, const Draw& draw, const Pump& pump) {
    const std::size_t w = shape.weights();
    // The serviced positions and their trials, drawn in rank order.
    std::vector<std::vector<Trial>> trials;
    for (std::size_t k = 0; k < allocation.size() && allocation[k] != 0; ++k) {
        const auto a = static_cast<std::size_t>(ranking[k]);
        const std::int16_t q = allocation[k];
        agents.wealth[a] = chk(agents.wealth[a] - agents.price[a] * q);
        std::vector<Trial>& mine = trials.emplace_back();
        for (int n = 0; n < q; ++n) {
            const auto j = static_cast<std::size_t>(nearest(draw() * static_cast<double>(w)));
            mine.push_back({j, draw()});
        }
    }
    // Each agent's trials touch only its own weights and wealth.
    const Examples examples(exemplar, shape, nexem);
    std::vector<double> gain(trials.size(), 0.0);
    std::vector<double> after(trials.size(), 10000.0);  // above every error: not serviced
    for_each_index_parallel(
        trials.size(),
        [&](std::size_t k) {
            if (trials[k].empty()) return;  // a negative allocation buys nothing
            std::vector<double>& own = agents.weights[static_cast<std::size_t>(ranking[k])];
            std::vector<double> working = own;
            const double e0 = fitness(working, examples);
            double best = e0;
            for (const Trial& t : trials[k]) {
                if (t.position >= w) continue;  // the working vector as it is: no better
                const double kept = working[t.position];
                working[t.position] = t.value;
                const double e = fitness(working, examples);
                if (e < best) {
                    best = e;
                } else {
                    working[t.position] = kept;
                }
            }
            after[k] = best;
            if (best != e0) {
                gain[k] = 100.0 * (e0 - best);
                own = working;
            }
        },
        pump);
    for (std::size_t k = 0; k < trials.size(); ++k) {
        const auto a = static_cast<std::size_t>(ranking[k]);
        agents.wealth[a] = chk(agents.wealth[a] + gain[k]);
    }
    const auto lowest = std::min_element(after.begin(), after.end());
    if (lowest == after.end() || *lowest >= 10000.0) return std::nullopt;
    return *lowest;
}

double annuity_payment(double principal, double rate, int n) {
    const double growth = chk(std::pow(1.0 + rate, n));
    return fdiv(chk(principal * rate * growth), growth - 1.0);
}

double next_interest_rate(double rate, double ratio) {
    if (ratio >= 1.25) return rate + 0.01;
    if (ratio < 0.75 && rate > 0.01) return rate - 0.01;
    return rate;
}

void grant_loans(Agents& agents, double rate, int remaining, const Draw& draw) {
    const std::int16_t n = nearest(remaining / 3.0);
    if (n <= 0) return;
    for (std::size_t a = 0; a < agents.size(); ++a) {
        const double candidate = annuity_payment(agents.wealth[a] / 4.0, rate, n);
        const double u = draw();
        const bool wants = agents.wealth[a] / 10.0 > candidate && u < 0.2;
        if (wants && agents.instalment[a] == 0.0) {
            agents.instalment[a] = candidate;
            agents.instalments_left[a] = n;
        }
    }
}

void reseed_bankrupt(Agents& agents, const Draw& draw) {
    for (std::size_t a = 0; a < agents.size(); ++a)
        if (agents.wealth[a] < 1.0) seed_agent(agents, a, draw);
}

bool train_agoric(const NetShape& shape, std::int16_t nexem, std::span<const double> exemplar,
                  std::vector<double>& result, std::int16_t iterations, std::int16_t population_size, Pmeter& pmeter,
                  UserInterface& ui, const Draw& draw) {
    const auto p = static_cast<std::size_t>(population_size);
    Agents agents(p, shape.weights());
    for (std::size_t a = 0; a < p; ++a) seed_agent(agents, a, draw);
    const double opening_price =
        std::accumulate(agents.price.begin(), agents.price.end(), 0.0) / static_cast<double>(p);
    const std::int16_t supply = int16_mul(50, population_size);
    double rate = 0.05;
    const Pump pump = [&ui] { ui.yield(); };

    training_progress_start(pmeter, ui, iterations);
    std::optional<double> lowest;  // the lowest error found so far, for the progress window
    for (int v = 1; v <= iterations; ++v) {
        collect_repayments(agents);
        adjust_prices(agents, draw);
        const std::vector<std::int16_t> ranking = rank_descending(agents.price);
        if (training_progress_step(pmeter, ui, v, iterations, lowest)) return false;
        const Clearing market = clear_market(agents, ranking, supply);
        const std::optional<double> found =
            run_trials(agents, exemplar, shape, nexem, market.allocation, ranking, draw, pump);
        if (found && (!lowest || *found < *lowest)) lowest = found;
        rate = next_interest_rate(rate, fdiv(market.revenue, opening_price));
        grant_loans(agents, rate, iterations - v, draw);
        reseed_bankrupt(agents, draw);
        ui.yield();
    }
    progress_hide(ui, pmeter);

    const Examples examples(exemplar, shape, nexem);
    std::vector<double> errors(p);
    for_each_index_parallel(
        p, [&](std::size_t a) { errors[a] = fitness(agents.weights[a], examples); }, pump);
    const auto best = static_cast<std::size_t>(std::min_element(errors.begin(), errors.end()) - errors.begin());
    result = agents.weights[best];
    return true;
}

}  // namespace tvx
