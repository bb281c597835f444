// The Gradient training's driver: the starts' descents run together, an
// iteration of each at a time, screened as they go; then, where it is
// affordable, networks grown node by node; then the best network of all.
#include "neural/gradient.h"

#include <algorithm>

#include "neural/descent.h"
#include "neural/parallel.h"
#include "neural/screening.h"
#include "neural/training_progress.h"

namespace tvx {

namespace {

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

// The growing (GrowSettings), by Levenberg-Marquardt: `grown` networks of
// grow.steps hidden nodes fewer than p's, then those split node by node,
// each stage a further phase of the bar after the starts'. The networks of
// the full size go into `last`. False when the user has cancelled.
template <class Best>
bool grow_networks(const Problem& p, std::size_t grown, std::size_t kept, Descents& last, Best best, const Bar& bar,
                   const Draw& draw) {
    const GrowSettings& set = p.settings.grow;
    Problem q = p;
    q.shape.nhidden = static_cast<std::int16_t>(p.shape.nhidden - set.steps);
    std::vector<std::vector<double>> from = gradient_starts(grown, q, true, draw);
    const auto unscreened = [](int, std::vector<std::size_t>&) {};
    const std::size_t splits = std::min(kept, set.splits);
    Descents stage;
    for (int step = 0;; ++step) {
        // The last step's networks are of the full size: they go beside
        // the other descents.
        Descents& now = step == set.steps ? last : stage;
        now = Descents(from.size());
        const auto begin = [&](std::size_t k) { return Descent(from[k], q, true, false); };
        if (!run_descents(now, every_index(from.size()), q, begin, unscreened, best, bar, bar.iterations * (1 + step)))
            return false;
        if (step == set.steps) return true;
        std::vector<std::vector<double>> split;
        for (const std::size_t k : lowest_distinct(now, set.kept, set.distinct))
            for (std::size_t t = 0; t < splits; ++t) {
                const std::size_t node = drawn_index(draw, static_cast<std::size_t>(q.shape.nhidden));
                split.push_back(split_node(now[k]->record().best(), q.shape, node, draw, set));
            }
        from = std::move(split);
        q.shape.nhidden = static_cast<std::int16_t>(q.shape.nhidden + 1);
    }
}

}  // namespace

bool train_gradient_by(const Problem& given, GradientMethod method, std::vector<double>& result,
                       std::int16_t iterations, std::int16_t restarts, Pmeter& pmeter, UserInterface& ui,
                       const Draw& draw) {
    Problem p = given;
    p.settings.stop.window = std::max(given.settings.stop.window, iterations / given.settings.stop.share);
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
    const int phases = grown > 0 ? 2 + p.settings.grow.steps : 1;
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
                active = lowest(active, descents, std::max(p.settings.screen.fewest_going_on, (active.size() + 1) / 2));
        }
    };
    const auto make = [&](std::size_t k) {
        return Descent(starts[k], p, levenberg(k), method == GradientMethod::Both);
    };
    if (!run_descents(descents, every_index(starts.size()), p, make, screened, best, bar, 0)) return false;
    if (grown > 0 && !grow_networks(p, grown, kept, last, best, bar, draw)) return false;
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
