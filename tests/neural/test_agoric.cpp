// Agoric evolution: the market's steps with scripted draws, and a whole run.
#include <gtest/gtest.h>

#include "core/fault.h"
#include "neural/agoric.h"
#include "support/neural_fixture.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

using test::RecordingUi;
using test::scripted;
using test::UiEvent;

Agents market(std::vector<double> prices, std::vector<std::int16_t> demands, std::size_t w = 2) {
    Agents a(prices.size(), w);
    for (std::size_t k = 0; k < prices.size(); ++k) {
        a.wealth[k] = 100.0;
        a.price[k] = prices[k];
        a.demand[k] = demands[k];
        a.weights[k].assign(w, 0.5);
    }
    return a;
}

TEST(ClearMarket, DemandBelowSupplyIsMetInFullAndUnsoldUnitsEarnNothing) {
    const Agents a = market({6, 5, 4}, {3, 2, 1});
    const Clearing c = clear_market(a, std::vector<std::int16_t>{0, 1, 2}, 50);
    EXPECT_EQ(c.allocation, (std::vector<std::int16_t>{3, 2, 1}));
    EXPECT_DOUBLE_EQ(c.revenue, (18.0 + 10.0 + 4.0) / 50.0);
}

TEST(ClearMarket, SupplyRunsOutDownTheRanking) {
    const Agents a = market({6, 5, 4}, {3, 2, 1});
    const Clearing c = clear_market(a, std::vector<std::int16_t>{0, 1, 2}, 4);
    EXPECT_EQ(c.allocation, (std::vector<std::int16_t>{3, 1, 0}));
    EXPECT_DOUBLE_EQ(c.revenue, (18.0 + 5.0) / 4.0);
}

TEST(ClearMarket, ANegativeDemandReturnsUnitsToTheSupply) {
    const Agents a = market({6, 5, 4}, {-2, 3, 1});
    const Clearing c = clear_market(a, std::vector<std::int16_t>{0, 1, 2}, 2);
    EXPECT_EQ(c.allocation, (std::vector<std::int16_t>{-2, 3, 1}));
    EXPECT_DOUBLE_EQ(c.revenue, (-12.0 + 15.0 + 4.0) / 2.0);
}

TEST(RankDescending, HighestFirstTiesByIndex) {
    EXPECT_EQ(rank_descending(std::vector<double>{5.2, 5.9, 5.2, 6.1}), (std::vector<std::int16_t>{3, 1, 0, 2}));
}

TEST(RunTrials, AZeroAllocationStopsTheAgentsRankedBelowIt) {
    // Agent 0 buys 2 units, agent 1 none, agent 2 (ranked third) would buy
    // 3 but never gets there: it neither pays nor changes.
    const NetShape s{1, 1, 1};
    const std::vector<double> exemplar{0.5, 0.9};
    Agents a = market({6, 5, 4}, {2, 0, 3});
    auto used = std::make_shared<std::size_t>(0);
    // Two trials of agent 0: position nearest(0.1 * 2) = 0 set to 0.9 (a
    // larger weight: better), then position nearest(0.9 * 2) = 2 = W,
    // which touches nothing.
    run_trials(a, exemplar, s, 1, std::vector<std::int16_t>{2, 0, 3}, std::vector<std::int16_t>{0, 1, 2},
               scripted({0.1, 0.9, 0.9, 0.3}, used));
    EXPECT_EQ(*used, 4u);
    EXPECT_EQ(a.weights[0], (std::vector<double>{0.9, 0.5}));  // the improvement is kept
    const double e0 = fitness(std::vector<double>{0.5, 0.5}, exemplar, s, 1);
    const double e1 = fitness(std::vector<double>{0.9, 0.5}, exemplar, s, 1);
    EXPECT_DOUBLE_EQ(a.wealth[0], 100.0 - 12.0 + 100.0 * (e0 - e1));
    EXPECT_EQ(a.wealth[1], 100.0);
    EXPECT_EQ(a.wealth[2], 100.0);
    EXPECT_EQ(a.weights[2], (std::vector<double>{0.5, 0.5}));
}

TEST(RunTrials, AWorseTrialIsDroppedAndEarnsNothing) {
    const NetShape s{1, 1, 1};
    const std::vector<double> exemplar{0.5, 0.9};
    Agents a = market({6}, {1});
    run_trials(a, exemplar, s, 1, std::vector<std::int16_t>{1}, std::vector<std::int16_t>{0}, scripted({0.4, 0.1}));
    EXPECT_EQ(a.weights[0], (std::vector<double>{0.5, 0.5}));
    EXPECT_EQ(a.wealth[0], 94.0);
}

