// The normal draws on SIMD vectors: the accepted pairs of the polar method
// straight from the generator, in order, then from them the normals, laid
// out for the lanes of a group.
// Included once per instruction set (by a file that goes through Highway's
// foreach_target); the guard below flips with each target.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "pricing/mc/model.h"
#include "pricing/mc/vector_math-inl.h"
#include "pricing/random.h"

#if defined(TVX_PRICING_MC_DRAWS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef TVX_PRICING_MC_DRAWS_INL_H_
#undef TVX_PRICING_MC_DRAWS_INL_H_
#else
#define TVX_PRICING_MC_DRAWS_INL_H_
#endif

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace tvx::mc::HWY_NAMESPACE {

// hn, DF, VF and MF come with vector_math-inl.h.

// For each mask of the lanes of a vector, the lane indices that bring the
// set lanes to the front in order (the library's compress copies a table
// onto the stack at every call on some targets, which costs more than the
// rest of the draw).
template <std::size_t kL>
struct PackTable {
    std::int64_t idx[(std::size_t{1} << kL) * kL] = {};
    std::uint8_t accepted[std::size_t{1} << kL] = {};

    constexpr PackTable() {
        for (std::size_t mask = 0; mask < (std::size_t{1} << kL); ++mask) {
            std::size_t k = 0;
            for (std::size_t l = 0; l < kL; ++l)
                if (mask >> l & 1u) idx[mask * kL + k++] = static_cast<std::int64_t>(l);
            accepted[mask] = static_cast<std::uint8_t>(k);
        }
    }
    const std::int64_t* row(std::size_t mask) const { return idx + mask * kL; }
};

constexpr PackTable<hn::MaxLanes(DF())> kPack{};

// A run of normals is drawn in two parts: the accepted pairs of uniforms,
// in order, straight from the generator; then, from them alone, the
// normals themselves, laid out for the lanes. The first part is the only
// one that touches the generator.

// The whole vectors of candidate pairs from the `avail` words at p, tested
// and packed into u1s and ws from `got` on, up to the vector that would
// reach `count`: the number of words used.
std::size_t AcceptVectors(const std::uint32_t* p, std::size_t avail, std::size_t count, double* u1s, double* ws,
                          std::size_t& got) {
    const DF d;
    const hn::Rebind<std::uint64_t, DF> du;
    const std::size_t L = hn::Lanes(d);
    const VF one = hn::Set(d, 1.0);
    const VF zero = hn::Zero(d);
    const VF scale = hn::Set(d, 0x1p-23);  // 2 * 2^-24
    // 2^52 + k for k < 2^24 is exact, and its bits are those of 2^52 with k
    // in the low mantissa bits: k as a double without an integer conversion.
    const auto exponent = hn::Set(du, 0x4330000000000000ull);
    const auto low24 = hn::Set(du, 0x00ffffffull);
    // u = 2 U - 1 for the draw U = (word >> 8) 2^-24, exactly: (2^52 + k)
    // 2^-23 = 2^29 + k 2^-23 is exact (52 significant bits), and so is the
    // difference from 2^29 + 1, so a fused and an unfused multiply-subtract
    // give the same.
    const VF offset = hn::Set(d, 0x1p29 + 1.0);
    const auto to_u = [&](auto k) { return hn::MulSub(hn::BitCast(d, hn::Or(k, exponent)), scale, offset); };
    std::size_t used = 0;
    while (avail - used >= 2 * L) {
        // Little-endian: each 64-bit lane holds the first word of a pair
        // in its low half and the second in its high half.
        const auto x = hn::LoadU(du, reinterpret_cast<const std::uint64_t*>(p + used));
        const VF u1 = to_u(hn::And(hn::ShiftRight<8>(x), low24));
        const VF u2 = to_u(hn::ShiftRight<40>(x));
        // Exact (multiples of 2^-46 below 2), fused or not.
        const VF w = hn::MulAdd(u1, u1, hn::Mul(u2, u2));
        const auto accept = hn::And(hn::Lt(w, one), hn::Ne(w, zero));
        // The vector that reaches the count goes pair by pair: snorm
        // stops right after the last pair it needs, and the rejected
        // pairs behind it in this vector are not its to take.
        if (got + hn::CountTrue(d, accept) >= count) break;
        // Packed in order: the accepted lanes moved to the front by the
        // table's row for this mask, the whole vector stored, and the
        // place advanced by the number accepted.
        std::uint8_t bits[8] = {};
        hn::StoreMaskBits(d, accept, bits);
        const auto front = hn::SetTableIndices(d, kPack.row(bits[0]));
        hn::StoreU(hn::TableLookupLanes(u1, front), d, u1s + got);
        hn::StoreU(hn::TableLookupLanes(w, front), d, ws + got);
        got += kPack.accepted[bits[0]];
        used += 2 * L;
    }
    return used;
}

// AcceptPairs takes from the generator the pairs that the next count calls
// of snorm would accept, and leaves it where those calls would: u1 and w =
// u1^2 + u2^2 of each go to u1s and ws, which hold count + Lanes doubles.
// Candidate pairs are tested a vector at a time, the accepted ones packed
// in order; the vector that reaches the count, and a pair split across two
// blocks of the generator, go one pair at a time.
void AcceptPairs(std::size_t count, double* u1s, double* ws) {
    std::size_t got = 0;
    const auto try_pair = [&](double u1, double u2) {
        const double w = u1 * u1 + u2 * u2;
        if (w >= 1.0 || w == 0.0) return;
        u1s[got] = u1;
        ws[got] = w;
        ++got;
    };
    while (got < count) {
        const auto words = uniform_words();
        const std::uint32_t* p = words.data();
        const std::size_t avail = words.size();
        std::size_t used = AcceptVectors(p, avail, count, u1s, ws, got);
        while (got < count && avail - used >= 2) {
            try_pair(2.0 * uniform_of(p[used]) - 1.0, 2.0 * uniform_of(p[used + 1]) - 1.0);
            used += 2;
        }
        if (got < count && avail - used == 1) {
            const double u1 = 2.0 * uniform_of(p[used]) - 1.0;
            uniform_skip(used + 1);
            try_pair(u1, 2.0 * uniform() - 1.0);
            continue;
        }
        uniform_skip(used);
    }
}

// Turns count accepted pairs (from AcceptPairs, whose arrays it takes as
// scratch) into normals, u1 sqrt(-2 ln(w) / w), and puts them where `to`
// says (and moves `to` on).
void TransformPairs(Layout* to, std::size_t count, double* u1s, double* ws) {
    const DF d;
    const std::size_t L = hn::Lanes(d);
    // The transform runs over the accepted pairs as one plain vector loop,
    // the results written in order into u1s (each vector's chain of
    // logarithm, division and square root is long, and a loop with nothing
    // else in it lets several be in flight at once); they are then laid out.
    const VF minus_two = hn::Set(d, -2.0);
    std::fill(ws + count, ws + count + L, 0.5);  // the tail of the last vector
    std::fill(u1s + count, u1s + count + L, 0.0);
    for (std::size_t k = 0; k < count; k += L) {
        const VF u1 = hn::LoadU(d, u1s + k);
        const VF w = hn::LoadU(d, ws + k);
        hn::StoreU(hn::Mul(u1, hn::Sqrt(hn::Div(hn::Mul(minus_two, LogNormal(d, w)), w))), d, u1s + k);
    }
    double* const out = to->out;
    const std::size_t width = to->width, per_pair = to->per_pair;
    std::size_t slot = to->slot, lane = to->lane;
    std::size_t k = 0;
#if HWY_TARGET != HWY_SCALAR
    if constexpr (hn::MaxLanes(DF()) == 4) {
        // A whole group of four pairs from its first slot: four slots of
        // the four lanes at a time, a 4 x 4 transpose.
        if (L == 4 && width == 4 && slot == 0 && lane == 0 && per_pair > 0 && count == 4 * per_pair) {
            const double* row = u1s;
            for (; slot + 4 <= per_pair; slot += 4) {
                const VF r0 = hn::LoadU(d, row + slot), r1 = hn::LoadU(d, row + per_pair + slot);
                const VF r2 = hn::LoadU(d, row + 2 * per_pair + slot), r3 = hn::LoadU(d, row + 3 * per_pair + slot);
                const VF t0 = hn::InterleaveLower(d, r0, r1), t1 = hn::InterleaveUpper(d, r0, r1);
                const VF t2 = hn::InterleaveLower(d, r2, r3), t3 = hn::InterleaveUpper(d, r2, r3);
                double* const at = out + slot * 4;
                hn::StoreU(hn::ConcatLowerLower(d, t2, t0), d, at);
                hn::StoreU(hn::ConcatLowerLower(d, t3, t1), d, at + 4);
                hn::StoreU(hn::ConcatUpperUpper(d, t2, t0), d, at + 8);
                hn::StoreU(hn::ConcatUpperUpper(d, t3, t1), d, at + 12);
            }
            for (; slot < per_pair; ++slot)
                for (std::size_t l = 0; l < 4; ++l) out[slot * 4 + l] = row[l * per_pair + slot];
            to->slot = 0;
            to->lane = 4;
            return;
        }
    }
#endif
    while (k < count) {
        // The rest of this lane's slots, at a stride of the width.
        const std::size_t here = std::min(per_pair - slot, count - k);
        double* at = out + slot * width + lane;
        for (std::size_t m = 0; m < here; ++m) at[m * width] = u1s[k + m];
        k += here;
        slot += here;
        if (slot == per_pair) slot = 0, ++lane;
    }
    to->slot = slot;
    to->lane = lane;
}

void DrawNormals(Layout* to, std::size_t count, double* u1s, double* ws) {
    AcceptPairs(count, u1s, ws);
    TransformPairs(to, count, u1s, ws);
}

}  // namespace tvx::mc::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif
