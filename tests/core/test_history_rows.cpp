// Every window hands each result it shows to the history once, with its
// window, command, the terms it read and the figures at full precision;
// a refused or failed command hands over nothing.
#include <gtest/gtest.h>

#include <cstring>

#include "instruments/bonds.h"
#include "instruments/convertible.h"
#include "instruments/futures.h"
#include "instruments/warrants.h"
#include "neural/create_window.h"
#include "neural/predict_window.h"
#include "options/compute.h"
#include "support/neural_fixture.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

using test::RecordingUi;

// The one row the command left, checked against what it showed.
const HistoryRow& only_row(const RecordingUi& ui, const char* window, const char* command) {
    EXPECT_EQ(ui.history.size(), 1u);
    static const HistoryRow none;
    if (ui.history.empty()) return none;
    EXPECT_EQ(ui.history[0].window, window);
    EXPECT_EQ(ui.history[0].command, command);
    return ui.history[0];
}

double figure(const HistoryRow& row, const char* name) {
    for (const Figure& f : row.figures)
        if (std::strcmp(f.name, name) == 0) return f.value;
    ADD_FAILURE() << "no figure " << name;
    return 0;
}

TEST(HistoryRows, EachCalculatorCommandGivesOneRowWithItsFullFigures) {
    {
        WarrantsWindow w;
        RecordingUi ui;
        WarrantFigures f{};
        Command1_Click(w, ui, &f);
        const HistoryRow& r = only_row(ui, "Warrants", "Compute");
        EXPECT_EQ(figure(r, "premium"), 5.0 / 12.0);  // shown as 0.416666666666667
        EXPECT_EQ(r.terms.front(), (HistoryTerm{"share", "12.0"}));
    }
    {
        FuturesWindow w;
        RecordingUi ui;
        ForwardFigures f{};
        Command1_Click(w, ui, &f);
        EXPECT_EQ(figure(only_row(ui, "Futures Calculator", "Calculate"), "forward_price"), f.price);
    }
    StraightBondsWindow bond;
    {
        RecordingUi ui;
        BondValue v;
        Command1_Click(bond, ui, &v);
        const HistoryRow& r = only_row(ui, "Straight Bonds", "Compute");
        EXPECT_EQ(figure(r, "fair_value"), v.percent);
        EXPECT_EQ(r.terms.size(), 5u);  // not the market price, which Compute does not read
        EXPECT_EQ(r.terms.back(), (HistoryTerm{"rate", "4.5"}));
    }
    {
        RecordingUi ui;
        BondYield y;
        cmdYield_Click(bond, ui, &y);
        const HistoryRow& r = only_row(ui, "Straight Bonds", "Yield");
        EXPECT_EQ(figure(r, "yield"), y.yield);
        EXPECT_EQ(r.terms.back(), (HistoryTerm{"price", "100.0"}));
    }
    {
        RecordingUi ui;
        BondRisk k;
        cmdRisk_Click(bond, ui, &k);
        const HistoryRow& r = only_row(ui, "Straight Bonds", "Risk");
        EXPECT_EQ(r.figures.size(), 4u);
        EXPECT_EQ(figure(r, "convexity"), k.convexity);
    }
    ConvertibleBondsWindow convertible;
    {
        RecordingUi ui;
        BondValue v;
        Command1_Click(convertible, ui, &v);
        EXPECT_EQ(figure(only_row(ui, "Convertible Bonds", "Compute"), "fair_value"), v.percent);
    }
    {
        RecordingUi ui;
        ConvertibleAnalytics a;
        cmdAnalytics_Click(convertible, ui, &a);
        EXPECT_EQ(figure(only_row(ui, "Convertible Bonds", "Analytics"), "share_delta"), a.delta);
    }
}

TEST(HistoryRows, ACalculatorGivenAnExpiryDateKeepsTheDatesBesideTheYearsTheyFilled) {
    // 2027-01-01 to 2027-06-18 is 168 days: 168/365 years on Actual/365
    // Fixed, the text the expiry's row writes into the years field.
    StraightBondsWindow bond;
    bond.ttm = "0.4602739726027397";
    bond.dates = {"2027-06-18", "2027-01-01", "act365f", ""};
    RecordingUi ui;
    BondValue v;
    Command1_Click(bond, ui, &v);
    const std::vector<HistoryTerm>& t = only_row(ui, "Straight Bonds", "Compute").terms;
    ASSERT_EQ(t.size(), 8u);  // the five fields Compute reads, then the dates given
    EXPECT_EQ(t[3], (HistoryTerm{"time", "0.4602739726027397"}));
    EXPECT_EQ(t[5], (HistoryTerm{"expiry", "2027-06-18"}));
    EXPECT_EQ(t[6], (HistoryTerm{"valuation_date", "2027-01-01"}));
    EXPECT_EQ(t[7], (HistoryTerm{"day_count", "act365f"}));
}

