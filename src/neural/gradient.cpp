#include "neural/gradient.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <variant>

#include "core/fault.h"
#include "neural/descent.h"
#include "neural/fitness_kernel.h"
#include "neural/parallel.h"
#include "neural/training_progress.h"

namespace tvx {

namespace {

// The weights that residual `o` of an example depends on: every
// input-to-hidden weight, and the hidden-to-output weights of output o.
std::vector<std::size_t> residual_weights(const NetShape& shape, std::size_t o) {
    const auto nh = static_cast<std::size_t>(shape.nhidden), nout = static_cast<std::size_t>(shape.nout);
    std::vector<std::size_t> index(shape.output_block());
    std::iota(index.begin(), index.end(), std::size_t{0});
    for (std::size_t h = 0; h < nh; ++h) index.push_back(shape.output_block() + h * nout + o);
    return index;
}

// The forward pass over every example in turn, both measures added up,
// and visit(example, nodes) after each pass. The nodes come from the
// vector kernel, every example at once and to the same bits, unless some
// argument is beyond its range; then from feed_forward, which raises the
// fault where it occurs.
template <class Visit>
Errors over_examples(std::span<const double> weights, std::span<const double> exemplar, const NetShape& shape,
                     std::int16_t nexem, Visit visit) {
    const auto nin = static_cast<std::size_t>(shape.nin), nh = static_cast<std::size_t>(shape.nhidden);
    const auto nout = static_cast<std::size_t>(shape.nout), count = static_cast<std::size_t>(nexem);
    const std::size_t width = shape.example_width();
    NodeTable nodes(shape);
    thread_local std::vector<double> hidden, output;
    hidden.resize(count * nh);
    output.resize(count * nout);
    const bool vector =
        neural::vector_nodes(weights.data(), exemplar.data(), shape, count, hidden.data(), output.data());
    double sum = 0.0, squares = 0.0;
    for (std::size_t k = 0; k < count; ++k) {
        const std::span<const double> example = exemplar.subspan(k * width, width);
        if (vector) {
            std::copy_n(example.begin(), nin, nodes.input.begin());
            std::copy_n(hidden.begin() + static_cast<std::ptrdiff_t>(k * nh), nh, nodes.hidden.begin());
            std::copy_n(output.begin() + static_cast<std::ptrdiff_t>(k * nout), nout, nodes.output.begin());
        } else {
            feed_forward(weights, example.first(nin), nodes, shape);
        }
        const double distance = example_error(nodes, example.subspan(nin), shape);
        sum += distance;
        squares += distance * distance;
        visit(example, nodes);
    }
    return {fdiv(sum, nexem), fdiv(squares, nexem)};
}

}  // namespace

Errors errors_of(std::span<const double> weights, const Problem& p) {
    return over_examples(weights, p.exemplar, p.shape, p.nexem, [](auto, const NodeTable&) {});
}

Errors error_gradient(std::span<const double> weights, std::span<const double> exemplar, const NetShape& shape,
                      std::int16_t nexem, std::span<double> gradient) {
    const auto nin = static_cast<std::size_t>(shape.nin);
    const auto nhidden = static_cast<std::size_t>(shape.nhidden);
    const auto nout = static_cast<std::size_t>(shape.nout);
    const double* v = weights.data() + shape.output_block();
    double* gv = gradient.data() + shape.output_block();
    std::fill(gradient.begin(), gradient.end(), 0.0);
    std::vector<double> d_out(nout), d_hidden(nhidden);
    const Errors e = over_examples(weights, exemplar, shape, nexem, [&](auto example, const NodeTable& nodes) {
        // d squared distance / d sum of output t: 2 (o - target) * 0.5 (1 - o^2).
        for (std::size_t t = 0; t < nout; ++t) {
            const double o = nodes.output[t];
            d_out[t] = (o - example[nin + t]) * (1.0 - o * o);
        }
        for (std::size_t s = 0; s < nhidden; ++s) {
            const double h = nodes.hidden[s];
            double back = 0.0;
            for (std::size_t t = 0; t < nout; ++t) {
                gv[s * nout + t] += d_out[t] * h;
                back += d_out[t] * v[s * nout + t];
            }
            d_hidden[s] = back * 0.5 * (1.0 - h * h);
        }
        for (std::size_t i = 0; i < nin; ++i) {
            const double x = nodes.input[i];
            for (std::size_t s = 0; s < nhidden; ++s) gradient[i * nhidden + s] += d_hidden[s] * x;
        }
    });
    for (double& g : gradient) g = chk(g / nexem);
    return e;
}

Errors normal_equations(std::span<const double> weights, const Problem& p, std::span<double> jtj, std::span<double> jtr,
                        std::span<double> jacobian, std::span<double> residual) {
    const NetShape& shape = p.shape;
    const auto nin = static_cast<std::size_t>(shape.nin), nh = static_cast<std::size_t>(shape.nhidden);
    const auto nout = static_cast<std::size_t>(shape.nout);
    const std::size_t n = shape.weights();
    const double* v = weights.data() + shape.output_block();
    std::fill(jtj.begin(), jtj.end(), 0.0);
    std::fill(jtr.begin(), jtr.end(), 0.0);
    std::vector<std::vector<std::size_t>> index(nout);
    for (std::size_t o = 0; o < nout; ++o) index[o] = residual_weights(shape, o);
    std::vector<double> row(index[0].size()), slope(nh);
    std::fill(jacobian.begin(), jacobian.end(), 0.0);
    std::size_t k = 0;  // the residual's index
    const Errors e = over_examples(weights, p.exemplar, shape, p.nexem, [&](auto example, const NodeTable& nodes) {
        for (std::size_t h = 0; h < nh; ++h) slope[h] = 0.5 * (1.0 - nodes.hidden[h] * nodes.hidden[h]);
        for (std::size_t o = 0; o < nout; ++o) {
            // The residual's derivatives: by the input-to-hidden weights
            // (input i, hidden h), then by output o's weights from each h.
            const double out = nodes.output[o], r = out - example[nin + o], a = 0.5 * (1.0 - out * out);
            for (std::size_t i = 0; i < nin; ++i)
                for (std::size_t h = 0; h < nh; ++h) row[i * nh + h] = a * v[h * nout + o] * slope[h] * nodes.input[i];
            for (std::size_t h = 0; h < nh; ++h) row[nin * nh + h] = a * nodes.hidden[h];
            const std::vector<std::size_t>& at = index[o];
            if (!jacobian.empty()) {
                residual[k] = r;
                for (std::size_t x = 0; x < at.size(); ++x) jacobian[k * n + at[x]] = row[x];
            }
            ++k;
            // Row x of the derivatives belongs to weight position(x).
            const auto accumulate = [&](auto position) {
                for (std::size_t x = 0; x < at.size(); ++x) {
                    jtr[position(x)] += row[x] * r;
                    double* line = jtj.data() + position(x) * n;
                    const double rx = row[x];
                    for (std::size_t y = 0; y <= x; ++y) line[position(y)] += rx * row[y];
                }
            };
            if (nout == 1)  // every weight bears on the one output, in order: no index to follow
                accumulate([](std::size_t x) { return x; });
            else
                accumulate([&at](std::size_t x) { return at[x]; });
        }
    });
    // The indices rise along each list, so only the lower triangle was
    // formed; mirror it.
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < i; ++j) jtj[j * n + i] = jtj[i * n + j];
    for (const double x : jtj) chk(x);
    for (const double x : jtr) chk(x);
    return e;
}

