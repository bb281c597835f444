// How close the gradient training comes to the best its network can do, on
// small regressions of one input, and how long it takes.
//
//   gradient_study [best-restarts] [restarts] [iterations] [case]
//                  [--draws N] [--bests FILE]
//
// (a case such as bump40c: the function, the examples, c with the
// constant column; "all" for every one).
// For each problem (a bump, a step and a sine; 8 to 40 examples; 3, 5 or 8
// hidden nodes; with and without a constant input column), it first finds
// the best mean distance (the fitness the training reports) that network
// reaches: the lowest over `best-restarts` starts (default 300) of each
// method run for 3000 iterations (stopping only when the error falls by
// less than 1e-9 of itself over 150 iterations, then by the distance
// phase's rule). Then it trains as the creation window does, with
// `restarts` starts (default 10) and at most `iterations` iterations
// (default 1000), by Levenberg-Marquardt alone, by L-BFGS alone and by the
// training's own choice (gradient_method), and prints the mean distance
// reached against that best and the wall-clock and processor time. The
// data are scaled as the training file reader scales them: inputs and
// targets inside (0, 1), the constant column at 0.5.
//
// --draws N: the training's own choice alone, over N draws of the random
// numbers (seeds 1 to N); for each problem, in how many it came within 1.5
// times the best, its worst ratio and its slowest training.
// --bests FILE: each problem's best from FILE (lines such as "bump40c
// 6.78e-06") where it holds one, found as above where not; FILE is written
// back with every best, lowered where a training went below it
// (gradient_bests.txt beside this file holds the bests the figures of
// docs/develop/gradient-study.md are measured against).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <iomanip>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "neural/gradient.h"
#include "support/null_ui.h"

using namespace tvx;