TEST(AdjustPrices, RaiseWhenDemandMissesTheReferenceLowerWhenItMeetsIt) {
    Agents a = market({5, 5, 5}, {2, 1, 2});
    a.reference = {1, 1, 1};
    // Agent 0: differs, u = 0.5 (nearest 0): 5.5, demand trunc(0.5*100/5.5) = 9.
    // Agent 1: equals, u = 0.3: 4.5, demand trunc(0.9*100/4.5) = 20.
    // Agent 2: u = 0.6 keeps 5, demand trunc(0.04*100/5) = 0.
    adjust_prices(a, scripted({0.5, 0.5, 0.3, 0.9, 0.6, 0.04}));
    EXPECT_DOUBLE_EQ(a.price[0], 5.5);
    EXPECT_DOUBLE_EQ(a.price[1], 4.5);
    EXPECT_DOUBLE_EQ(a.price[2], 5.0);
    EXPECT_EQ(a.demand, (std::vector<std::int16_t>{9, 20, 0}));
}

TEST(AdjustPrices, NegativeWealthGivesANonPositiveDemand) {
    Agents a = market({5}, {1});
    a.reference = {1};
    a.wealth[0] = -30.0;
    adjust_prices(a, scripted({0.9, 0.5}));  // price stays 5; trunc(-3) = -3
    EXPECT_EQ(a.demand[0], -3);
}

TEST(InterestRate, RisesAboveAQuarterOverFallsAboveTheFloor) {
    EXPECT_DOUBLE_EQ(next_interest_rate(0.05, 1.25), 0.06);
    EXPECT_DOUBLE_EQ(next_interest_rate(0.05, 1.2), 0.05);
    EXPECT_DOUBLE_EQ(next_interest_rate(0.05, 0.75), 0.05);
    EXPECT_DOUBLE_EQ(next_interest_rate(0.05, 0.74), 0.04);
    EXPECT_DOUBLE_EQ(next_interest_rate(0.01, 0.1), 0.01);
}

TEST(Loans, AnnuityPaymentClosedForm) {
    // 100 at 10 % over 2 periods: 100 * 0.1 * 1.21 / 0.21.
    EXPECT_NEAR(annuity_payment(100, 0.1, 2), 57.6190476190476, 1e-12);
}

TEST(Loans, GrantedOnlyWhileInstalmentsRemainAndOncePerAgent) {
    // Remaining 1: nearest(1/3) = 0, nothing happens and nothing is drawn.
    Agents a = market({5, 5, 5}, {1, 1, 1});
    auto used = std::make_shared<std::size_t>(0);
    grant_loans(a, 0.05, 1, scripted({}, used));
    EXPECT_EQ(*used, 0u);
    // Remaining 9: n = 3. The payment on 25 at 5 % over 3 is
    // 25 * 0.05 * 1.157625 / 0.157625 = 9.18021411578..., below a tenth of
    // the wealth. Agent 0 draws 0.1 and takes it; agent 1 draws 0.2 and
    // does not; agent 2 already has a schedule and keeps it.
    a.instalment[2] = 3.0;
    a.instalments_left[2] = 1;
    grant_loans(a, 0.05, 9, scripted({0.1, 0.2, 0.1}));
    EXPECT_NEAR(a.instalment[0], 9.18021411578112, 1e-11);
    EXPECT_EQ(a.instalments_left[0], 3);
    EXPECT_EQ(a.instalment[1], 0.0);
    EXPECT_EQ(a.instalment[2], 3.0);
    EXPECT_EQ(a.instalments_left[2], 1);
    EXPECT_EQ(a.wealth[0], 100.0);  // the schedule costs nothing when it starts
    // Over four iterations, only the first two can start a schedule.
    Agents b = market({5}, {1});
    grant_loans(b, 0.05, 2, scripted({0.1}));  // n = nearest(2/3) = 1: drawn, but 25.0 * 1.05 > 10
    EXPECT_EQ(b.instalment[0], 0.0);
}

TEST(Loans, RepaymentsRunOutButTheInstalmentStays) {
    Agents a = market({5}, {1});
    a.instalment[0] = 9.0;
    a.instalments_left[0] = 1;
    collect_repayments(a);
    collect_repayments(a);
    EXPECT_EQ(a.wealth[0], 91.0);
    EXPECT_EQ(a.instalments_left[0], 0);
    EXPECT_EQ(a.instalment[0], 9.0);
}