TEST(HistoryRows, RefusedAndFailedCommandsGiveNone) {
    StraightBondsWindow bond;
    bond.ir = "0";
    RecordingUi refused;
    Command1_Click(bond, refused);
    cmdRisk_Click(bond, refused);
    bond.ir = "x";
    bond.mprice = "200";
    Command1_Click(bond, refused);
    cmdYield_Click(bond, refused);
    EXPECT_EQ(refused.boxes().size(), 4u);
    EXPECT_TRUE(refused.history.empty());

    MainWindow main;
    Form_Load(main);
    main.qqq = "";  // the generic error after the checks
    OutputWindow out;
    Pacifier pac;
    cmdCompute_Click(main, out, pac, refused);
    EXPECT_TRUE(refused.history.empty());
}

TEST(HistoryRows, ComputeGivesItsSixFiguresOrItsImpliedVolatility) {
    MainWindow main;
    Form_Load(main);
    OutputWindow out;
    Pacifier pac;
    ComputeResults results;
    ComputeOptions options;
    options.results = &results;
    RecordingUi ui;
    cmdCompute_Click(main, out, pac, ui, options);
    const HistoryRow& r = only_row(ui, "Equity Options", "Compute");
    ASSERT_EQ(r.figures.size(), 6u);
    EXPECT_EQ(figure(r, "value"), results.value->value);
    EXPECT_EQ(figure(r, "rho"), results.value->rho);
    EXPECT_EQ(r.terms[5], (HistoryTerm{"volatility", "0.2"}));

    main.optPrice = false;
    RecordingUi implied;
    cmdCompute_Click(main, out, pac, implied, options);
    const HistoryRow& v = only_row(implied, "Equity Options", "Compute");
    ASSERT_EQ(v.figures.size(), 1u);
    EXPECT_EQ(figure(v, "implied_volatility"), *results.implied_volatility);

    // A simulation: the terms as read when it started, though the user
    // types on while it runs.
    main.optPrice = true;
    main.svol = true;
    RecordingUi simulated;
    ComputeOptions stub;
    stub.simulate = [&main](const OptionTerms&, std::int16_t, double, std::int16_t, const BatchYield&, BatchCount,
                            StepCount, McStats*) {
        main.current = "99";
        return 2.5;
    };
    cmdCompute_Click(main, out, pac, simulated, stub);
    const HistoryRow& s = only_row(simulated, "Equity Options", "Compute");
    EXPECT_EQ(s.terms[0], (HistoryTerm{"spot", "60.0"}));
    EXPECT_EQ(figure(s, "value"), 2.5);
}

TEST(HistoryRows, PredictAndTrainGiveTheirOutputsAndFinalError) {
    test::ScratchDir dir;
    // One node a layer, input range 0..10, output 0..100, weights 2 and 3,
    // the input 5 (the prediction window's own example): hidden tanh(0.5),
    // output 100 tanh(1.5 tanh(0.5)) = 60.00182750981..., shown as 60.0018.
    dir.write("neural.net", {"1", "1", "1", "10", "0", "100", "0", "2", "3"});
    PredictWindow p;
    p.Text[0] = "5";
    RecordingUi predicted;
    Command1_Click(p, predicted);
    const HistoryRow& r = only_row(predicted, "Neural Net Input", "Predict");
    EXPECT_NEAR(figure(r, "output1"), 100 * std::tanh(1.5 * std::tanh(0.5)), 1e-12);
    EXPECT_EQ(r.terms, (std::vector<HistoryTerm>{{"net", "neural.net"}, {"input1", "5"}}));

    dir.write("train.dat", {"10,0", "10,0", "10,0", "1,0", "2,4,6,0.5", "3,5,7,0.4", "1,1,1,0.1"});
    CreateWindow w;
    w.gen = "8";
    w.pop = "4";
    Pmeter pm;
    RecordingUi trained;
    TrainingResult result;
    Command1_Click(w, pm, trained, test::repeatable(3), &result);
    const HistoryRow& t = only_row(trained, "Neural Net - Create", "Train");
    EXPECT_EQ(figure(t, "average_error"), result.average_error);
    EXPECT_EQ(t.terms.back(), (HistoryTerm{"", "Genetic"}));
}

}  // namespace
}  // namespace tvx
