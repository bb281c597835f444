// Genetic evolution of a population of weight vectors: one-point crossover,
// the best half of parents and children survive, sparse random mutation.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/progress.h"
#include "neural/network.h"
#include "neural/parallel.h"
#include "neural/training_progress.h"

namespace tvx {

using WeightSet = std::vector<std::vector<double>>;  // P vectors of W weights

// 0 .. n-1 in random order: from t(i) = i, for c = n-1 down to 0:
// j = nearest(u * c), perm(c) = t(j), t(j) = t(c).
std::vector<std::int16_t> random_permutation(std::int16_t n, const Draw& draw);

// Indices 0 .. n-1 by ascending value, ties in ascending index order. Values
// must lie below 1000 (every error does).
std::vector<std::int16_t> rank_ascending(std::span<const double> values);

// Fills children from the population: one cut c = nearest(u * (W-1)) + 1 for
// the whole generation, a random permutation, and pairs (perm(l),
// perm(nearest(P/2 + l))) for l = 0 .. nearest(P/2 - 1). A child slot that no
// pair writes keeps its content.
void crossover(const WeightSet& population, WeightSet& children, const Draw& draw);

// Evaluates parents and children (on the pool's threads, `pump` called meanwhile) and
// keeps the P lowest errors, copied from the sets as they stood. Returns
// the 2P errors.
std::vector<double> select_survivors(WeightSet& population, const WeightSet& children, std::span<const double> exemplar,
                                     const NetShape& shape, std::int16_t nexem, const Pump& pump = {});

// Each individual: with u <= 0.08, one weight (at nearest(u' * (W-1))) gets
// a fresh draw.
void mutate(WeightSet& population, const Draw& draw);

// G generations of crossover, selection and mutation with `pmeter` showing
// the share done (and the window events processed while a long generation
// is evaluated); then the lowest-error individual (the last of equals) is
// copied into `result`. On Cancel it returns at the end of that generation
// without touching `result`. Returns false when cancelled. A population
// above 16383 has more than 32767 parents and children: an overflow.
bool train_genetic(const NetShape& shape, std::int16_t nexem, std::span<const double> exemplar,
                   std::vector<double>& result, std::int16_t generations, std::int16_t population_size, Pmeter& pmeter,
                   UserInterface& ui, const Draw& draw);

}  // namespace tvx
