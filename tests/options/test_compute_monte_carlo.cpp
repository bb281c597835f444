// The simulation route of the Compute command, driven headless with a
// stand-in simulation that values by the closed form and "yields" once per
// valuation, so that Cancel and closing can be pressed at exact points.
// Reference texts for the search messages: the documented closed-form
// search from 0.25 (changes 0.0347866745576790 and 0.000170828934311029),
// worked independently in double precision.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "core/fault.h"
#include "core/numbers.h"
#include "pricing/closed_form.h"
#include "support/black_scholes.h"
#include "support/compute_fixture.h"

namespace tvx::test {
namespace {

using Kind = UiEvent::Kind;

struct SimCall {
    OptionTerms terms;
    std::int16_t itype, vtype;
    double rho;
    BatchCount batches;
    StepCount steps;
};

class MonteCarloRoute : public ComputeFixture {
protected:
    MonteCarloRoute() { main.svol = true; }

    void compute() {
        cmdCompute_Click(main, out, pac, ui,
                         [this](const OptionTerms& o, std::int16_t itype, double rho, std::int16_t vtype,
                                const BatchYield& yield, BatchCount batches, StepCount steps, McStats*) {
                             calls.push_back({o, itype, vtype, rho, batches, steps});
                             if (fail_on_call == static_cast<int>(calls.size())) throw ArithmeticError("overflow");
                             // A run left to its stopping rule takes 2 to 4 batches, by
                             // the number of the call.
                             const int runs = batches > 0 ? batches : 2 + static_cast<int>(calls.size() % 3);
                             for (int b = 0; b < runs; ++b) yield();
                             return solver_euro(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype);
                         });
    }

    // Presses the progress window's Cancel during the n-th valuation.
    void cancel_during(std::size_t n) {
        ui.on_yield = [this, n](int) {
            if (calls.size() == n) Command1_Click(pac);
        };
    }

