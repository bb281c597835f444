#include "pricing/dividend_american.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/fault.h"
#include "pricing/escrowed_european.h"

namespace tvx {

namespace {

constexpr int kNodes = 440;           // about this many nodes over the grid
constexpr int kSteps = 140;           // and time steps over the life
constexpr int kRestartSteps = 12;     // more for each interval, which starts from a kink
constexpr int kLeastSteps = 4;        // between two ex-dates, however close
constexpr double kReach = 4.5;        // standard deviations of ln S over the life, each side of the spot
constexpr double kStrikeReach = 2.0;  // and of the strike
constexpr double kCrowding = 1.0;     // the nodes crowd within about this many of them around the middle
// A third of an interval's steps go to its last 6 % before the kink it
// starts from (the expiry, an ex-date), where the exercise boundary moves
// fastest.
constexpr int kNearShare = 3;
constexpr double kNearLength = 0.06;

struct Terms {
    double t, sigma, r, x, delta, w;  // w: +1 call, -1 put
    bool call, escrowed;
    std::span<const CashDividend> dividends;
};

// The value beyond the second node from each end is taken as linear in the
// price (no curvature far from the strike, where the option is exercised,
// worthless, or a forward): V(0) = low_near V(1) + low_far V(2), and
// V(n - 1) = high_near V(n - 2) + high_far V(n - 3).
struct Edges {
    double low_near, low_far, high_near, high_far;
};

// The grid and one column of values on it.
struct Column {
    Edges edges{};
    std::vector<double> y, p;                           // the nodes' ln of the price, and the price
    std::vector<double> lower, mid, upper;              // the operator's weights at each interior node
    std::vector<double> v, g;                           // the value and the exercise value
    double centre = 0, scale = 1, first = 0, step = 1;  // y = centre + scale sinh(first + i step)
};

// The dividends after `time`, valued at it.
double present_after(const Terms& o, double time) { return dividends_present_value(o.dividends, o.r, time); }

void set_exercise(const Terms& o, Column& col, double time) {
    const double pv = o.escrowed ? present_after(o, time) : 0.0;
    for (std::size_t i = 0; i < col.p.size(); ++i) col.g[i] = std::max(o.w * (col.p[i] + pv - o.x), 0.0);
}

// The weights of (1/2) sigma^2 V'' + mu V' - r V at each interior node by
// the three-point differences of the uneven grid.
void set_operator(const Terms& o, Column& col) {
    const std::size_t n = col.y.size();
    const double s2 = o.sigma * o.sigma, mu = o.r - o.delta - 0.5 * s2;
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const double hm = col.y[i] - col.y[i - 1], hp = col.y[i + 1] - col.y[i], span = hm + hp;
        col.lower[i] = (s2 - mu * hp) / (hm * span);
        col.upper[i] = (s2 + mu * hm) / (hp * span);
        col.mid[i] = (-s2 + mu * (hp - hm)) / (hm * hp) - o.r;
    }
}

// The system of one step over the interior nodes 1 .. n - 2 with the edges
// folded in, factored for the Brennan-Schwartz elimination in the
// direction the exercise region needs: a put's from the top row down, a
// call's from the bottom row up.
struct Factored {
    double dt = 0, theta = 0;
    std::vector<double> a, c;        // each row's weights of the nodes below and above
    std::vector<double> f, inverse;  // the elimination's multipliers and the pivots' inverses
    // The substitution's weight of the node already solved, over the pivot
    // (a put's from below, a call's from above): the step's dependent chain
    // is then one multiply-subtract and a maximum a node.
    std::vector<double> carried;
};

Factored factor(const Terms& o, const Column& col, double dt, double theta) {
    const std::size_t n = col.y.size(), top = n - 2;
    Factored m{
        dt, theta, std::vector<double>(n), std::vector<double>(n), std::vector<double>(n), std::vector<double>(n), {}};
    std::vector<double> b(n);
    for (std::size_t i = 1; i <= top; ++i) {
        m.a[i] = -theta * dt * col.lower[i];
        m.c[i] = -theta * dt * col.upper[i];
        b[i] = 1.0 - theta * dt * col.mid[i];
    }
    const Edges& e = col.edges;
    b[1] += m.a[1] * e.low_near, m.c[1] += m.a[1] * e.low_far, m.a[1] = 0.0;
    b[top] += m.c[top] * e.high_near, m.a[top] += m.c[top] * e.high_far, m.c[top] = 0.0;
    if (!o.call) {
        m.inverse[top] = 1.0 / b[top];
        for (std::size_t i = top - 1; i >= 1; --i) {
            m.f[i] = m.c[i] * m.inverse[i + 1];
            m.inverse[i] = 1.0 / (b[i] - m.f[i] * m.a[i + 1]);
        }
    } else {
        m.inverse[1] = 1.0 / b[1];
        for (std::size_t i = 2; i <= top; ++i) {
            m.f[i] = m.a[i] * m.inverse[i - 1];
            m.inverse[i] = 1.0 / (b[i] - m.f[i] * m.c[i - 1]);
        }
    }
    m.carried.assign(n, 0.0);
    for (std::size_t i = 1; i <= top; ++i) m.carried[i] = (o.call ? m.c[i] : m.a[i]) * m.inverse[i];
    return m;
}

// The edge nodes from the interior, then exercise there.
void set_edges(Column& col) {
    const std::size_t n = col.y.size();
    const Edges& e = col.edges;
    std::vector<double>& v = col.v;
    v[0] = std::max(col.g[0], e.low_near * v[1] + e.low_far * v[2]);
    v[n - 1] = std::max(col.g[n - 1], e.high_near * v[n - 2] + e.high_far * v[n - 3]);
}

// One step back to `time` (the new level), with the exercise values there.
void step(const Terms& o, const Factored& m, Column& col, std::vector<double>& d, double time) {
    const std::size_t n = col.y.size(), top = n - 2;
    std::vector<double>& v = col.v;
    const double explicit_part = (1.0 - m.theta) * m.dt;
    for (std::size_t i = 1; i <= top; ++i)
        d[i] = v[i] + explicit_part * (col.lower[i] * v[i - 1] + col.mid[i] * v[i] + col.upper[i] * v[i + 1]);
    if (o.escrowed) set_exercise(o, col, time);  // the spot model's never changes
    const std::vector<double>& g = col.g;
    // Each chain keeps its running value in a register: the loops are
    // bound by the latency of one node's arithmetic after another.
    if (!o.call) {
        double e = d[top];
        for (std::size_t i = top - 1; i >= 1; --i) d[i] = e = d[i] - m.f[i] * e;
        for (std::size_t i = 1; i <= top; ++i) d[i] *= m.inverse[i];
        double below = v[1] = std::max(g[1], d[1]);
        for (std::size_t i = 2; i <= top; ++i) v[i] = below = std::max(g[i], d[i] - m.carried[i] * below);
    } else {
        double e = d[1];
        for (std::size_t i = 2; i <= top; ++i) d[i] = e = d[i] - m.f[i] * e;
        for (std::size_t i = 1; i <= top; ++i) d[i] *= m.inverse[i];
        double above = v[top] = std::max(g[top], d[top]);
        for (std::size_t i = top - 1; i >= 1; --i) v[i] = above = std::max(g[i], d[i] - m.carried[i] * above);
    }
    set_edges(col);
}

// The column's value at ln-price y by the cubic through the four nodes
// around it.
double cubic_at(const Column& col, double y) {
    const std::size_t n = col.y.size();
    const double xi = std::asinh((y - col.centre) / col.scale);
    const double pos = std::floor((xi - col.first) / col.step);
    const std::size_t j = static_cast<std::size_t>(std::clamp(pos, 1.0, static_cast<double>(n - 3)));
    double value = 0.0;
    for (std::size_t k = j - 1; k <= j + 2; ++k) {
        double weight = 1.0;
        for (std::size_t l = j - 1; l <= j + 2; ++l)
            if (l != k) weight *= (y - col.y[l]) / (col.y[k] - col.y[l]);
        value += weight * col.v[k];
    }
    return value;
}

// The ex-date at `time` of a dividend `amount`: the drop (spot model),
// then exercise with the dividend still in the price.
void ex_date(const Terms& o, Column& col, double time, double amount) {
    const std::size_t n = col.y.size();
    std::vector<double>& v = col.v;
    if (!o.escrowed) {
        std::vector<double> after(n);
        for (std::size_t i = 0; i < n; ++i) {
            const double s = col.p[i] - amount;
            if (s <= 0.0) {  // liquidated: a put is exercised at once, a call is worthless
                after[i] = o.call ? 0.0 : o.x;
            } else if (s < col.p[0]) {  // below the grid, where the value is linear in the price
                after[i] = v[0] + (v[1] - v[0]) * (s - col.p[0]) / (col.p[1] - col.p[0]);
            } else {
                after[i] = cubic_at(col, std::log(s));
            }
        }
        v = std::move(after);
    }
    const double pv = o.escrowed ? present_after(o, time) + amount : 0.0;
    for (std::size_t i = 0; i < n; ++i) v[i] = std::max(v[i], o.w * (col.p[i] + pv - o.x));
}

// The nodes of the layout around ln-spot y0.
Column make_column(const DividendGrid& grid, double y0) {
    const std::size_t n = static_cast<std::size_t>(grid.below + grid.above + 1);
    Column col;
    col.centre = grid.centre, col.scale = grid.scale, col.step = grid.step;
    col.first = std::asinh((y0 - grid.centre) / grid.scale) - grid.below * grid.step;
    for (auto* v : {&col.y, &col.p, &col.lower, &col.mid, &col.upper, &col.v, &col.g}) v->assign(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        const int k = static_cast<int>(i) - grid.below;
        col.y[i] =
            k == 0 ? y0 : chk(grid.centre + grid.scale * std::sinh(col.first + static_cast<double>(i) * grid.step));
        col.p[i] = chk(std::exp(col.y[i]));
    }
    const std::vector<double>& p = col.p;
    const double low = (p[0] - p[1]) / (p[2] - p[1]), high = (p[n - 1] - p[n - 2]) / (p[n - 2] - p[n - 3]);
    col.edges = {1.0 - low, low, 1.0 + high, -high};
    return col;
}

}  // namespace

