// The program's uniform generator: the 32-bit Mersenne Twister (MT19937),
// its output identical to std::mt19937's, and the form of its draws. The
// simulations keep a generator state of their own (pricing/random.h); the
// neural-net trainings draw from the application's state here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tvx {

namespace mt {
constexpr std::size_t n = 624;  // words of state
}  // namespace mt

class Mt19937 {
public:
    explicit Mt19937(std::uint32_t seed) { this->seed(seed); }

    void seed(std::uint32_t s);

    std::uint32_t operator()() {
        if (next_ >= mt::n) twist();
        return out_[next_++];
    }

    // The outputs the next calls would return (at least one); skip(k)
    // marks the first k of them taken.
    std::span<const std::uint32_t> words() {
        if (next_ >= mt::n) twist();
        return {out_.data() + next_, mt::n - next_};
    }

    void skip(std::size_t k) { next_ += k; }

private:
    void twist();

    std::array<std::uint32_t, mt::n> state_{};
    std::array<std::uint32_t, mt::n> out_{};  // the tempered outputs of the current block
    std::size_t next_ = mt::n;
};

// The draw that one 32-bit output stands for: its top 24 bits times 2^-24.
inline double uniform_of(std::uint32_t word) { return static_cast<double>(word >> 8) * 0x1p-24; }

// The neural-net trainings' draws, from a generator state of their own:
// seeded once when the program starts and never reset. A training waiting
// in the event loop and a simulation started meanwhile (or the reverse)
// never take draws from each other's stream.
double application_uniform();

}  // namespace tvx
