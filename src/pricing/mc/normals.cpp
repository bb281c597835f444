// The normal draws in their scalar form, snorm (the polar method, one draw
// at a time, the form the vector draws reproduce), and the same draws many
// at a time through the kernels.
#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

#include "core/fault.h"
#include "pricing/mc/model.h"
#include "pricing/random.h"
#include "pricing/testing.h"

namespace tvx {
namespace mc {
namespace {

// Draws runs of normals into a layout, a chunk at a time, with scratch kept
// from run to run.
class NormalSource {
public:
    void draw(Layout& to, std::size_t count) {
        const std::size_t pad = group_width();
        if (u1s_.empty()) u1s_.resize(chunk + pad), ws_.resize(chunk + pad);
        for (std::size_t at = 0; at < count; at += chunk)
            draw_normals(&to, std::min(chunk, count - at), u1s_.data(), ws_.data());
    }

private:
    static constexpr std::size_t chunk = 4096;
    std::vector<double> u1s_, ws_;
};

}  // namespace
}  // namespace mc

double snorm() {
    for (;;) {
        const double u1 = 2.0 * uniform() - 1.0;
        const double u2 = 2.0 * uniform() - 1.0;
        // The uniforms are multiples of 2^-24, so w is exact and w == 0 only
        // when both draws were exactly 0.5.
        const double w = u1 * u1 + u2 * u2;
        if (w >= 1.0 || w == 0.0) continue;
        return u1 * fsqrt(fdiv(-2.0 * flog(w), w));
    }
}

void snorm_fill(std::span<double> z) {
    mc::Layout to{z.data(), z.size(), 1};
    mc::NormalSource().draw(to, z.size());
}

}  // namespace tvx