DividendGrid dividend_grid(double t, double Sigma, double r, double x, double S, double delta,
                           std::span<const CashDividend> dividends, DividendModel model) {
    const double sd = chk(Sigma * fsqrt(t));
    const double drift = chk(std::fabs(r - delta - 0.5 * Sigma * Sigma) * t);
    const bool escrowed = model == DividendModel::Escrowed;
    const double spot = escrowed ? escrowed_spot(S, r, dividends) : S;
    const double y0 = flog(spot), strike = flog(x);
    // The spot model's drops move the price down by up to their sum.
    const double paid = escrowed ? 0.0 : dividends_present_value(dividends, r);
    const double fall = paid < spot ? -std::log1p(-paid / spot) : kReach * sd;
    const double low = std::min(y0 - kReach * sd - drift - fall, strike - kStrikeReach * sd);
    const double high = std::max(y0 + kReach * sd + drift, strike + kStrikeReach * sd);
    DividendGrid grid;
    // Crowded between the strike and the spot, where the value bends.
    grid.centre = 0.5 * (strike + y0);
    grid.scale = chk(kCrowding * sd);
    const double from = std::asinh((low - grid.centre) / grid.scale);
    const double to = std::asinh((high - grid.centre) / grid.scale);
    const double at = std::asinh((y0 - grid.centre) / grid.scale);
    grid.step = fdiv(to - from, kNodes);
    grid.below = std::max(2, static_cast<int>(std::ceil((at - from) / grid.step)));
    grid.above = std::max(2, static_cast<int>(std::ceil((to - at) / grid.step)));
    double previous = 0.0;
    for (std::size_t k = 0; k <= dividends.size(); ++k) {
        const double end = k < dividends.size() ? dividends[k].time : t;
        grid.steps.push_back(
            std::max(kLeastSteps, kRestartSteps + static_cast<int>(std::lround(kSteps * (end - previous) / t))));
        previous = end;
    }
    return grid;
}