void residuals_of(std::span<const double> weights, const Problem& p, std::span<double> residual) {
    const auto nin = static_cast<std::size_t>(p.shape.nin), nout = static_cast<std::size_t>(p.shape.nout);
    std::size_t k = 0;
    over_examples(weights, p.exemplar, p.shape, p.nexem, [&](auto example, const NodeTable& nodes) {
        for (std::size_t o = 0; o < nout; ++o) residual[k++] = nodes.output[o] - example[nin + o];
    });
}

namespace {

// The inputs that hold the same value in every example (of two or more),
// in order.
std::vector<std::size_t> constant_inputs(const Problem& p) {
    const auto nin = static_cast<std::size_t>(p.shape.nin), width = p.shape.example_width();
    const auto nexem = static_cast<std::size_t>(p.nexem);
    std::vector<std::size_t> constant;
    if (nexem < 2) return constant;
    for (std::size_t i = 0; i < nin; ++i) {
        bool same = true;
        for (std::size_t k = 1; k < nexem && same; ++k) same = p.exemplar[k * width + i] == p.exemplar[i];
        if (same) constant.push_back(i);
    }
    return constant;
}

bool has_constant_input(const Problem& p) { return !constant_inputs(p).empty(); }

// The input a centred start centres each hidden node by: the first
// constant input with a nonzero value, where there is another input.
std::optional<std::size_t> bias_input(const Problem& p) {
    if (p.shape.nin < 2) return std::nullopt;
    for (const std::size_t i : constant_inputs(p))
        if (p.exemplar[i] != 0.0) return i;
    return std::nullopt;
}

// (2u - 1) * scale.
double signed_draw(const Draw& draw, double scale) { return (2.0 * draw() - 1.0) * scale; }

// One of 0 to n - 1, drawn uniformly (n > 0).
std::size_t drawn_index(const Draw& draw, std::size_t n) {
    return std::min(n - 1, static_cast<std::size_t>(draw() * static_cast<double>(n)));
}

// One centred start (gradient.h), `bias` the bias input if there is one
// (without it, each node's steepest point stays at the inputs' origin).
void draw_centred(std::vector<double>& start, const Problem& p, std::optional<std::size_t> bias, const Draw& draw) {
    const auto nin = static_cast<std::size_t>(p.shape.nin), nh = static_cast<std::size_t>(p.shape.nhidden);
    const auto nexem = static_cast<std::size_t>(p.nexem);
    const std::size_t width = p.shape.example_width();
    // With m inputs beside the bias (or m inputs without one), slopes of
    // kCentredSlope / sqrt(m): their sum at an example spreads about as
    // one input's does.
    const double slope = kCentredSlope / std::sqrt(static_cast<double>(bias ? nin - 1 : nin));
    for (std::size_t h = 0; h < nh; ++h) {
        for (std::size_t i = 0; i < nin; ++i)
            if (i != bias) start[i * nh + h] = signed_draw(draw, slope);
        if (!bias) continue;
        const std::size_t k = drawn_index(draw, nexem);
        double sum = 0.0;
        for (std::size_t i = 0; i < nin; ++i)
            if (i != *bias) sum += start[i * nh + h] * p.exemplar[k * width + i];
        start[*bias * nh + h] = std::clamp(chk(-sum / p.exemplar[*bias]), -kWeightBound, kWeightBound);
    }
    for (std::size_t x = p.shape.output_block(); x < start.size(); ++x) start[x] = signed_draw(draw, kCentredOutput);
}

// The output weights of `start` refitted through its hidden layer (see
// kOutputRidge), each output on its own: with h the hidden nodes' values
// at an example, (H'H + ridge I) v = H'z over the examples, z = 2 atanh(t)
// the output sum that gives target t. Left as drawn where a target is not
// inside (-1, 1), which no training file's scaled target is.
void fit_output_weights(std::vector<double>& start, const Problem& p) {
    const auto nin = static_cast<std::size_t>(p.shape.nin), nh = static_cast<std::size_t>(p.shape.nhidden);
    const auto nout = static_cast<std::size_t>(p.shape.nout);
    const std::size_t width = p.shape.example_width();
    for (std::size_t x = 0; x < p.exemplar.size(); ++x)
        if (x % width >= nin && !(std::fabs(p.exemplar[x]) < 1.0)) return;
    std::vector<double> normal(nh * nh, 0.0), right(nh * nout, 0.0);  // H'H, and H'z for each output
    over_examples(start, p.exemplar, p.shape, p.nexem, [&](auto example, const NodeTable& nodes) {
        for (std::size_t i = 0; i < nh; ++i) {
            for (std::size_t j = 0; j < nh; ++j) normal[i * nh + j] += nodes.hidden[i] * nodes.hidden[j];
            for (std::size_t o = 0; o < nout; ++o)
                right[o * nh + i] += nodes.hidden[i] * chk(2.0 * std::atanh(example[nin + o]));
        }
    });
    for (std::size_t i = 0; i < nh; ++i) normal[i * nh + i] += kOutputRidge * static_cast<double>(p.nexem);
    if (!cholesky_factor(normal, nh)) return;
    for (std::size_t o = 0; o < nout; ++o) {
        const std::span<double> v(right.data() + o * nh, nh);
        cholesky_substitute(normal, v, nh);
        for (std::size_t h = 0; h < nh; ++h)
            start[p.shape.output_block() + h * nout + o] = std::clamp(chk(v[h]), -kWeightBound, kWeightBound);
    }
}

}  // namespace

