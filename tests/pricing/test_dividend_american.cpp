// American options with cash dividends by the finite-difference solver.
// References: Roll-Geske-Whaley's call (4.3860, the escrowed model exactly
// for one dividend), the program's exercise-boundary method where the
// dividend vanishes, and two independent valuations written for the
// tests: implicit steps on a uniform grid in the spot itself with
// Richardson extrapolation (tests/support/dividend_american_reference.h;
// the spot model, and the escrowed one) and, for the escrowed model, a
// binomial tree on the lognormal part of the spot
// (tests/support/escrowed_tree_reference.h).
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "pricing/cash_dividends.h"
#include "pricing/dividend_american.h"
#include "pricing/dividend_sensitivities.h"
#include "pricing/exercise_boundary.h"
#include "pricing/spot_dividend_european.h"
#include "support/dividend_american_reference.h"
#include "support/escrowed_tree_reference.h"

namespace tvx {
namespace {

double american(double t, double sigma, double r, double K, double S, double q, std::int16_t type,
                const std::vector<CashDividend>& dividends, DividendModel model = DividendModel::Spot) {
    return dividend_american_value(t, sigma, r, K, S, q, type, dividends_within(dividends, t), model);
}

TEST(DividendAmerican, RollGeskeWhaleyAndTheReferencesOwnCheck) {
    const std::vector<CashDividend> rgw{{0.25, 4.0}};
    EXPECT_NEAR(american(1.0 / 3.0, 0.3, 0.06, 82, 80, 0, 0, rgw, DividendModel::Escrowed), 4.3860, 1e-4);
    // The references themselves: the grid in the spot as a European
    // option against the exact integral and the closed form, and the
    // tree against the grid.
    test::DividendReferenceTerms o{1, 0.3, 0.06, 100, 100, 0.02, false, {{0.3, 3}, {0.7, 3}}, false, false};
    const std::vector<CashDividend> d{{0.3, 3}, {0.7, 3}};
    EXPECT_NEAR(test::dividend_reference(o), spot_dividend_european(1, 0.3, 0.06, 100, 100, 0.02, 1, d), 2e-5);
    o.american = true, o.escrowed = true;
    EXPECT_NEAR(test::dividend_reference(o),
                test::escrowed_tree_reference(1, 0.3, 0.06, 100, 100, 0.02, false, o.dividends), 2e-4);
}

TEST(DividendAmerican, WithinTenThousandthsOfAFineValuationOverRandomTerms) {
    std::mt19937 gen(4646);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int c = 0; c < 16; ++c) {
        const double t = 0.1 + 1.9 * u(gen), sigma = 0.1 + 0.5 * u(gen), r = 0.01 + 0.09 * u(gen), q = 0.04 * u(gen);
        const double K = 100.0 * std::exp(0.5 * (u(gen) - 0.5));
        const bool call = u(gen) < 0.5, escrowed = u(gen) < 0.3;
        const int count = 1 + c % 4;
        std::vector<double> times;
        for (int k = 0; k < count; ++k) times.push_back(t * u(gen));
        std::sort(times.begin(), times.end());
        test::DividendReferenceTerms o{t, sigma, r, K, 100.0, q, call, {}, escrowed, true};
        std::vector<CashDividend> d;
        for (double when : times) {
            const double amount = 0.5 + 3.0 * u(gen);
            d.push_back({when, amount});
            o.dividends.push_back({when, amount});
        }
        const double expected = test::dividend_reference(o);
        SCOPED_TRACE(::testing::Message() << "case " << c << " t=" << t << " sigma=" << sigma << " K=" << K
                                          << " call=" << call << " escrowed=" << escrowed << " dividends=" << count);
        const DividendModel model = escrowed ? DividendModel::Escrowed : DividendModel::Spot;
        // 1e-4 relative, or 1e-4 absolute below 1.
        EXPECT_NEAR(american(t, sigma, r, K, 100.0, q, call ? 0 : 1, d, model), expected,
                    1e-4 * std::max(expected, 1.0));
    }
}

TEST(DividendAmerican, AVanishingDividendIsTheExerciseBoundaryMethodsValue) {
    for (const std::int16_t type : {std::int16_t{0}, std::int16_t{1}}) {
        const double plain = solver_boundary(1.2, 0.35, 0.05, 105, 100, 0.03, type);
        EXPECT_NEAR(american(1.2, 0.35, 0.05, 105, 100, 0.03, type, {{0.6, 1e-9}}), plain, 1e-4 * plain);
    }
}

TEST(DividendAmerican, ExDatesOnTheValuationDateOnTheExpiryAndTwoOnOneDay) {
    // One on the valuation date has gone; a dividend an instant later
    // leaves a finite value close to the share's full drop.
    const double gone = american(0.5, 0.3, 0.05, 100, 100, 0, 1, {{0.0, 5.0}});
    EXPECT_EQ(gone, american(0.5, 0.3, 0.05, 100, 100, 0, 1, {}));
    const double instant = american(0.5, 0.3, 0.05, 100, 100, 0, 1, {{1e-12, 5.0}});
    EXPECT_TRUE(std::isfinite(instant));
    EXPECT_NEAR(instant, american(0.5, 0.3, 0.05, 100, 95, 0, 1, {}), 2e-3);
    // On the expiry: a call is exercised just before the drop, so it is
    // worth what it is without the dividend (no yield: the European
    // value); a put gains.
    const double call = american(0.5, 0.3, 0.05, 100, 100, 0, 0, {{0.5, 5.0}});
    EXPECT_NEAR(call, solver_boundary(0.5, 0.3, 0.05, 100, 100, 0, 0), 2e-3);
    EXPECT_GT(american(0.5, 0.3, 0.05, 100, 100, 0, 1, {{0.5, 5.0}}), american(0.5, 0.3, 0.05, 100, 100, 0, 1, {}));
    // Two on one day are one of their sum, in both models.
    for (const DividendModel m : {DividendModel::Spot, DividendModel::Escrowed}) {
        EXPECT_EQ(american(1, 0.3, 0.05, 100, 100, 0, 0, {{0.4, 2.0}, {0.4, 3.0}}, m),
                  american(1, 0.3, 0.05, 100, 100, 0, 0, {{0.4, 5.0}}, m));
    }
}

TEST(DividendSensitivities, AmericanDifferencesAgreeWithTheReference) {
    const std::vector<CashDividend> d{{0.25, 1.5}, {0.5, 1.5}, {0.75, 1.5}};
    const DividendOption o{1.0, 0.3, 0.05, 100, 100, 0.0, 1, d, DividendModel::Spot};
    const Sensitivities s = american_dividend_sensitivities(o);
    const auto ref = [&](double t, double sigma, double r, double S) {
        return test::dividend_reference(
            {t, sigma, r, 100, S, 0.0, false, {{0.25, 1.5}, {0.5, 1.5}, {0.75, 1.5}}, false, true});
    };
    const double h = 0.01;
    EXPECT_NEAR(s.value, ref(1, 0.3, 0.05, 100), 1e-4 * s.value);
    EXPECT_NEAR(s.delta, (ref(1, 0.3, 0.05, 100 + h * 100) - ref(1, 0.3, 0.05, 100 - h * 100)) / (2 * h * 100), 2e-3);
    EXPECT_NEAR(s.vega, (ref(1, 0.3 + h, 0.05, 100) - ref(1, 0.3 - h, 0.05, 100)) / (2 * h), 0.02);
    EXPECT_NEAR(s.rho, (ref(1, 0.3, 0.05 + h, 100) - ref(1, 0.3, 0.05 - h, 100)) / (2 * h), 0.05);
    EXPECT_NEAR(s.theta, (ref(1 + h, 0.3, 0.05, 100) - ref(1 - h, 0.3, 0.05, 100)) / (2 * h), 0.02);
    EXPECT_GT(s.gamma, 0.0);
}

}  // namespace
}  // namespace tvx