namespace {

struct Case {
    std::string name;
    std::function<double(double)> f;  // on [0, 1], into [0, 1]
    int examples, hidden;
    bool constant;
};

std::vector<double> exemplar_of(const Case& c) {
    std::vector<double> e;
    for (int k = 0; k < c.examples; ++k) {
        const double u = (k + 0.5) / c.examples;
        e.push_back(0.05 + 0.9 * u);
        if (c.constant) e.push_back(0.5);
        e.push_back(0.1 + 0.8 * c.f(u));
    }
    return e;
}

Draw draw_from(unsigned seed) {
    auto gen = std::make_shared<std::mt19937>(seed);
    return [gen] { return static_cast<double>(std::uniform_real_distribution<float>(0.0f, 1.0f)(*gen)); };
}

struct Outcome {
    double fitness, wall, cpu;
};

Outcome train(Problem p, GradientMethod m, int iterations, int restarts, unsigned seed,
              double stall_fall = StopSettings{}.fall) {
    p.settings.stop.fall = stall_fall;
    if (stall_fall < 1e-6) p.settings.stop.window = 10;
    std::vector<double> result;
    Pmeter pm;
    bench::NullUi ui;
    const auto wall = std::chrono::steady_clock::now();
    const std::clock_t cpu = std::clock();
    train_gradient_by(p, m, result, static_cast<std::int16_t>(iterations), static_cast<std::int16_t>(restarts), pm, ui,
                      draw_from(seed));
    const double cpu_s = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    const std::chrono::duration<double> w = std::chrono::steady_clock::now() - wall;
    return {errors_of(result, p).fitness, w.count(), cpu_s};
}

// Reads "case value" lines.
std::map<std::string, double> read_bests(const char* path) {
    std::map<std::string, double> bests;
    std::ifstream in(path);
    std::string name;
    double value = 0.0;
    while (in >> name >> value) bests[name] = value;
    return bests;
}

void write_bests(const char* path, const std::map<std::string, double>& bests) {
    std::ofstream out(path);
    for (const auto& [name, value] : bests) out << name << ' ' << std::setprecision(17) << value << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<const char*> positional;
    int draws = 0;
    const char* bests_path = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--draws" && i + 1 < argc)
            draws = std::atoi(argv[++i]);
        else if (arg == "--bests" && i + 1 < argc)
            bests_path = argv[++i];
        else
            positional.push_back(argv[i]);
    }
    const auto arg = [&](std::size_t k, int otherwise) {
        return positional.size() > k ? std::atoi(positional[k]) : otherwise;
    };
    const int best_restarts = arg(0, 300), restarts = arg(1, 10), iterations = arg(2, 1000);
    const std::string only = positional.size() > 3 ? positional[3] : "all";
    std::map<std::string, double> bests = bests_path ? read_bests(bests_path) : std::map<std::string, double>{};
    const auto bump = [](double u) { return std::exp(-30.0 * (u - 0.5) * (u - 0.5)); };
    const auto step = [](double u) { return u < 0.5 ? 0.0 : 1.0; };
    const auto sine = [](double u) { return 0.5 + 0.5 * std::sin(6.0 * u - 3.0); };
    std::vector<Case> cases;
    for (const bool constant : {false, true})
        for (const auto& [name, f] :
             {std::pair<const char*, std::function<double(double)>>{"bump", bump}, {"step", step}, {"sine", sine}})
            for (const auto& [n, h] : {std::pair{8, 3}, std::pair{20, 5}, std::pair{40, 8}})
                cases.push_back({name, f, n, h, constant});
    if (draws > 0)
        std::printf(
            "| problem | examples | hidden | constant | best | within 1.5 times (of %d) | worst / best | slowest s |\n"
            "|---|---|---|---|---|---|---|---|\n",
            draws);
    else
        std::printf(
            "| problem | examples | hidden | constant | best | LM / best | LM s (CPU s) | L-BFGS / best "
            "| L-BFGS s (CPU s) | choice / best | choice - best | choice s (CPU s) |\n"
            "|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    double worst_lm = 0, worst_lbfgs = 0, worst_choice = 0, slowest = 0;
    int near = 0, within_thousandth = 0, counted = 0;
    int near_by_kind[2] = {0, 0};
    for (const Case& c : cases) {
        const std::string name = c.name + std::to_string(c.examples) + (c.constant ? "c" : "");
        if (only != "all" && name != only) continue;
        ++counted;
        const std::vector<double> exemplar = exemplar_of(c);
        const NetShape shape{static_cast<std::int16_t>(c.constant ? 2 : 1), static_cast<std::int16_t>(c.hidden), 1};
        const Problem p{shape, static_cast<std::int16_t>(c.examples), exemplar};
        double best = 10000.0;
        if (const auto known = bests.find(name); known != bests.end())
            best = known->second;
        else
            for (const GradientMethod m : {GradientMethod::Levenberg, GradientMethod::Lbfgs})
                best = std::min(best, train(p, m, 3000, best_restarts, 1000, 1e-9).fitness);
        // An exact fit to rounding (a mean distance below 1e-12) counts as
        // the best, whatever the ratio of two roundings.
        const auto ratio = [&](double f) { return f <= 1e-12 ? 1.0 : f / best; };
        const auto close = [&](double f) { return f <= 1.5 * best || f <= 1e-12; };
        if (draws > 0) {
            std::vector<Outcome> runs;
            for (int seed = 1; seed <= draws; ++seed)
                runs.push_back(train(p, gradient_method(p), iterations, restarts, static_cast<unsigned>(seed)));
            int hits = 0;
            double worst = 0.0, slow = 0.0;
            for (const Outcome& o : runs) best = std::min(best, o.fitness);
            for (const Outcome& o : runs) {
                hits += close(o.fitness);
                worst = std::max(worst, ratio(o.fitness));
                slow = std::max(slow, o.wall);
            }
            near += hits;
            near_by_kind[c.constant] += hits;
            slowest = std::max(slowest, slow);
            std::printf("| %s | %d | %d | %s | %.3g | %d | %.2f | %.3f |\n", c.name.c_str(), c.examples, c.hidden,
                        c.constant ? "yes" : "no", best, hits, worst, slow);
        } else {
            const Outcome lm = train(p, GradientMethod::Levenberg, iterations, restarts, 7);
            const Outcome lb = train(p, GradientMethod::Lbfgs, iterations, restarts, 7);
            const Outcome choice = train(p, gradient_method(p), iterations, restarts, 7);
            best = std::min({best, lm.fitness, lb.fitness, choice.fitness});
            worst_lm = std::max(worst_lm, ratio(lm.fitness));
            worst_lbfgs = std::max(worst_lbfgs, ratio(lb.fitness));
            worst_choice = std::max(worst_choice, ratio(choice.fitness));
            slowest = std::max(slowest, choice.wall);
            near += close(choice.fitness);
            within_thousandth += choice.fitness - best <= 1e-3;
            std::printf(
                "| %s | %d | %d | %s | %.3g | %.2f | %.3f (%.3f) | %.2f | %.3f (%.3f) | %.2f | %.2g | %.3f (%.3f) |\n",
                c.name.c_str(), c.examples, c.hidden, c.constant ? "yes" : "no", best, ratio(lm.fitness), lm.wall,
                lm.cpu, ratio(lb.fitness), lb.wall, lb.cpu, ratio(choice.fitness), choice.fitness - best, choice.wall,
                choice.cpu);
        }
        bests[name] = best;
        std::fflush(stdout);
    }
    if (bests_path) write_bests(bests_path, bests);
    if (draws > 0)
        std::printf(
            "\nwithin 1.5 times the best: %d of %d trainings (without a constant input %d, with one %d), the slowest "
            "in %.2f s (%d restarts, at most %d iterations)\n",
            near, counted * draws, near_by_kind[0], near_by_kind[1], slowest, restarts, iterations);
    else
        std::printf(
            "\nworst ratio to the best: Levenberg-Marquardt %.2f, L-BFGS %.2f, the training's choice %.2f; the choice "
            "within 1.5 times the best in %d of %d, within 0.001 of it in %d, the slowest in %.2f s (%d restarts, at "
            "most %d iterations)\n",
            worst_lm, worst_lbfgs, worst_choice, near, counted, within_thousandth, slowest, restarts, iterations);
}