std::vector<std::vector<double>> gradient_starts(std::size_t restarts, const Problem& p, bool centred,
                                                 const Draw& draw) {
    std::vector<std::vector<double>> starts(restarts, std::vector<double>(p.weights()));
    const std::optional<std::size_t> bias = bias_input(p);
    for (auto& start : starts) {
        // On Iris's three outputs the small starts fit a little closer.
        if (centred && p.shape.nout == 1) {
            draw_centred(start, p, bias, draw);
            fit_output_weights(start, p);
        } else
            for (double& x : start) x = signed_draw(draw, kStartScale);
    }
    return starts;
}

namespace {

// Per example, the multiply-adds of the normal equations and of a gradient.
struct ExampleWork {
    double normal, gradient;
};

ExampleWork example_work(const NetShape& s) {
    const auto k = static_cast<double>(s.output_block() + static_cast<std::size_t>(s.nhidden));
    return {k * k / 2.0 * s.nout, 3.0 * static_cast<double>(s.weights())};
}

}  // namespace

// Levenberg-Marquardt while its normal equations cost at most 16 times
// what a gradient does: per example, K^2 / 2 multiply-adds for each output
// (K = nin * nhidden + nhidden weights bear on it) against about 3 W for
// the forward and backward passes. Small networks (up to a few dozen
// weights) take it; the largest (10-15-4, 210 weights: about 86 times)
// take L-BFGS, whose iterations cost a gradient or two.
GradientMethod gradient_method(const Problem& p) {
    const ExampleWork work = example_work(p.shape);
    if (work.normal > 16.0 * work.gradient) return GradientMethod::Lbfgs;
    return has_constant_input(p) ? GradientMethod::Levenberg : GradientMethod::Both;
}

