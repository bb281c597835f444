// The simulation's pieces, and what they share. The frame (batches, pairs in
// order, the running totals, the stopping rule, the yield) is plain code,
// compiled once (mc/batch.cpp). Under it, kernels run on SIMD vectors:
// taking the accepted pairs of uniforms of the polar method from the
// generator, turning them into normals (mc/draws-inl.h), and advancing a
// group of pairs through all their steps side by side, one pair per vector
// lane (mc/kernels-inl.h), with a vector exponential and logarithm of their
// own (mc/vector_math-inl.h). The kernels are compiled once for every
// instruction set the SIMD library (Highway) targets, by mc/dispatch.cpp
// alone; the fastest one the processor runs is chosen when first used. A
// batch's groups go through a pipeline over the processor's cores
// (pricing/pipeline.h): the draws in order, one group at a time, everything
// after them on any core.
//
// The draws are those of snorm, in the same order: a group's normals are
// drawn up front, pair after pair and step after step as snorm would give
// them, and each lane then takes its own pair's. Every operation is the one
// of the scalar model, in the same order. The kernels' sources are built
// without contraction of a product and a sum into a fused multiply-add (the
// build sets that once for all of them); the few multiply-adds written out
// each say why they may fuse. Only the exponential and the logarithm may
// round differently from the C library's, in the last bit. The results of a
// valuation do not depend on the number of cores: the pairs' results are
// added in pair order once the batch is through.
#pragma once

#include <cmath>
#include <cstddef>
#include <limits>

namespace tvx::mc {

enum class Model { Volatility, Rate, VolatilityRate };

// One valuation's model constants (see the models below).
struct Constants {
    Model model;
    double dt;
    double sdt;    // sqrt(dt)
    double carry;  // per step: G, H or E
    double s1;     // Sigma sqrt(dt) (stochastic rate)
    double r;
    double rho;
    double c_rho;  // sqrt(1 - rho^2)
};

// A group of pairs advanced side by side. z holds the normals of step j,
// draw d (in the model's order), lane l at z[(j * draws + d) * width + l].
// The start values go in, and every lane's ends come out.
struct Group {
    const double* z;
    double* pre;  // scratch: a vector a step
    std::size_t steps;
    std::size_t draws;
    std::size_t width;
    double S, Sigma, r;
    double* A;  // primary price
    double* B;  // antithetic price
    double* V;  // volatility
    double* R;  // short rate
    double* D;  // growth factor along the rate path
};

// Where normals go: the k-th of a run to out[slot * width + lane], counting
// slots 0 to per_pair - 1 and then moving to the next lane. A run of
// normals for a group fills every slot of each lane (pair) in turn; a plain
// run has width 1 and per_pair beyond its length.
struct Layout {
    double* out;
    std::size_t per_pair;
    std::size_t width;
    std::size_t slot = 0;
    std::size_t lane = 0;
};

// The exponential where the vector one is not valid: NaN for a non-finite
// argument or result, so that the fault shows at the end of the path.
inline double checked_exp_or_nan(double x) {
    const double y = std::exp(x);
    return std::isfinite(x) && std::isfinite(y) ? y : std::numeric_limits<double>::quiet_NaN();
}

// The kernels on the instruction set in use (mc/dispatch.cpp). The width of
// a group is the number of lanes of a vector.
std::size_t group_width();
const char* target_name();
// Takes from the generator the accepted pairs of the next count normals
// (u1s and ws hold count + group_width() doubles) ...
void accept_pairs(std::size_t count, double* u1s, double* ws);
// ... and turns them into normals laid out for the lanes.
void transform_pairs(Layout* to, std::size_t count, double* u1s, double* ws);
// Both in one.
void draw_normals(Layout* to, std::size_t count, double* u1s, double* ws);
// g.width is a multiple of group_width(); g.pre holds group_width() doubles a step.
void advance_group(const Constants& k, const Group& g);
// The exponential of the kernels, y[k] = e^(x[k]) for |x[k]| <= 706.
void vector_exp(const double* x, double* y, std::size_t count);

}  // namespace tvx::mc
