#include "pricing/random.h"

#include <cstdint>
#include <random>

namespace tvx {

namespace {

// The generator's one fixed state: a 32-bit Mersenne Twister seeded with 250.
// reset_uniform() returns it there; nothing else ever seeds it.
constexpr std::uint32_t fixed_seed = 250;

std::mt19937 generator{fixed_seed};

}  // namespace

double uniform() {
    // The top 24 bits of one 32-bit output, scaled by 2^-24: exactly a
    // single-precision value in [0, 1), read as a double.
    return static_cast<double>(generator() >> 8) * 0x1p-24;
}

void reset_uniform() { generator.seed(fixed_seed); }

}  // namespace tvx