    std::vector<SimCall> calls;
    int fail_on_call = 0;
};

const std::vector<std::string> kSixMessages = {
    "Initializing...",
    "One of six calculations performed...",
    "Two of six calculations performed...",
    "Three of six calculations performed...",
    "Four of six calculations performed...",
    "Five of six calculations performed...",
    "Done...",
};

TEST_F(MonteCarloRoute, CheckBoxesChooseTheModelFlags) {
    struct Case {
        bool svol, srate;
        std::int16_t itype, vtype;
    };
    for (const Case c : {Case{false, true, 1, 0}, Case{true, false, 0, 1}, Case{true, true, 1, 1}}) {
        calls.clear();
        main.svol = c.svol;
        main.srate = c.srate;
        main.cor = "0.33";
        compute();
        ASSERT_EQ(calls.size(), 6u);
        for (const auto& call : calls) {
            EXPECT_EQ(call.itype, c.itype);
            EXPECT_EQ(call.vtype, c.vtype);
            EXPECT_EQ(call.rho, 0.33);
        }
    }
}

TEST_F(MonteCarloRoute, ValueShowsEveryProgressMessageThenTheOutput) {
    compute();
    EXPECT_EQ(ui.progress_messages(), kSixMessages);
    EXPECT_EQ(ui.count(Kind::Show, Window::Pacifier), 1);
    EXPECT_EQ(out.Label1, "The option value is 2.0694 dollars");
    // The progress window is hidden before the output window appears.
    int hidden_at = -1, shown_at = -1;
    for (int i = 0; i < static_cast<int>(ui.events.size()); ++i) {
        const auto& e = ui.events[static_cast<std::size_t>(i)];
        if (e.kind == Kind::Hide && e.window == Window::Pacifier) hidden_at = i;
        if (e.kind == Kind::Show && e.window == Window::Output) shown_at = i;
    }
    EXPECT_GE(hidden_at, 0);
    EXPECT_GT(shown_at, hidden_at);
    EXPECT_EQ(ui.pointer, Pointer::Normal);
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(MonteCarloRoute, BumpedValuationsRunAsManyBatchesAsTheValue) {
    compute();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].batches, 0);  // stops by its standard error: 3 batches here
    for (std::size_t k = 1; k < 6; ++k) EXPECT_EQ(calls[k].batches, 3) << "valuation " << k + 1;
}

// 0.503 / 0.005 = 100.6: every valuation, the one with the time a
// thousandth shorter (0.502497, 100.4996 steps by its own time) included,
// takes the 101 steps of the time as typed.
TEST_F(MonteCarloRoute, EveryValuationTakesTheStepsOfTheTimeAsTyped) {
    main.time = "0.503";
    compute();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_DOUBLE_EQ(calls[3].terms.t, 0.503 * 0.999);
    for (const auto& call : calls) EXPECT_EQ(call.steps, 101);
    calls.clear();
    main.optPrice = false;
    compute();
    ASSERT_FALSE(calls.empty());
    for (const auto& call : calls) EXPECT_EQ(call.steps, 101);
}

TEST_F(MonteCarloRoute, SearchSlopeRunsAsManyBatchesAsItsValuation) {
    main.optPrice = false;
    compute();
    ASSERT_EQ(calls.size(), 4u);  // two iterations
    EXPECT_EQ(calls[0].batches, 0);
    EXPECT_EQ(calls[1].batches, 3);
    EXPECT_EQ(calls[2].batches, 0);
    EXPECT_EQ(calls[3].batches, 2);
}

TEST_F(MonteCarloRoute, CancelDuringTheThirdValuationStopsAfterIt) {
    compute();  // an earlier output
    const auto before = lines();
    ui.events.clear();
    calls.clear();
    cancel_during(3);
    compute();
    EXPECT_EQ(calls.size(), 3u);
    EXPECT_EQ(ui.progress_messages().back(), "Three of six calculations performed...");
    EXPECT_EQ(ui.count(Kind::Hide, Window::Pacifier), 1);
    EXPECT_FALSE(ui.shown(Window::Output));
    EXPECT_EQ(lines(), before);
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(ui.pointer, Pointer::Normal);
}

TEST_F(MonteCarloRoute, CancelDuringTheSixthValuationHasNoEffect) {
    cancel_during(6);
    compute();
    EXPECT_EQ(calls.size(), 6u);
    EXPECT_EQ(ui.progress_messages(), kSixMessages);
    EXPECT_TRUE(ui.shown(Window::Output));
}

TEST_F(MonteCarloRoute, ComputationAfterACancelRunsToItsEnd) {
    cancel_during(1);
    compute();
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(pac.kill, 1);
    ui.on_yield = nullptr;
    calls.clear();
    compute();
    EXPECT_EQ(calls.size(), 6u);
    EXPECT_TRUE(ui.shown(Window::Output));
}

TEST_F(MonteCarloRoute, SearchReportsEachIterationAndSucceeds) {
    main.optPrice = false;
    compute();
    const auto messages = ui.progress_messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], "Initializing volatility calculator...");
    // "Error in iteration " + n + " is " + the unrounded change, up to 15
    // significant digits. The last digits depend on the rounding inside N,
    // so the change is compared numerically.
    const std::pair<const char*, double> expected[] = {{"Error in iteration 1 is ", 0.0347866745576790},
                                                       {"Error in iteration 2 is ", 0.000170828934311029}};
    for (std::size_t i = 0; i < 2; ++i) {
        const std::string& m = messages[i + 1];
        const std::string prefix = expected[i].first;
        ASSERT_EQ(m.rfind(prefix, 0), 0u) << m;
        const std::string number = m.substr(prefix.size());
        EXPECT_NEAR(parse_number(number), expected[i].second, 1e-10) << m;
        EXPECT_EQ(number, general_text(parse_number(number))) << "not in general number text: " << m;
        EXPECT_GT(number.size(), 12u) << "rounded: " << m;
    }
    const UiEvent box = only_box();
    EXPECT_EQ(box.title, "Tarvenix");
    EXPECT_EQ(box.icon, Icon::None);
    EXPECT_EQ(box.text, "The implied volatility is 0.2846");
    // Hidden before the box appears.
    EXPECT_EQ(ui.count(Kind::Hide, Window::Pacifier), 1);
    EXPECT_FALSE(ui.shown(Window::Output));
}

TEST_F(MonteCarloRoute, CancelledSearchShowsNoBox) {
    main.optPrice = false;
    cancel_during(2);  // the second valuation of the first iteration
    compute();
    EXPECT_EQ(calls.size(), 2u);
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(ui.count(Kind::Hide, Window::Pacifier), 1);
    EXPECT_EQ(ui.pointer, Pointer::Normal);
}

TEST_F(MonteCarloRoute, GenericErrorHidesTheProgressWindow) {
    fail_on_call = 2;
    compute();
    expect_generic_error();
    EXPECT_EQ(ui.count(Kind::Hide, Window::Pacifier), 1);
    EXPECT_TRUE(main.cmdCompute_enabled);
}

TEST_F(MonteCarloRoute, ComputeIsDisabledWhileARunWaitsAndEnabledAfter) {
    int nested_runs = 0;
    ui.on_yield = [&](int) {
        EXPECT_FALSE(main.cmdCompute_enabled);
        if (calls.size() == 2) {
            const auto before = calls.size();
            compute();  // a click that reached the command anyway does nothing
            nested_runs += calls.size() != before;
        }
    };
    compute();
    EXPECT_EQ(nested_runs, 0);
    EXPECT_EQ(calls.size(), 6u);
    EXPECT_TRUE(main.cmdCompute_enabled);
    EXPECT_GE(ui.count(Kind::Refresh, Window::Main), 2);
}

