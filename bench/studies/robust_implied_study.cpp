// The accuracy of the implied-volatility searches over random realistic
// options: log-moneyness within +-0.7, life 0.02-5 years, volatility
// 5-120 %, rate 0-10 %, yield 0-5 %, calls and puts. Each price is the
// closed form's at the drawn volatility; each search is asked for it back.
//
//   robust_implied_study [cases] [seed]
//
// A price "carries" its volatility when moving the volatility by a
// millionth of itself moves the closed form's value by more than the
// search's tolerance: only then can any search tell the volatility from
// its neighbours. For those, a search "recovers" the volatility when it
// returns it to a millionth.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "options/implied_vol.h"
#include "options/robust_implied.h"
#include "pricing/closed_form.h"

using namespace tvx;

namespace {

double euro(const OptionTerms& o, double sigma) {
    return solver_euro(o.t, sigma, o.r, o.strike, o.spot, o.yield, o.optype);
}

bool window_finds(const OptionTerms& o, double price, double& sigma) {
    SearchVariant v;
    v.routine = valuation_of(solver_euro);
    try {
        const SearchResult r = implied_vol(v, price, o);
        sigma = r.sigma;
        return r.outcome == SearchOutcome::Success;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const long cases = argc > 1 ? std::atol(argv[1]) : 200000;
    std::mt19937_64 gen(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 20261207);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    long carried = 0, recovered = 0, reproduced = 0, declined = 0, declined_carried = 0;
    long flat_other_root = 0, window_recovered = 0, window_generic_or_failed = 0;
    double worst = 0.0, worst_window = 0.0;
    OptionTerms worst_case{};
    for (long i = 0; i < cases; ++i) {
        OptionTerms o;
        o.spot = 100.0;
        o.strike = 100.0 * std::exp(-0.7 + 1.4 * u(gen));
        o.t = 0.02 + 4.98 * u(gen);
        o.sigma = 0.05 + 1.15 * u(gen);
        o.r = 0.1 * u(gen);
        o.yield = 0.05 * u(gen);
        o.optype = u(gen) < 0.5 ? 0 : 1;
        const double price = euro(o, o.sigma);
        const double tol = robust_tolerance(price);
        const bool carries = std::fabs(euro(o, o.sigma * (1 + 1e-6)) - price) > tol &&
                             std::fabs(euro(o, o.sigma * (1 - 1e-6)) - price) > tol;
        carried += carries;

        const SearchResult r = robust_implied_euro(price, o);
        if (r.outcome != SearchOutcome::Success) {
            ++declined;
            declined_carried += carries;
        } else {
            reproduced += std::fabs(euro(o, r.sigma) - price) <= tol;
            const double err = std::fabs(r.sigma - o.sigma) / o.sigma;
            if (carries) {
                recovered += err <= 1e-6;
                if (err > worst) worst = err, worst_case = o;
            } else if (err > 1e-6) {
                ++flat_other_root;
            }
        }
        double ws = 0;
        if (window_finds(o, price, ws)) {
            const double err = std::fabs(ws - o.sigma) / o.sigma;
            window_recovered += carries && err <= 1e-3;  // the window stops at a change of 0.001
            if (carries) worst_window = std::max(worst_window, err);
        } else {
            ++window_generic_or_failed;
        }
    }
    std::printf("cases %ld, prices that carry their volatility %ld (%.3f %%)\n", cases, carried,
                100.0 * carried / cases);
    std::printf("robust: recovered to 1e-6 %ld of %ld carrying (%.4f %%), worst relative error %.3g\n", recovered,
                carried, 100.0 * recovered / carried, worst);
    std::printf("  worst case: K %.6g t %.6g sigma %.6g r %.6g q %.6g type %d\n", worst_case.strike, worst_case.t,
                worst_case.sigma, worst_case.r, worst_case.yield, worst_case.optype);
    std::printf("robust: price reproduced within tolerance %ld of %ld (%.4f %%); declined %ld (%ld carrying)\n",
                reproduced, cases, 100.0 * reproduced / cases, declined, declined_carried);
    std::printf("robust: prices that do not carry it, answered by another volatility that reproduces them: %ld\n",
                flat_other_root);
    std::printf("window: recovered to 1e-3 %ld of %ld carrying (%.2f %%); failure or generic error %ld (%.2f %%)\n",
                window_recovered, carried, 100.0 * window_recovered / carried, window_generic_or_failed,
                100.0 * window_generic_or_failed / cases);
    return 0;
}
