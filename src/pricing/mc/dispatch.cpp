// The simulation's kernels, built once for every instruction set the SIMD
// library targets, and the choice among them at run time. This is the only
// file of the simulation that goes through foreach_target: it re-includes
// itself once per instruction set, and with it the kernels' -inl headers.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "pricing/mc/dispatch.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per instruction set

#include <hwy/highway.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "pricing/mc/draws-inl.h"
#include "pricing/mc/kernels-inl.h"
#include "pricing/mc/model.h"
#include "pricing/mc/vector_math-inl.h"
#include "pricing/testing.h"

HWY_BEFORE_NAMESPACE();
namespace tvx::mc::HWY_NAMESPACE {

std::size_t GroupWidth() { return hn::Lanes(DF()); }

const char* TargetName() { return hwy::TargetName(HWY_TARGET); }

void VectorExp(const double* x, double* y, std::size_t count) {
    const DF d;
    const std::size_t L = hn::Lanes(d);
    std::size_t k = 0;
    for (; k + L <= count; k += L) hn::StoreU(ExpNear(d, hn::LoadU(d, x + k)), d, y + k);
    if (k < count) {
        HWY_ALIGN double in[hn::MaxLanes(DF())] = {};
        HWY_ALIGN double out[hn::MaxLanes(DF())];
        std::copy(x + k, x + count, in);
        hn::Store(ExpNear(d, hn::Load(d, in)), d, out);
        std::copy(out, out + (count - k), y + k);
    }
}

}  // namespace tvx::mc::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tvx {

namespace mc {
HWY_EXPORT(GroupWidth);
HWY_EXPORT(TargetName);
HWY_EXPORT(DrawNormals);
HWY_EXPORT(AcceptPairs);
HWY_EXPORT(TransformPairs);
HWY_EXPORT(AdvanceGroup);
HWY_EXPORT(VectorExp);

std::size_t group_width() { return HWY_DYNAMIC_DISPATCH(GroupWidth)(); }
const char* target_name() { return HWY_DYNAMIC_DISPATCH(TargetName)(); }
void draw_normals(Layout* to, std::size_t count, double* u1s, double* ws) {
    HWY_DYNAMIC_DISPATCH(DrawNormals)(to, count, u1s, ws);
}
void accept_pairs(std::size_t count, double* u1s, double* ws) { HWY_DYNAMIC_DISPATCH(AcceptPairs)(count, u1s, ws); }
void transform_pairs(Layout* to, std::size_t count, double* u1s, double* ws) {
    HWY_DYNAMIC_DISPATCH(TransformPairs)(to, count, u1s, ws);
}
void advance_group(const Constants& k, const Group& g) { HWY_DYNAMIC_DISPATCH(AdvanceGroup)(k, g); }
void vector_exp(const double* x, double* y, std::size_t count) { HWY_DYNAMIC_DISPATCH(VectorExp)(x, y, count); }
}  // namespace mc

const char* mc_simd_target() { return mc::target_name(); }

std::vector<std::int64_t> mc_simd_targets() {
    std::vector<std::int64_t> out;
    for (const std::int64_t t : hwy::SupportedAndGeneratedTargets()) out.push_back(t);
    return out;
}

void mc_force_simd_target(std::int64_t target) { hwy::SetSupportedTargetsForTest(target); }

void mc_vector_exp(std::span<const double> x, std::span<double> y) {
    mc::vector_exp(x.data(), y.data(), std::min(x.size(), y.size()));
}

}  // namespace tvx
#endif  // HWY_ONCE
