#include "pricing/american.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "core/fault.h"
#include "core/numbers.h"
#include "pricing/american_steps.h"
#include "pricing/closed_form.h"

namespace tvx {
namespace {

constexpr int half = usa_nodes / 2;

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

using usa::Column;
using usa::Scheme;

struct Solution {
    Column value;  // the value column after the last step
    double dx;
};

// One run of the scheme.
Solution solve(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype) {
    const Steps st = grid_steps(t, Sigma);
    const double dx = st.dx;
    const double dt = st.dt;
    Scheme s;
    s.steps = step_count(t, st);

    const double nu = chk(chk(r - delta) - chk(chk(Sigma * Sigma) * 0.5));
    const double dx2 = chk(dx * dx);
    const double s2_dx2 = fdiv(chk(Sigma * Sigma), dx2);
    const double nu_dx = fdiv(nu, dx);
    const double half_dt = chk(dt * 0.5);
    s.pu = chk(chk(s2_dx2 + nu_dx) * half_dt);
    s.pd = chk(chk(s2_dx2 - nu_dx) * half_dt);
    s.pm = chk(chk(1.0 - fdiv(chk(Sigma * chk(dt * Sigma)), dx2)) - chk(dt * r));
    const double g = fexp(dx);
    // A negative weight makes the explicit scheme unstable: its values
    // oscillate and grow into garbage long before anything overflows. That
    // takes |nu| sqrt(t) above about 17 Sigma, or r above about 1,400 / t.
    if (s.pu < 0.0 || s.pd < 0.0 || s.pm < 0.0) throw RuntimeError("unstable difference scheme");

    // Price grid from the lowest node up, and the exercise value at each.
    double price[usa_nodes];
    price[0] = chk(S * fexp(chk(-50.0 * dx)));
    for (int k = 1; k < usa_nodes; ++k) price[k] = chk(price[k - 1] * g);
    Column& ex = s.exercise;
    for (int k = 0; k < usa_nodes; ++k) ex[k] = optype == 0 ? chk(price[k] - x) : chk(x - price[k]);
    // Beyond the grid the value continues the slope of the exercise value at
    // the edge node: +1 for a call and -1 for a put in the money there, 0 out
    // of the money. (A put whose strike lies inside the grid has -1 below
    // and 0 above; a call, 0 below and +1 above.)
    const auto edge_slope = [&](double e) { return e > 0.0 ? (optype == 0 ? 1.0 : -1.0) : 0.0; };
    s.low_step = chk(edge_slope(ex[0]) * chk(price[1] - price[0]));
    s.high_step = chk(edge_slope(ex[usa_nodes - 1]) * chk(price[usa_nodes - 1] - price[usa_nodes - 2]));

    Solution out;
    out.dx = dx;
    for (int k = 0; k < usa_nodes; ++k) out.value[k] = maximum(0.0, ex[k]);
    usa::run_steps(s, out.value);

    // The steps themselves are not checked one by one; the last column is.
    // No fault can vanish on the way there: the weights are finite and not
    // negative, and so is every value (the terminal values are, a sum of
    // such products is, and the edge rules and the exercise test keep each
    // node at or above 0 or its positive exercise value). So an overflow
    // leaves +infinity and an invalid operation a NaN, never -infinity;
    // maximum passes either through as its first operand, and the node's
    // own term in the next step (weight times infinity or NaN) keeps it
    // non-finite there, step after step, while spreading it to the
    // neighbours. Checking all 101 nodes at the end therefore finds every
    // fault of every step.
    for (const double v : out.value) chk(v);
    return out;
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