TEST_F(MonteCarloRoute, ClosingTheApplicationDuringARunEndsItQuietly) {
    ui.on_yield = [&](int) {
        if (calls.size() != 2 || main.unloaded) return;
        std::int16_t cancel = 0;
        Form_Unload(main, ui, cancel);  // answered Yes
    };
    compute();
    EXPECT_EQ(calls.size(), 2u);
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{"Are you sure?"});
    EXPECT_FALSE(ui.shown(Window::Output));
    EXPECT_EQ(ui.count(Kind::Hide, Window::Pacifier), 1);
    EXPECT_EQ(ui.pointer, Pointer::Normal);
}

TEST_F(MonteCarloRoute, OtherRoutesNeverShowTheProgressWindow) {
    main.svol = false;
    compute();
    main.optEuro = false;
    main.svol = true;  // ignored on the American route
    compute();
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(ui.shown(Window::Pacifier));
}

// Theta of the real simulation. Stochastic rates with rho = 0: the price
// over the path's growth factor, A / D, does not depend on the rate path,
// and K / D wanders by about K 0.002 sqrt(r) sqrt(t^3 / 3), a few thousandths,
// so the model is Black-Scholes and its Theta the closed form's. Every
// valuation replays the same normals z over the same step count, so the
// time-bumped one differs from the value by the pathwise derivative of each
// pair's discounted payoff y(t) = e^(-r t) (f(z) + f(-z)) / 2 with
// f(z) = (S e^(mu t + Sigma sqrt(t) z) - K)+, mu = r - delta - Sigma^2 / 2:
// y'(t) = -r y + e^(-r t) / 2 * sum over +-z of [X > K] X (mu +- Sigma z / (2 sqrt t)).
// Its spread is integrated here (Simpson, z in [-10, 10]); over M pairs the
// Theta has the standard error sd / sqrt(M), and 4 of them are allowed.
// Today's fixed 0.005-year step made this Theta exactly 0.
class MonteCarloTheta : public ComputeFixture {
protected:
    MonteCarloTheta() {
        main.srate = true;
        main.cor = "0";
    }

    static double pathwise_theta_sd(double t, double Sigma, double r, double K, double S, double q) {
        const double mu = r - q - 0.5 * Sigma * Sigma;
        const double vol = Sigma * std::sqrt(t);
        const double disc = std::exp(-r * t);
        const auto derivative = [&](double z) {
            double y = 0.0, dy = 0.0;
            for (const double x : {z, -z}) {
                const double X = S * std::exp(mu * t + vol * x);
                if (X > K) {
                    y += 0.5 * disc * (X - K);
                    dy += 0.5 * disc * X * (mu + Sigma * x / (2.0 * std::sqrt(t)));
                }
            }
            return dy - r * y;
        };
        constexpr int steps = 4000;
        const double h = 20.0 / steps;
        double m1 = 0.0, m2 = 0.0;
        for (int k = 0; k <= steps; ++k) {
            const double z = -10.0 + h * k;
            const double w = (k == 0 || k == steps) ? 1.0 : (k % 2 ? 4.0 : 2.0);
            const double g = derivative(z);
            m1 += w * exact_n(z) * g;
            m2 += w * exact_n(z) * g * g;
        }
        m1 *= h / 3.0;
        m2 *= h / 3.0;
        return std::sqrt(m2 - m1 * m1);
    }

    static double number_after(const std::string& line, const std::string& prefix) {
        EXPECT_EQ(line.rfind(prefix, 0), 0u) << line;
        const std::string rest = line.substr(prefix.size());
        return parse_number(rest.substr(0, rest.find(' ')));
    }
};

TEST_F(MonteCarloTheta, MatchesTheClosedFormOnAndOffTheStepGrid) {
    // 0.5 is a whole number of 0.005-year steps; 0.5037 (100.74) and 0.1234
    // (24.68) are not.
    for (const char* time : {"0.5", "0.5037", "0.1234"}) {
        main.time = time;
        ui.yields = 0;
        compute();
        ASSERT_TRUE(ui.boxes().empty()) << time;
        const double t = parse_number(time);
        const ExactBs bs = exact_bs(t, 0.2, 0.045, 64.0, 60.0, 0.021, true);
        const int batches = ui.yields / 6;  // all six valuations run the value's batches
        const double se = pathwise_theta_sd(t, 0.2, 0.045, 64.0, 60.0, 0.021) / std::sqrt(100.0 * batches);
        const double theta = number_after(out.Label4, "Theta is ");
        EXPECT_NEAR(theta, bs.theta, 4.0 * se) << "time " << time << ": closed-form Theta " << bs.theta
                                               << ", standard error " << se << " (" << batches << " batches)";
        // The value itself stays within its own stopping rule (se < 0.05).
        EXPECT_NEAR(number_after(out.Label1, "The option value is "), bs.value, 0.15) << "time " << time;
    }
}

}  // namespace
}  // namespace tvx::test
