#include "pricing/random.h"

#include <array>
#include <cstdint>

namespace tvx {

namespace {

// The 32-bit Mersenne Twister (MT19937), its output identical to
// std::mt19937's. Written out here because the standard library's twist
// branches on the low bit of every word, a coin flip the processor cannot
// predict; the mask below makes the twist branch-free and several times
// faster, which matters to the simulations.
class Mt19937 {
public:
    explicit Mt19937(std::uint32_t seed) { this->seed(seed); }

    void seed(std::uint32_t s) {
        state_[0] = s;
        for (std::uint32_t i = 1; i < n; ++i)
            state_[i] = 1812433253u * (state_[i - 1] ^ (state_[i - 1] >> 30)) + i;
        next_ = n;
    }

    std::uint32_t operator()() {
        if (next_ >= n) twist();
        std::uint32_t y = state_[next_++];
        y ^= y >> 11;
        y ^= (y << 7) & 0x9d2c5680u;
        y ^= (y << 15) & 0xefc60000u;
        y ^= y >> 18;
        return y;
    }

private:
    static constexpr std::uint32_t n = 624;
    static constexpr std::uint32_t m = 397;

    static std::uint32_t mix(std::uint32_t upper, std::uint32_t lower, std::uint32_t far) {
        const std::uint32_t y = (upper & 0x80000000u) | (lower & 0x7fffffffu);
        return far ^ (y >> 1) ^ ((0u - (y & 1u)) & 0x9908b0dfu);
    }

    void twist() {
        for (std::uint32_t i = 0; i < n - m; ++i) state_[i] = mix(state_[i], state_[i + 1], state_[i + m]);
        for (std::uint32_t i = n - m; i < n - 1; ++i)
            state_[i] = mix(state_[i], state_[i + 1], state_[i + m - n]);
        state_[n - 1] = mix(state_[n - 1], state_[0], state_[m - 1]);
        next_ = 0;
    }

    std::array<std::uint32_t, n> state_{};
    std::uint32_t next_ = n;
};

// The generator's one fixed state: the Mersenne Twister seeded with 250.
// reset_uniform() returns it there; nothing else ever seeds it.
constexpr std::uint32_t fixed_seed = 250;

Mt19937 generator{fixed_seed};
Mt19937 application_generator{fixed_seed};

// The top 24 bits of one 32-bit output, scaled by 2^-24: exactly a
// single-precision value in [0, 1), read as a double.
double draw_of(std::uint32_t word) { return static_cast<double>(word >> 8) * 0x1p-24; }

}  // namespace

double uniform() { return draw_of(generator()); }

double application_uniform() { return draw_of(application_generator()); }

void reset_uniform() { generator.seed(fixed_seed); }

}  // namespace tvx
