// The simulations' generator state: the program's Mersenne Twister
// (core/random.h), reset to one fixed state before every valuation.
#include "pricing/random.h"

namespace tvx {
namespace {

// The generator's one fixed state: the Mersenne Twister seeded with 250.
// reset_uniform() returns it there; nothing else ever seeds it.
constexpr std::uint32_t fixed_seed = 250;

Mt19937 generator{fixed_seed};

}  // namespace

double uniform() { return uniform_of(generator()); }

void reset_uniform() { generator.seed(fixed_seed); }

std::span<const std::uint32_t> uniform_words() { return generator.words(); }

void uniform_skip(std::size_t k) { generator.skip(k); }

}  // namespace tvx
