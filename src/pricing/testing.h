// Entry points for the tests and the benchmarks, beside the pricing layer's
// own: the scalar normal draw the simulation's vector draws reproduce, its
// vector exponential, and the choice of instruction set of the simulation's
// kernels and of the American solver's step loop.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tvx {

// One standard normal draw by the polar method; the second variate of the
// accepted pair is discarded.
double snorm();

// The next z.size() draws of snorm, drawn many at a time, in the same
// order and leaving the generator where as many calls of snorm would. The
// logarithm is a vector one and may differ from snorm's in the last bit.
void snorm_fill(std::span<double> z);

// The simulation runs on SIMD vectors, with kernels built for several
// instruction sets; the fastest this processor runs is used. The
// instruction sets built that this processor runs (as the SIMD library's
// target bits), the name of the one in use, and a way to force one (0
// returns to the fastest).
std::vector<std::int64_t> mc_simd_targets();
const char* mc_simd_target();
void mc_force_simd_target(std::int64_t target);

// The simulation's own exponential on the build in use:
// y[k] = e^(x[k]) for |x[k]| <= 706, within about 1 ulp (x and y of equal
// length).
void mc_vector_exp(std::span<const double> x, std::span<double> y);

// The same exponential in its plain form (core/simd/exponential.h), on the
// build in use, for |x[k]| <= 706.
void plain_vector_exp(std::span<const double> x, std::span<double> y);

// The solver's step loop is built for more than one instruction set, all
// giving the same bits; the fastest one the processor runs is used. Tests
// pin each in turn.
enum class SolverPath {
    Portable,  // any x86-64 processor (or any other)
    Avx2,      // x86-64 with AVX2
    Avx512,    // x86-64 with AVX-512 (its foundation, AVX512F)
};

// The paths this processor can run, the portable one first.
std::vector<SolverPath> solver_usa_paths();
SolverPath solver_usa_path();
// Throws std::invalid_argument for a path the processor cannot run.
void pin_solver_usa_path(SolverPath path);
// Back to the fastest path.
void unpin_solver_usa_path();
const char* solver_path_name(SolverPath path);

// The boundaries the exercise-boundary method has solved in this run (a
// chart against the spot solves its boundaries once, not once a point).
long boundary_solves();

}  // namespace tvx