namespace {

// The descents that go on after each tenth of the iterations: the better
// half by fitness so far (the first of equals), but never fewer than this.
constexpr std::size_t kFewestGoingOn = 4;

// Screening, for the methods that take Levenberg-Marquardt: more starts
// are drawn than the training runs to the end, and after some iterations
// only the best go on, as many as the starts asked for. Which basin a
// start falls into does not show at once, and after 20 to 50 iterations
// the descents that look best often end in a worse basin; but a late cut
// costs time. Three plans:
// - A pool, with at most kFewStarts asked for where the largest pool's
//   screening (kPoolSize descents of kPoolScreen iterations) costs at most
//   kPoolWork multiply-adds (about half a second on one core; Iris, the
//   largest of the comparison, takes 1.1e9): kPoolDraws drawn for each
//   start, at most kPoolSize in all (but kScreenDraws for each), all
//   going on until a fifth of the iterations (at most kPoolScreen). In the
//   gradient study (thirty draws of the nine problems with a constant
//   input, 1000 iterations, without the growing below), 10 starts came
//   within 1.5 times the best in 237 of 270 trainings (without a constant
//   input, 268), against 193 (248) with the next plan; 5 starts, 215
//   (259) against 162 (226); 20 starts, 125 of 144 (142) against 120
//   (137) in sixteen draws.
// - Otherwise, with at most kFewStarts asked for: kScreenDraws for each,
//   the better half going on after kFirstScreen iterations and only the
//   best after a tenth of the iterations (at most kLastScreen). On many
//   examples the descents soon stop, and the pool would cost several times
//   what the starts asked for do (5 inputs, 10 hidden nodes, 2000
//   examples, 10 starts: 14.4 s against 3.0 s, for the same fit).
// - With more asked for, kScreenDraws for each, cut after kFirstScreen
//   iterations: those starts find the best basins often enough, and a
//   later cut would cost up to twice the time where the descents stop
//   soon (50 starts cut after 80 iterations: Iris 0.9 s against 0.5 s, the
//   option surface of the comparison 0.4 s against 0.2 s, for the same
//   fits).
constexpr std::size_t kScreenDraws = 4, kFewStarts = 20, kPoolDraws = 8, kPoolSize = 80;
constexpr int kFirstScreen = 10, kLastScreen = 100, kPoolScreen = 200;
constexpr double kPoolWork = 1.5e9;

// Growing, where the pool is affordable: after the starts drawn, networks
// of kGrowSteps hidden nodes fewer are trained from centred starts
// (kGrowDraws for each start asked for, at most kGrowSize); then, kGrowSteps
// times, each of the kGrowKept lowest distinct ones (by fitness) has a
// hidden node drawn at random split in two (split_node), once for each
// start asked for (at most kGrowSplits times), and the networks of one
// node more so made are trained in turn. The last are of the full size,
// and stand beside the other descents.
// Some near-exact fits lie in basins that few starts reach but the grown
// networks do: in the gradient study (thirty draws, 10 starts, 1000
// iterations), the sine of 40 examples with a constant input came within
// 1.5 times the best in all thirty draws, against none without growing;
// the nine problems with a constant input in 268 of 270 trainings, against
// 237 (README). Over a hundred draws that sine came within it in 98 from
// six smaller networks for each start (at most 60), in 89 from four (at
// most 40), for a tenth less time. Growing by one node or by three reached
// it less often, and so did cutting the smaller networks short.
constexpr std::size_t kGrowDraws = 6, kGrowSize = 60, kGrowKept = 2, kGrowSplits = 10;
constexpr int kGrowSteps = 2;

// A screening's plan: the starts drawn, the iteration after which the
// better half of them go on (0 for none), the one after which only the
// best go on, as many as were asked for, and the networks grown (0 for
// none).
struct Screening {
    std::size_t drawn;
    int halve, cut;
    std::size_t grown;
};

Screening screening(std::size_t kept, int iterations, const Problem& p) {
    const ExampleWork work = example_work(p.shape);
    const bool affordable =
        static_cast<double>(kPoolSize) * kPoolScreen * p.nexem * (work.normal + work.gradient) <= kPoolWork;
    const std::size_t grown = affordable && p.shape.nhidden > kGrowSteps ? std::min(kGrowSize, kGrowDraws * kept) : 0;
    if (kept > kFewStarts) return {kept * kScreenDraws, 0, kFirstScreen, grown};
    if (affordable)
        return {std::min(kept * kPoolDraws, std::max(kPoolSize, kept * kScreenDraws)), 0,
                std::clamp(iterations / 5, kFirstScreen, kPoolScreen), grown};
    return {kept * kScreenDraws, kFirstScreen, std::clamp(iterations / 10, kFirstScreen, kLastScreen), 0};
}

// One start's descent by either method.
class Descent {
public:
    Descent(const std::vector<double>& start, const Problem& p, bool levenberg, bool finish)
        : d_(levenberg ? Either(std::in_place_type<Levenberg>, start, p) : Either(std::in_place_type<Lbfgs>, start, p)),
          finish_(finish && !levenberg) {}
    void iterate(const Problem& p) {
        std::visit([&](auto& d) { d.iterate(p); }, d_);
        // An L-BFGS descent that has stopped goes on by Levenberg-Marquardt
        // from the best weights it found, where that method is affordable.
        if (finish_ && stopped() && std::holds_alternative<Lbfgs>(d_)) {
            const std::vector<double> from = record().best();
            d_.emplace<Levenberg>(from, p);
            finish_ = false;
        }
    }
    bool stopped() const {
        return std::visit([](const auto& d) { return d.stopped(); }, d_);
    }
    const Record& record() const {
        return std::visit([](const auto& d) -> const Record& { return d.record(); }, d_);
    }

private:
    using Either = std::variant<Levenberg, Lbfgs>;
    Either d_;
    bool finish_;
};

using Descents = std::vector<std::optional<Descent>>;

// `among` by the fitness of each descent so far, lowest first (equals in
// the order given).
std::vector<std::size_t> by_fitness(std::vector<std::size_t> among, const Descents& descents) {
    std::stable_sort(among.begin(), among.end(), [&](std::size_t a, std::size_t b) {
        return descents[a]->record().best_error() < descents[b]->record().best_error();
    });
    return among;
}

// The `count` descents of `among` with the lowest fitness so far (the
// first of equals), in the order of their starts.
std::vector<std::size_t> lowest(std::vector<std::size_t> among, const Descents& descents, std::size_t count) {
    among = by_fitness(std::move(among), descents);
    among.resize(std::min(count, among.size()));
    std::sort(among.begin(), among.end());
    return among;
}

std::vector<std::size_t> every_index(std::size_t n) {
    std::vector<std::size_t> all(n);
    std::iota(all.begin(), all.end(), std::size_t{0});
    return all;
}

// The screening: of every start drawn (stopped ones included), the `kept`
// lowest; those of them still going on go on.
void keep_screened(std::vector<std::size_t>& active, const Descents& descents, std::size_t kept) {
    const std::vector<std::size_t> best = lowest(every_index(descents.size()), descents, kept);
    std::erase_if(active, [&](std::size_t k) { return !std::binary_search(best.begin(), best.end(), k); });
}

// The lowest fitness of the descents begun, 10000 (above every error)
// before any.
double lowest_error(const Descents& descents) {
    double b = 10000.0;
    for (const auto& d : descents)
        if (d) b = std::min(b, d->record().best_error());
    return b;
}

// The progress window over a training's phases: phase after phase, each
// of `iterations` steps.
struct Bar {
    Pmeter& pmeter;
    UserInterface& ui;
    int iterations, total;
};

// Runs the descents `active` (descent k begun as make(k) at its first
// iteration) until each has stopped or the bar's iterations are done, an
// iteration of each at a time on the pool's threads. After iteration v,
// screen(v, active); then the progress window shows step `before + v` of
// the bar's (the phase's last once every descent has stopped) with best().
// False when the user has cancelled.
template <class Make, class Screen, class Best>
bool run_descents(Descents& descents, std::vector<std::size_t> active, const Problem& p, Make make, Screen screen,
                  Best best, const Bar& bar, int before) {
    const Pump pump = [&bar] { bar.ui.yield(); };
    for (int v = 1; v <= bar.iterations && !active.empty(); ++v) {
        for_each_index_parallel(
            active.size(),
            [&](std::size_t i) {
                const std::size_t k = active[i];
                if (!descents[k]) descents[k].emplace(make(k));
                descents[k]->iterate(p);
            },
            pump);
        std::erase_if(active, [&](std::size_t k) { return descents[k]->stopped(); });
        screen(v, active);
        const int done = before + (active.empty() ? bar.iterations : v);
        if (training_progress_step(bar.pmeter, bar.ui, done, bar.total, best())) return false;
    }
    return true;
}

// The kGrowKept lowest of `descents` by fitness, each more than a
// millionth of itself from those before it (equal fits are one basin
// reached twice).
std::vector<std::size_t> lowest_distinct(const Descents& descents) {
    const auto error = [&](std::size_t k) { return descents[k]->record().best_error(); };
    std::vector<std::size_t> kept;
    for (const std::size_t k : by_fitness(every_index(descents.size()), descents)) {
        if (kept.size() == kGrowKept) break;
        if (kept.empty() || std::fabs(error(kept.back()) - error(k)) > 1e-6 * error(k)) kept.push_back(k);
    }
    return kept;
}

}  // namespace