TEST(Bankruptcy, AgentsBelowOneAreReseededKeepingTheirSchedule) {
    Agents a = market({5, 5}, {1, 1}, 3);
    a.wealth = {0.99, 1.0};
    a.instalment[0] = 4.0;
    a.instalments_left[0] = 2;
    // Price 0.25 + 5, weights 0.1 0.2 0.3, demand nearest(2 * 0.75) = 2, reference 1.
    reseed_bankrupt(a, scripted({0.25, 0.1, 0.2, 0.3, 0.75}));
    EXPECT_EQ(a.wealth[0], 100.0);
    EXPECT_EQ(a.price[0], 5.25);
    EXPECT_EQ(a.weights[0], (std::vector<double>{0.1, 0.2, 0.3}));
    EXPECT_EQ(a.demand[0], 2);
    EXPECT_EQ(a.reference[0], 1);
    EXPECT_EQ(a.instalment[0], 4.0);
    EXPECT_EQ(a.instalments_left[0], 2);
    EXPECT_EQ(a.wealth[1], 1.0);  // not below 1: untouched
}

std::vector<double> learnable(const NetShape& s, int count) {
    const std::vector<double> teacher(s.weights(), 0.95);
    NodeTable nodes(s);
    std::vector<double> exemplar;
    for (int k = 0; k < count; ++k) {
        const double x = 0.05 + 0.9 * k / (count - 1);
        feed_forward(teacher, std::vector<double>{x}, nodes, s);
        exemplar.push_back(x);
        exemplar.push_back(nodes.output[0]);
    }
    return exemplar;
}

TEST(TrainAgoric, ARunLearnsAndDeliversTheBestAgent) {
    const NetShape s{1, 3, 1};
    const std::vector<double> exemplar = learnable(s, 10);
    const Draw draw = test::repeatable(5);
    double random_error = 0.0;
    for (int k = 0; k < 100; ++k) {
        std::vector<double> w(s.weights());
        for (double& v : w) v = draw();
        random_error += fitness(w, exemplar, s, 10) / 100;
    }
    std::vector<double> result(s.weights(), 0.0);
    Pmeter pm;
    RecordingUi ui;
    ASSERT_TRUE(train_agoric(s, 10, exemplar, result, 60, 10, pm, ui, draw));
    // Less than half a random network's error. The market learns in its
    // first iterations only: once an agent with no demand and a reference
    // quantity of 1 leads the ranking, its price keeps rising, it stays
    // first, and no agent below it runs trials again.
    EXPECT_LT(fitness(result, exemplar, s, 10), 0.5 * random_error);
    EXPECT_EQ(ui.count(UiEvent::Kind::Refresh, Window::Pmeter), 60);
    EXPECT_EQ(ui.count(UiEvent::Kind::Hide, Window::Pmeter), 1);
    EXPECT_EQ(pm.message, "100% of neural net training complete");
}

TEST(TrainAgoric, CancelStopsBeforeTheMarketOfThatIteration) {
    const NetShape s{1, 2, 1};
    const std::vector<double> exemplar = learnable(s, 4);
    std::vector<double> result(s.weights(), 0.0);
    Pmeter pm;
    RecordingUi ui;
    ui.on_yield = [&](int) {
        if (pm.pbar_value == 1) Command1_Click(pm);
    };  // during iteration 1
    EXPECT_FALSE(train_agoric(s, 4, exemplar, result, 10, 4, pm, ui, test::repeatable(2)));
    EXPECT_EQ(pm.pbar_value, 2);
    EXPECT_EQ(result, std::vector<double>(s.weights(), 0.0));
    EXPECT_EQ(ui.count(UiEvent::Kind::Hide, Window::Pmeter), 1);
}

TEST(TrainAgoric, APopulationBeyondTheSixteenBitSupplyIsAnOverflow) {
    const NetShape s{1, 1, 1};
    const std::vector<double> exemplar{0.5, 0.5};
    std::vector<double> result(2, 0.0);
    Pmeter pm;
    RecordingUi ui;
    EXPECT_THROW(train_agoric(s, 1, exemplar, result, 4, 656, pm, ui, test::repeatable(2)), RuntimeError);
}

}  // namespace
}  // namespace tvx
