#include "pricing/american.h"

#include <array>
#include <bit>
#include <cstdint>

#include "core/fault.h"
#include "core/numbers.h"
#include "pricing/closed_form.h"

namespace tvx {
namespace {

constexpr int half = usa_nodes / 2;  // node k lives at index k + half
constexpr int top = usa_nodes - 1;   // index of node 50
using Column = std::array<double, usa_nodes>;

// The space and time steps; both fault for t <= 0 or Sigma = 0.
struct Steps {
    double dx;
    double dt;
};

Steps grid_steps(double t, double Sigma) {
    const double dx = fdiv(chk(chk(Sigma * 6.0) * fsqrt(t)), 101.0);
    const double dt = fdiv(chk(dx * chk(dx * 0.5)), chk(Sigma * chk(Sigma * 3.0)));
    return {dx, dt};
}

std::int16_t step_count(double t, const Steps& s) { return round_int16(fdiv(t, s.dt)); }

// Marks a non-finite x: bit 63 of the result is set exactly when x is an
// infinity or a NaN (all exponent bits set, so adding one to the exponent
// carries out of it). Integer operations only, so that an OR-reduction of
// these over a column vectorises, which a reduction over comparisons of
// doubles does not.
inline std::uint64_t fault_bit(double x) {
    constexpr std::uint64_t exponent = 0x7ff0000000000000u;
    constexpr std::uint64_t exponent_one = 0x0010000000000000u;
    return (std::bit_cast<std::uint64_t>(x) & exponent) + exponent_one;
}

inline bool has_fault(std::uint64_t bits) { return (bits >> 63) != 0; }

// Raises the fault that the step's check found: invalid operation for a
// NaN, overflow otherwise.
[[noreturn]] void raise_column_fault(const Column& cont, const Column& exercise) {
    for (int i = 0; i < usa_nodes; ++i) chk(chk(cont[i]) - exercise[i]);
    raise_overflow("floating-point overflow");
}

// The step loop is bound by the width of the vector unit: where the
// toolchain can dispatch on the processor at load time, a second copy is
// built for AVX2, which takes four nodes per instruction instead of two and
// roughly halves the time. AVX2 alone brings no fused multiply-add, so both
// copies round every product and sum alike and give identical results; a
// target that implies FMA (AVX-512 does) would let the compiler fuse the
// three-term update and change the last bits.
#if defined(__x86_64__) && defined(__ELF__) && (defined(__GNUC__) || defined(__clang__))
#define TVX_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TVX_VECTOR_CLONES
#endif

struct Solution {
    Column value;  // the value column after the last step
    double dx;
};

// One run of the scheme.
TVX_VECTOR_CLONES Solution solve(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype) {
    const Steps st = grid_steps(t, Sigma);
    const double dx = st.dx;
    const double dt = st.dt;
    const std::int16_t n = step_count(t, st);

    const double nu = chk(chk(r - delta) - chk(chk(Sigma * Sigma) * 0.5));
    const double dx2 = chk(dx * dx);
    const double s2_dx2 = fdiv(chk(Sigma * Sigma), dx2);
    const double nu_dx = fdiv(nu, dx);
    const double half_dt = chk(dt * 0.5);
    const double pu = chk(chk(s2_dx2 + nu_dx) * half_dt);
    const double pd = chk(chk(s2_dx2 - nu_dx) * half_dt);
    const double pm = chk(chk(1.0 - fdiv(chk(Sigma * chk(dt * Sigma)), dx2)) - chk(dt * r));
    const double g = fexp(dx);
    // A negative weight makes the explicit scheme unstable: its values
    // oscillate and grow into garbage long before anything overflows. That
    // takes |nu| sqrt(t) above about 17 Sigma, or r above about 1,400 / t.
    if (pu < 0.0 || pd < 0.0 || pm < 0.0) throw RuntimeError("unstable difference scheme");

    // Price grid from the lowest node up, and the exercise value at each.
    Column price;
    price[0] = chk(S * fexp(chk(-50.0 * dx)));
    for (int i = 1; i < usa_nodes; ++i) price[i] = chk(price[i - 1] * g);
    Column exercise;
    for (int i = 0; i < usa_nodes; ++i) exercise[i] = optype == 0 ? chk(price[i] - x) : chk(x - price[i]);
    // Beyond the grid the value continues the slope of the exercise value at
    // the edge node: +1 for a call and -1 for a put in the money there, 0 out
    // of the money. (A put whose strike lies inside the grid has -1 below
    // and 0 above; a call, 0 below and +1 above.)
    const auto edge_slope = [&](double ex) { return ex > 0.0 ? (optype == 0 ? 1.0 : -1.0) : 0.0; };
    const double low_step = chk(edge_slope(exercise[0]) * chk(price[1] - price[0]));
    const double high_step = chk(edge_slope(exercise[top]) * chk(price[top] - price[top - 1]));

    Column current;
    for (int i = 0; i < usa_nodes; ++i) current[i] = maximum(0.0, exercise[i]);

    Column cont;
    for (int j = n - 1; j >= 0; --j) {
        // The weights and the previous column are finite, so a fault in this
        // step leaves an infinite or NaN continuation value, and its
        // difference from the exercise value inherits it. That difference is
        // also what the exercise comparison forms, so checking it covers
        // both, before any comparison sees the column.
        std::uint64_t faults = 0;
        for (int i = 1; i < top; ++i) {
            const double c = pu * current[i + 1] + pm * current[i] + pd * current[i - 1];
            cont[i] = c;
            faults |= fault_bit(c - exercise[i]);
        }
        cont[0] = cont[1] - low_step;
        cont[top] = cont[top - 1] + high_step;
        faults |= fault_bit(cont[0] - exercise[0]) | fault_bit(cont[top] - exercise[top]);
        if (has_fault(faults)) [[unlikely]]
            raise_column_fault(cont, exercise);

        for (int i = 0; i < usa_nodes; ++i) current[i] = maximum(cont[i], exercise[i]);
    }
    return {current, dx};
}

}  // namespace

std::int16_t solver_usa_steps(double t, double Sigma) { return step_count(t, grid_steps(t, Sigma)); }

AmericanCentre solver_usa_centre(double t, double Sigma, double r, double x, double S, double delta,
                                 std::int16_t optype) {
    const Solution s = solve(t, Sigma, r, x, S, delta, optype);
    return {s.value[half], s.value[half - 1], s.value[half + 1], s.dx};
}

double solver_usa(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype) {
    return solve(t, Sigma, r, x, S, delta, optype).value[half];
}

double grid_gamma(const AmericanCentre& c, double S) {
    const double second = fdiv(chk(chk(c.above - chk(2.0 * c.value)) + c.below), chk(c.dx * c.dx));
    const double first = fdiv(chk(c.above - c.below), chk(2.0 * c.dx));
    return fdiv(chk(second - first), chk(S * S));
}

}  // namespace tvx