std::vector<double> split_node(std::span<const double> w, const NetShape& s, std::size_t node, const Draw& draw) {
    // The spread lets the two halves part; the uneven shares too.
    constexpr double kSplitSpread = 0.01, kSplitShare = 0.3;
    const auto nin = static_cast<std::size_t>(s.nin), nh = static_cast<std::size_t>(s.nhidden);
    const auto nout = static_cast<std::size_t>(s.nout);
    const NetShape grown{s.nin, static_cast<std::int16_t>(s.nhidden + 1), s.nout};
    std::vector<double> out(grown.weights());
    for (std::size_t i = 0; i < nin; ++i) {
        std::copy_n(w.begin() + static_cast<std::ptrdiff_t>(i * nh), nh,
                    out.begin() + static_cast<std::ptrdiff_t>(i * (nh + 1)));
        out[i * (nh + 1) + nh] =
            std::clamp(w[i * nh + node] * (1.0 + signed_draw(draw, kSplitSpread)), -kWeightBound, kWeightBound);
    }
    const double share = 0.5 + signed_draw(draw, kSplitShare);
    std::copy_n(w.begin() + static_cast<std::ptrdiff_t>(s.output_block()), nh * nout,
                out.begin() + static_cast<std::ptrdiff_t>(grown.output_block()));
    for (std::size_t o = 0; o < nout; ++o) {
        const double v = w[s.output_block() + node * nout + o];
        out[grown.output_block() + node * nout + o] = v * share;
        out[grown.output_block() + nh * nout + o] = v * (1.0 - share);
    }
    return out;
}

