// European options with cash dividends. References: Haug, Haug and Lewis,
// "Back to basics: a new approach to the discrete dividend problem" (2003),
// the call S = K = 100, r = 6 %, sigma = 30 %, T = 1 with one dividend of 7
// (spot model 10.5806, 11.1062, 11.5887 for the ex-date at 0.0001, 0.5 and
// 0.9999; escrowed 10.6932 at 0.5); Roll-Geske-Whaley's European call
// (3.5107); Hull's exercise on two dividends of 0.50 (3.6712); and the
// spot model's nested integrals done by brute force, without
// interpolation, in tests/support/spot_dividend_reference.h.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "pricing/cash_dividends.h"
#include "pricing/dividend_sensitivities.h"
#include "pricing/escrowed_european.h"
#include "pricing/exact_closed_form.h"
#include "pricing/spot_dividend_european.h"
#include "support/black_scholes.h"
#include "support/spot_dividend_reference.h"

namespace tvx {
namespace {

double spot_model(double t, double sigma, double r, double K, double S, double q, std::int16_t type,
                  std::vector<CashDividend> dividends) {
    return spot_dividend_european(t, sigma, r, K, S, q, type, dividends_within(dividends, t));
}

TEST(CashDividends, OnlyThoseWithinTheLifeInOrderThoseOfOneTimeMerged) {
    const std::vector<CashDividend> all{{0.9, 1.0}, {0.0, 5.0}, {0.3, 2.0}, {1.5, 4.0},
                                        {0.3, 0.5}, {1.0, 3.0}, {-1, 1}};
    const std::vector<CashDividend> within = dividends_within(all, 1.0);
    ASSERT_EQ(within.size(), 3u);  // 0 has gone, 1.5 is after the expiry, 1.0 is on it
    EXPECT_EQ(within[0].time, 0.3);
    EXPECT_EQ(within[0].amount, 2.5);
    EXPECT_EQ(within[1].time, 0.9);
    EXPECT_EQ(within[2].time, 1.0);
    // 2.5 e^(-0.05 * 0.3) + e^(-0.05 * 0.9) + 3 e^(-0.05)
    EXPECT_NEAR(dividends_present_value(within, 0.05),
                2.5 * std::exp(-0.015) + std::exp(-0.045) + 3.0 * std::exp(-0.05), 1e-14);
    EXPECT_NEAR(dividends_present_value(within, 0.05, 0.5), std::exp(-0.02) + 3.0 * std::exp(-0.025), 1e-14);
    // A shorter life holds a dividend on the expiry on it.
    const std::vector<CashDividend> held = held_within(within, 0.95);
    ASSERT_EQ(held.size(), 3u);
    EXPECT_EQ(held[2].time, 0.95);
}

TEST(SpotDividendEuropean, HaugHaugLewisToTheirPublishedDigits) {
    EXPECT_NEAR(spot_model(1, 0.3, 0.06, 100, 100, 0, 0, {{0.0001, 7}}), 10.5806, 5e-5);
    EXPECT_NEAR(spot_model(1, 0.3, 0.06, 100, 100, 0, 0, {{0.5, 7}}), 11.1062, 5e-5);
    EXPECT_NEAR(spot_model(1, 0.3, 0.06, 100, 100, 0, 0, {{0.9999, 7}}), 11.5887, 5e-5);
    // The escrowed model undervalues it by 0.41: 100 - 7 e^(-0.03) in the
    // closed form.
    const CashDividend half{0.5, 7};
    EXPECT_NEAR(escrowed_european(1, 0.3, 0.06, 100, 100, 0, 0, {&half, 1}).value, 10.6932, 5e-5);
    EXPECT_NEAR(test::exact_bs(1, 0.3, 0.06, 100, 100 - 7 * std::exp(-0.03), 0, true).value, 10.6932, 5e-5);
}

TEST(EscrowedEuropean, RollGeskeWhaleyAndHullToTheirPublishedDigits) {
    const CashDividend rgw{0.25, 4};
    EXPECT_NEAR(escrowed_european(1.0 / 3.0, 0.3, 0.06, 82, 80, 0, 0, {&rgw, 1}).value, 3.5107, 5e-5);
    // 180 days on Actual/360, 0.50 at 60 and 150 days.
    const std::vector<CashDividend> hull{{60.0 / 360.0, 0.5}, {150.0 / 360.0, 0.5}};
    EXPECT_NEAR(escrowed_european(0.5, 0.3, 0.09, 40, 40, 0, 0, hull).value, 3.6712, 5e-5);
}

TEST(EscrowedEuropean, SensitivitiesAreTheClosedFormsOnTheReducedSpotAndAgreeWithDifferences) {
    const std::vector<CashDividend> d{{0.2, 1.5}, {0.7, 2.0}};
    const auto value = [&](double t, double sigma, double r, double S) {
        return escrowed_european(t, sigma, r, 95, S, 0.01, 1, dividends_within(d, t)).value;
    };
    const Sensitivities s = escrowed_european(1, 0.25, 0.04, 95, 100, 0.01, 1, d);
    const double h = 1e-4;
    EXPECT_NEAR(s.delta, (value(1, 0.25, 0.04, 100 + h) - value(1, 0.25, 0.04, 100 - h)) / (2 * h), 1e-7);
    EXPECT_NEAR(s.vega, (value(1, 0.25 + h, 0.04, 100) - value(1, 0.25 - h, 0.04, 100)) / (2 * h), 1e-6);
    // Rho moves the dividends' present value too; Theta holds the ex-dates.
    EXPECT_NEAR(s.rho, (value(1, 0.25, 0.04 + h, 100) - value(1, 0.25, 0.04 - h, 100)) / (2 * h), 1e-6);
    EXPECT_NEAR(s.theta, (value(1 + h, 0.25, 0.04, 100) - value(1 - h, 0.25, 0.04, 100)) / (2 * h), 1e-6);
}

TEST(SpotDividendEuropean, WithinTenDigitsOfTheBruteForceIntegralsOverRandomTerms) {
    std::mt19937 gen(46);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int c = 0; c < 24; ++c) {
        const double t = 0.05 + 2.0 * u(gen), sigma = 0.1 + 0.6 * u(gen), r = 0.1 * u(gen), q = 0.05 * u(gen);
        const double K = 100.0 * std::exp(0.6 * (u(gen) - 0.5));
        const bool call = u(gen) < 0.5;
        const int count = 1 + c % 2;
        std::vector<double> times;
        for (int k = 0; k < count; ++k) times.push_back(t * u(gen));
        std::sort(times.begin(), times.end());
        if (c % 5 == 0) times.back() = t;  // one on the expiry
        test::SpotDividendReference ref{t, sigma, r, K, q, call, {}, 3, 16};
        std::vector<CashDividend> d;
        for (double when : times) {
            const double amount = 0.5 + 5.0 * u(gen);
            d.push_back({when, amount});
            ref.dividends.push_back({when, amount});
        }
        const double expected = ref.value(100.0);
        SCOPED_TRACE(::testing::Message() << "case " << c << " t=" << t << " sigma=" << sigma << " K=" << K
                                          << " call=" << call << " dividends=" << count);
        EXPECT_NEAR(spot_dividend_european(t, sigma, r, K, 100.0, q, call ? 0 : 1, d), expected,
                    1e-8 * std::max(expected, 1e-3));
    }
}

TEST(SpotDividendEuropean, ThreeDividendsAndARangeOfSpotsAgreeWithTheBruteForce) {
    const std::vector<CashDividend> d{{0.2, 2.0}, {0.45, 1.0}, {0.8, 3.0}};
    test::SpotDividendReference ref{1.0, 0.35, 0.05, 105, 0.01, false, {{0.2, 2.0}, {0.45, 1.0}, {0.8, 3.0}}, 1, 12};
    const SpotDividendEuropean curve(1.0, 0.35, 0.05, 105, 0.01, 1, d, 60, 140);
    for (double S : {60.0, 100.0, 140.0}) {
        const double expected = ref.value(S);
        EXPECT_NEAR(curve.value(S), expected, 1e-8 * expected) << "S = " << S;
    }
}

TEST(SpotDividendEuropean, LimitsAndEdgesOfTheSchedule) {
    // A dividend of a cent in a million is the closed form's value.
    for (const std::int16_t type : {std::int16_t{0}, std::int16_t{1}}) {
        const double bs = solver_euro_exact(0.8, 0.3, 0.05, 95, 100, 0.02, type);
        EXPECT_NEAR(spot_model(0.8, 0.3, 0.05, 95, 100, 0.02, type, {{0.4, 1e-8}}), bs, 1e-8);
    }
    // Two dividends on one day are one of their sum.
    EXPECT_DOUBLE_EQ(spot_model(1, 0.3, 0.06, 100, 100, 0, 1, {{0.5, 3}, {0.5, 4}}),
                     spot_model(1, 0.3, 0.06, 100, 100, 0, 1, {{0.5, 7}}));
    // On the expiry: the payoff on the share after the drop, the closed
    // form with the strike moved up by the dividend for a call.
    EXPECT_NEAR(spot_model(1, 0.3, 0.06, 100, 100, 0, 0, {{1.0, 7}}), solver_euro_exact(1, 0.3, 0.06, 107, 100, 0, 0),
                1e-10);
    // A dividend of nearly the whole spot: the share is liquidated or
    // left with about a dollar, and a put is worth about its discounted
    // strike less that dollar.
    const double put = spot_model(0.5, 0.2, 0.05, 50, 100, 0, 1, {{0.01, 99.0}});
    EXPECT_GT(put, 50.0 * std::exp(-0.05 * 0.5) - 1.5);
    EXPECT_LT(put, 50.0 * std::exp(-0.05 * 0.5));
}

TEST(DividendSensitivities, SpotModelDifferencesAgreeWithTheReference) {
    const std::vector<CashDividend> d{{0.3, 2.0}};
    const DividendOption o{0.75, 0.3, 0.05, 100, 100, 0.01, 0, d, DividendModel::Spot};
    const Sensitivities s = european_dividend_sensitivities(o);
    EXPECT_NEAR(s.value, european_dividend_value(o), 1e-12);
    const auto ref = [&](double t, double sigma, double r, double S) {
        return test::SpotDividendReference{t, sigma, r, 100, 0.01, true, {{0.3, 2.0}}, 3, 16}.value(S);
    };
    const double h = 1e-3;
    EXPECT_NEAR(s.delta, (ref(0.75, 0.3, 0.05, 100 + h) - ref(0.75, 0.3, 0.05, 100 - h)) / (2 * h), 1e-5);
    EXPECT_NEAR(
        s.gamma,
        (ref(0.75, 0.3, 0.05, 100 + h) - 2 * ref(0.75, 0.3, 0.05, 100) + ref(0.75, 0.3, 0.05, 100 - h)) / (h * h),
        1e-4);
    EXPECT_NEAR(s.vega, (ref(0.75, 0.3 + h, 0.05, 100) - ref(0.75, 0.3 - h, 0.05, 100)) / (2 * h), 1e-4);
    EXPECT_NEAR(s.rho, (ref(0.75, 0.3, 0.05 + h, 100) - ref(0.75, 0.3, 0.05 - h, 100)) / (2 * h), 1e-4);
    EXPECT_NEAR(s.theta, (ref(0.75 + h, 0.3, 0.05, 100) - ref(0.75 - h, 0.3, 0.05, 100)) / (2 * h), 1e-4);
}

}  // namespace
}  // namespace tvx
