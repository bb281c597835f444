// The accuracy and speed of the exercise-boundary method over random terms.
//
//   study_exercise_boundary [terms] [seed] [fd terms] [nodes quadrature iterations value_nodes]...
//
// Two sets, as the American route's study draws them: ordinary terms (lives
// 0.02 to 5 years, volatilities 0.05 to 1.2, rates and yields 0 to 15 %,
// strikes within 0.7 in log of the spot) and extreme ones (lives to 30
// years, volatilities 0.03 to 2.5, rates to 20 %, yields -5 to 25 %, strikes
// within 1.5 in log). The reference is the method itself at far finer
// settings (48 intervals, 64 and 256 quadrature nodes, 12 Newton steps), and
// that reference is checked on the first [fd terms] of each set against an
// independent Crank-Nicolson valuation (tests/support/american_fd_reference.h).
// An error is relative, or absolute below a value of 0.01:
// |v - ref| / max(ref, 0.01), against the target 1e-6.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "american_terms.h"
#include "pricing/exercise_boundary.h"
#include "support/american_fd_reference.h"

namespace {

using tvx::BoundarySettings;

// The drawn terms in the method's terms.
struct Terms {
    double t, sigma, r, q, K, S;
    bool call;
};

using tvx::study::extreme;
using tvx::study::ordinary;
using tvx::study::Ranges;
constexpr BoundarySettings reference_settings{48, 64, 12, 256};

std::vector<Terms> draw(const Ranges& g, long count, unsigned long seed) {
    std::mt19937_64 rng(seed);
    std::vector<Terms> out;
    for (long i = 0; i < count; ++i) {
        const tvx::OptionTerms o = tvx::study::draw(g, rng);
        out.push_back({o.t, o.sigma, o.r, o.yield, o.strike, o.spot, o.optype == 0});
    }
    return out;
}

void print_terms(const char* what, const Terms& o, double v, double ref);

// The method's value; a fault is reported and counted as an error of 1.
double value(const Terms& o, const BoundarySettings& st) {
    try {
        return tvx::ExerciseBoundary(o.t, o.sigma, o.r, o.K, o.q, o.call ? 0 : 1, st).value(o.S);
    } catch (const std::exception& e) {
        std::printf("    fault (%s) at (%d, %d, %d, %d):\n", e.what(), st.nodes, st.quadrature, st.iterations,
                    st.value_nodes);
        print_terms("terms", o, NAN, NAN);
        return NAN;
    }
}

double error(double v, double ref) {
    const double e = std::fabs(v - ref) / std::max(std::fabs(ref), 0.01);
    return std::isfinite(e) ? e : 1.0;
}

void print_terms(const char* what, const Terms& o, double v, double ref) {
    std::printf("    %s: t %.5g sigma %.5g r %.5g%% q %.5g%% K %.6g S %.6g %s: %.12g against %.12g (%.3g)\n", what, o.t,
                o.sigma, 100 * o.r, 100 * o.q, o.K, o.S, o.call ? "call" : "put", v, ref, error(v, ref));
}

void study(const Ranges& g, long count, unsigned long seed, long fd_count, const std::vector<BoundarySettings>& tries) {
    const std::vector<Terms> terms = draw(g, count, seed);
    std::vector<double> ref(terms.size());
    for (std::size_t i = 0; i < terms.size(); ++i) ref[i] = value(terms[i], reference_settings);
    std::printf("%s: %ld terms\n", g.name, count);
    double worst_fd = 0;
    for (long i = 0; i < std::min<long>(fd_count, count); ++i) {
        const Terms& o = terms[static_cast<std::size_t>(i)];
        const double fd = tvx::test::american_fd_reference(o.t, o.sigma, o.r, o.K, o.S, o.q, o.call, 4);
        const double e = error(ref[static_cast<std::size_t>(i)], fd);
        if (e > worst_fd) worst_fd = e, print_terms("reference against Crank-Nicolson, worst so far", o, ref[i], fd);
    }
    if (fd_count > 0)
        std::printf("  reference against Crank-Nicolson over %ld terms: worst %.3g\n", fd_count, worst_fd);
    for (const BoundarySettings& st : tries) {
        std::vector<double> errors;
        std::size_t worst = 0;
        const auto start = std::chrono::steady_clock::now();
        std::vector<double> v(terms.size());
        for (std::size_t i = 0; i < terms.size(); ++i) v[i] = value(terms[i], st);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        for (std::size_t i = 0; i < terms.size(); ++i) {
            errors.push_back(error(v[i], ref[i]));
            if (errors.back() > errors[worst]) worst = i;
        }
        std::vector<double> sorted = errors;
        std::sort(sorted.begin(), sorted.end());
        const long above = std::count_if(errors.begin(), errors.end(), [](double e) { return e > 1e-6; });
        std::printf("  (%d, %d, %d, %d): %.1f us a value, median error %.2g, 99%% %.2g, worst %.3g, above 1e-6: %ld\n",
                    st.nodes, st.quadrature, st.iterations, st.value_nodes, 1e6 * seconds / count,
                    sorted[sorted.size() / 2], sorted[sorted.size() * 99 / 100], sorted.back(), above);
        print_terms("worst", terms[worst], v[worst], ref[worst]);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 1000;
    const unsigned long seed = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 7;
    const long fd_count = argc > 3 ? std::atol(argv[3]) : 0;
    std::vector<BoundarySettings> tries;
    for (int i = 4; i + 3 < argc; i += 4)
        tries.push_back({std::atoi(argv[i]), std::atoi(argv[i + 1]), std::atoi(argv[i + 2]), std::atoi(argv[i + 3])});
    if (tries.empty()) tries = {tvx::kBoundaryFast, tvx::kBoundaryFull};
    study(ordinary, count, seed, fd_count, tries);
    study(extreme, count, seed + 1, fd_count, tries);
}