bool train_gradient_by(const Problem& given, GradientMethod method, std::vector<double>& result,
                       std::int16_t iterations, std::int16_t restarts, Pmeter& pmeter, UserInterface& ui,
                       const Draw& draw) {
    Problem p = given;
    p.stall_window = std::max(given.stall_window, iterations / kStallShare);
    const auto kept = static_cast<std::size_t>(std::max<std::int16_t>(restarts, 1));
    const bool screen = method != GradientMethod::Lbfgs;
    const Screening plan = screening(kept, iterations, p);
    const std::size_t grown = screen ? plan.grown : 0;
    const auto starts = gradient_starts(screen ? plan.drawn : kept, p, screen, draw);
    const auto levenberg = [&](std::size_t k) {
        return method == GradientMethod::Levenberg || (method == GradientMethod::Both && k % 2 == 0);
    };
    // The first phase runs the starts drawn; growing adds one for the
    // smaller networks and one for each step of growth.
    const int phases = grown > 0 ? 2 + kGrowSteps : 1;
    const Bar bar{pmeter, ui, iterations, iterations * phases};
    training_progress_start(pmeter, ui, bar.total);
    Descents descents(starts.size()), last;  // last: the grown networks of the full size
    const auto best = [&] { return std::min(lowest_error(descents), lowest_error(last)); };
    int tenths = 0;
    const auto screened = [&](int v, std::vector<std::size_t>& active) {
        if (screen && v == plan.halve) keep_screened(active, descents, 2 * kept);
        if (screen && v == plan.cut) keep_screened(active, descents, kept);
        if (10 * v >= iterations * (tenths + 1)) {
            ++tenths;
            if (method == GradientMethod::Lbfgs)
                active = lowest(active, descents, std::max(kFewestGoingOn, (active.size() + 1) / 2));
        }
    };
    const auto make = [&](std::size_t k) {
        return Descent(starts[k], p, levenberg(k), method == GradientMethod::Both);
    };
    if (!run_descents(descents, every_index(starts.size()), p, make, screened, best, bar, 0)) return false;

    if (grown > 0) {
        // Growing: networks of kGrowSteps nodes fewer, by Levenberg-Marquardt.
        Problem q = p;
        q.shape.nhidden = static_cast<std::int16_t>(p.shape.nhidden - kGrowSteps);
        std::vector<std::vector<double>> from = gradient_starts(grown, q, true, draw);
        const auto unscreened = [](int, std::vector<std::size_t>&) {};
        const std::size_t splits = std::min(kept, kGrowSplits);
        Descents stage;
        for (int step = 0;; ++step) {
            // The last step's networks are of the full size: they go
            // beside the other descents.
            Descents& now = step == kGrowSteps ? last : stage;
            now = Descents(from.size());
            const auto begin = [&](std::size_t k) { return Descent(from[k], q, true, false); };
            if (!run_descents(now, every_index(from.size()), q, begin, unscreened, best, bar, iterations * (1 + step)))
                return false;
            if (step == kGrowSteps) break;
            std::vector<std::vector<double>> split;
            for (const std::size_t k : lowest_distinct(now))
                for (std::size_t t = 0; t < splits; ++t) {
                    const std::size_t node = drawn_index(draw, static_cast<std::size_t>(q.shape.nhidden));
                    split.push_back(split_node(now[k]->record().best(), q.shape, node, draw));
                }
            from = std::move(split);
            q.shape.nhidden = static_cast<std::int16_t>(q.shape.nhidden + 1);
        }
    }
    progress_hide(ui, pmeter);

    const Descents& chosen_from = lowest_error(last) < lowest_error(descents) ? last : descents;
    result = chosen_from[lowest(every_index(chosen_from.size()), chosen_from, 1).front()]->record().best();
    return true;
}

bool train_gradient(const NetShape& shape, std::int16_t nexem, std::span<const double> exemplar,
                    std::vector<double>& result, std::int16_t iterations, std::int16_t restarts, Pmeter& pmeter,
                    UserInterface& ui, const Draw& draw) {
    const Problem p{shape, nexem, exemplar};
    return train_gradient_by(p, gradient_method(p), result, iterations, restarts, pmeter, ui, draw);
}

}  // namespace tvx
