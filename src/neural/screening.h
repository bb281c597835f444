// The Gradient training's screening of its starts: how many it draws, when
// the worse ones stop, and the orderings by fitness that choose the ones
// that go on, the networks grown and the result.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "neural/descent.h"
#include "neural/gradient.h"

namespace tvx {

// Per example, the multiply-adds of the normal equations and of a gradient.
struct ExampleWork {
    double normal, gradient;
};
ExampleWork example_work(const NetShape& s);

// A screening's plan (ScreenSettings): the starts drawn, the iteration
// after which the better half of them go on (0 for none), the one after
// which only the best go on, as many as were asked for (`kept`), and the
// networks grown (0 for none).
struct Screening {
    std::size_t drawn;
    int halve, cut;
    std::size_t grown;
};
Screening screening(std::size_t kept, int iterations, const Problem& p);

// The descents of a stage, each begun at its first iteration.
using Descents = std::vector<std::optional<Descent>>;

// 0 to n - 1.
std::vector<std::size_t> every_index(std::size_t n);

// `among` by the fitness of each descent so far, lowest first (equals in
// the order given).
std::vector<std::size_t> by_fitness(std::vector<std::size_t> among, const Descents& descents);

// The `count` descents of `among` with the lowest fitness so far (the
// first of equals), in the order of their starts.
std::vector<std::size_t> lowest(std::vector<std::size_t> among, const Descents& descents, std::size_t count);

// The screening: of every start drawn (stopped ones included), the `kept`
// lowest; those of them still going on (in `active`) go on.
void keep_screened(std::vector<std::size_t>& active, const Descents& descents, std::size_t kept);

// The lowest fitness of the descents begun, 10000 (above every error)
// before any.
double lowest_error(const Descents& descents);

// The `kept` lowest of `descents` by fitness, each more than `distinct` of
// itself from those before it (equal fits are one basin reached twice).
std::vector<std::size_t> lowest_distinct(const Descents& descents, std::size_t kept, double distinct);

}  // namespace tvx
