// The uniform generator: the 32-bit Mersenne Twister (MT19937), its output
// identical to std::mt19937's. Written out here because the simulations take
// millions of draws: the twist that renews the 624 words of state, and the
// tempering of the new block of outputs, run on SIMD vectors (Highway, one
// build per instruction set, the fastest chosen at run time). Integer
// operations only, so every build gives the same words.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "core/random.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per instruction set

#include <hwy/highway.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/random.h"

#ifndef TVX_CORE_RANDOM_SHARED
#define TVX_CORE_RANDOM_SHARED
namespace tvx::mt {

constexpr std::size_t m = 397;
constexpr std::uint32_t upper_mask = 0x80000000u;
constexpr std::uint32_t lower_mask = 0x7fffffffu;
constexpr std::uint32_t matrix = 0x9908b0dfu;

// One word of the twist, without a branch on the low bit of y.
inline std::uint32_t mix(std::uint32_t upper, std::uint32_t lower, std::uint32_t far) {
    const std::uint32_t y = (upper & upper_mask) | (lower & lower_mask);
    return far ^ (y >> 1) ^ ((0u - (y & 1u)) & matrix);
}

inline std::uint32_t temper(std::uint32_t y) {
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= y >> 18;
    return y;
}

}  // namespace tvx::mt
#endif

HWY_BEFORE_NAMESPACE();
namespace tvx::mt::HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

// Renews the state and writes the tempered block to out. Word i depends on
// words i + 1 and i + m (old values) and, from i = n - m on, on word
// i + m - n, renewed at least n - m = 227 words earlier: a vector of
// consecutive words reads only words no other lane of it writes.
void TwistAndTemper(std::uint32_t* state, std::uint32_t* out) {
    const hn::ScalableTag<std::uint32_t> d;
    const std::size_t L = hn::Lanes(d);
    const auto up = hn::Set(d, upper_mask), low = hn::Set(d, lower_mask), mat = hn::Set(d, matrix);
    const auto one = hn::Set(d, 1u);
    const auto vmix = [&](auto upper, auto lower, auto far) {
        const auto y = hn::Or(hn::And(upper, up), hn::And(lower, low));
        const auto odd = hn::VecFromMask(d, hn::Eq(hn::And(y, one), one));
        return hn::Xor(hn::Xor(far, hn::ShiftRight<1>(y)), hn::And(odd, mat));
    };
    std::size_t i = 0;
    for (; i + L <= n - m; i += L)
        hn::StoreU(vmix(hn::LoadU(d, state + i), hn::LoadU(d, state + i + 1), hn::LoadU(d, state + i + m)), d,
                   state + i);
    for (; i < n - m; ++i) state[i] = mix(state[i], state[i + 1], state[i + m]);
    for (; i + L <= n - 1; i += L)
        hn::StoreU(vmix(hn::LoadU(d, state + i), hn::LoadU(d, state + i + 1), hn::LoadU(d, state + i + m - n)), d,
                   state + i);
    for (; i < n - 1; ++i) state[i] = mix(state[i], state[i + 1], state[i + m - n]);
    state[n - 1] = mix(state[n - 1], state[0], state[m - 1]);

    const auto t1 = hn::Set(d, 0x9d2c5680u), t2 = hn::Set(d, 0xefc60000u);
    i = 0;
    for (; i + L <= n; i += L) {
        auto y = hn::LoadU(d, state + i);
        y = hn::Xor(y, hn::ShiftRight<11>(y));
        y = hn::Xor(y, hn::And(hn::ShiftLeft<7>(y), t1));
        y = hn::Xor(y, hn::And(hn::ShiftLeft<15>(y), t2));
        y = hn::Xor(y, hn::ShiftRight<18>(y));
        hn::StoreU(y, d, out + i);
    }
    for (; i < n; ++i) out[i] = temper(state[i]);
}

}  // namespace tvx::mt::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tvx {

namespace mt {
HWY_EXPORT(TwistAndTemper);
}  // namespace mt

void Mt19937::seed(std::uint32_t s) {
    state_[0] = s;
    for (std::uint32_t i = 1; i < mt::n; ++i) state_[i] = 1812433253u * (state_[i - 1] ^ (state_[i - 1] >> 30)) + i;
    next_ = mt::n;
}

void Mt19937::twist() {
    HWY_DYNAMIC_DISPATCH(mt::TwistAndTemper)(state_.data(), out_.data());
    next_ = 0;
}

namespace {
// Seeded with the simulations' fixed seed, never reset.
Mt19937 application_generator{250};
}  // namespace

double application_uniform() { return uniform_of(application_generator()); }

}  // namespace tvx
#endif  // HWY_ONCE