DividendAmericanValue dividend_american(const DividendGrid& grid, double t, double Sigma, double r, double x, double S,
                                        double delta, std::int16_t optype, std::span<const CashDividend> dividends,
                                        DividendModel model) {
    if (!(t > 0.0 && Sigma > 0.0 && x > 0.0 && S > 0.0)) raise_invalid_operation("terms not above 0");
    if (grid.steps.size() != dividends.size() + 1 || grid.below < 2 || grid.above < 2)
        throw std::invalid_argument("a layout made for other terms");
    const bool call = optype == 0;
    const Terms o{t, Sigma, r, x, delta, call ? 1.0 : -1.0, call, model == DividendModel::Escrowed, dividends};
    const double spot = o.escrowed ? escrowed_spot(S, r, dividends) : S;
    Column col = make_column(grid, flog(spot));
    set_operator(o, col);
    set_exercise(o, col, t);
    col.v = col.g;
    std::vector<double> d(col.y.size());
    for (std::size_t k = dividends.size() + 1; k-- > 0;) {
        const double from = k == 0 ? 0.0 : dividends[k - 1].time;
        const double to = k < dividends.size() ? dividends[k].time : t;
        if (to > from) {
            const int steps = grid.steps[k], near = std::max(2, steps / kNearShare);
            const double split = to - kNearLength * (to - from);
            const double fine = (to - split) / near, coarse = (split - from) / (steps - near);
            const Factored damped = factor(o, col, 0.5 * fine, 1.0), first = factor(o, col, fine, 0.5),
                           then = factor(o, col, coarse, 0.5);
            step(o, damped, col, d, to - 0.5 * fine);
            step(o, damped, col, d, to - fine);
            for (int j = 2; j <= near; ++j) step(o, first, col, d, j == near ? split : to - j * fine);
            for (int j = 1; j <= steps - near; ++j)
                step(o, then, col, d, j == steps - near ? from : split - j * coarse);
        }
        if (k > 0) ex_date(o, col, from, dividends[k - 1].amount);
    }
    for (double v : col.v) chk(v);
    const std::size_t c = static_cast<std::size_t>(grid.below);
    const double hm = col.y[c] - col.y[c - 1], hp = col.y[c + 1] - col.y[c];
    const double down = (col.v[c] - col.v[c - 1]) / hm, up = (col.v[c + 1] - col.v[c]) / hp;
    const double first = (hp * down + hm * up) / (hm + hp), second = 2.0 * (up - down) / (hm + hp);
    return {col.v[c], chk(first / spot), chk((second - first) / (spot * spot))};
}

double dividend_american_value(double t, double Sigma, double r, double x, double S, double delta, std::int16_t optype,
                               std::span<const CashDividend> dividends, DividendModel model) {
    const DividendGrid grid = dividend_grid(t, Sigma, r, x, S, delta, dividends, model);
    return dividend_american(grid, t, Sigma, r, x, S, delta, optype, dividends, model).value;
}

}  // namespace tvx
