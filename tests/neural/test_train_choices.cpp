// The Train command with each learning algorithm: Genetic and Agoric pinned
// to their networks, Gradient learning what they cannot, and the errors per
// output in the training file's units.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "core/numbers.h"
#include "neural/create_window.h"
#include "neural/fit_report.h"
#include "neural/network_file.h"
#include "neural/predict_window.h"
#include "support/neural_fixture.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

using test::RecordingUi;
using test::ScratchDir;
using test::UiEvent;

constexpr const char* kDone = "Evolution complete, average error remaining is ";
// A gradient training is no evolution, and its box does not call it one.
constexpr const char* kGradientDone = "Gradient training complete, average error remaining is ";

struct Training {
    CreateWindow w;
    Pmeter pm;
    RecordingUi ui;
    void train(unsigned seed) { Command1_Click(w, pm, ui, test::repeatable(seed)); }
};

// The outputs a Predict with these inputs shows, in the file's units.
std::vector<double> predict(std::initializer_list<std::string> inputs) {
    PredictWindow p;
    std::size_t i = 0;
    for (const std::string& v : inputs) p.Text[i++] = v;
    RecordingUi ui;
    Command1_Click(p, ui);
    std::vector<double> out;
    const std::string box = ui.boxes().back().text;
    for (std::size_t at = box.find(" is "); at != std::string::npos; at = box.find(" is ", at + 4))
        out.push_back(parse_number(box.substr(at + 4, box.find('\r', at) - at - 4)));
    return out;
}

// The network files of one run of each evolution for a fixed stream of
// draws, as the program wrote them before the gradient training joined
// them: both evolutions must go on giving these networks draw for draw.
TEST(TrainChoices, GeneticAndAgoricGiveTheirEarlierNetworks) {
    ScratchDir dir;
    dir.write("train.dat", {"10,0", "10,0", "10,0", "1,0", "2,4,6,0.5", "3,5,7,0.4", "1,1,1,0.1"});
    const std::string head = " 3\r\n 3\r\n 1\r\n 10\r\n 0\r\n 10\r\n 0\r\n 10\r\n 0\r\n 1\r\n 0\r\n";
    Training genetic;
    genetic.w.gen = "20";
    genetic.w.pop = "8";
    genetic.train(17);
    EXPECT_EQ(dir.read("neural.net"),
              head +
                  " 0.80691397190094\r\n 0.264788448810577\r\n 0.887815833091736\r\n 0.978707194328308\r\n"
                  " 0.59309196472168\r\n 0.0965328216552734\r\n 0.954240441322327\r\n 0.904321134090424\r\n"
                  " 0.990423619747162\r\n 0.630490899085999\r\n 0.918632566928864\r\n 0.338683426380157\r\n");
    Training agoric;
    agoric.w.gen = "12";
    agoric.w.pop = "6";
    agoric.w.Option1 = false;
    agoric.train(29);
    EXPECT_EQ(dir.read("neural.net"),
              head +
                  " 0.661535799503326\r\n 0.911388397216797\r\n 0.83824610710144\r\n 0.953874170780182\r\n"
                  " 0.802069127559662\r\n 0.944786787033081\r\n 0.562564969062805\r\n 0.892255187034607\r\n"
                  " 0.674825251102448\r\n 0.5650874376297\r\n 0.214950501918793\r\n 0.924899280071259\r\n");
    // Both are evolutions, and their boxes say so.
    for (const Training* t : {&genetic, &agoric}) {
        ASSERT_EQ(t->ui.boxes().size(), 1u);
        EXPECT_EQ(t->ui.box_texts()[0].rfind(kDone, 0), 0u);
    }
}

// y = 1 - x, with a constant second input standing in for a bias; every
// output of Genetic or Agoric rises with x, so neither can learn it.
TEST(TrainChoices, GradientLearnsAFallingRelation) {
    ScratchDir dir;
    std::vector<std::string> lines{"1,0", "2,0", "1,0"};
    for (int k = 1; k <= 19; ++k) {
        const double x = k / 20.0;
        lines.push_back(general_text(x) + ",1," + general_text(1 - x));
    }
    std::ofstream(dir.file("train.dat"), std::ios::binary) << [&] {
        std::string t;
        for (const auto& l : lines) t += l + "\r\n";
        return t;
    }();
    Training r;
    r.w.Option1 = false;
    r.w.Option3 = true;
    r.w.inputbox = "2";
    r.w.examples = "19";
    r.w.gen = "1000";
    r.w.pop = "8";
    r.train(3);
    ASSERT_EQ(r.ui.boxes().size(), 1u);
    EXPECT_EQ(r.ui.box_texts()[0].rfind(kGradientDone, 0), 0u);
    // Signed weights: at least one is negative, which no evolution makes.
    const LoadedNet net = load_net("neural.net");
    EXPECT_LT(*std::min_element(net.weights.begin(), net.weights.end()), 0.0);
    // Within 0.02 of the relation at its two ends and its middle.
    const double xs[] = {0.1, 0.5, 0.9};
    for (double x : xs) EXPECT_NEAR(predict({general_text(x), "1"})[0], 1 - x, 0.02) << x;
    EXPECT_FALSE(r.w.details.empty());
}

TEST(TrainChoices, GradientLearnsXor) {
    ScratchDir dir;
    dir.write("train.dat", {"1.5,-0.5", "1.5,-0.5", "2,0", "1.5,-0.5", "0,0,1,0", "0,1,1,1", "1,0,1,1", "1,1,1,0"});
    Training r;
    r.w.Option1 = false;
    r.w.Option3 = true;
    r.w.examples = "4";
    r.w.gen = "500";
    r.w.pop = "10";
    r.train(6);
    ASSERT_EQ(r.ui.boxes().size(), 1u);
    const double remaining = parse_number(r.ui.box_texts()[0].substr(std::string(kGradientDone).size()));
    EXPECT_LT(remaining, 0.01);  // scaled: a hundredth of the output's range of 2
    EXPECT_NEAR(predict({"0", "0", "1"})[0], 0.0, 0.05);
    EXPECT_NEAR(predict({"0", "1", "1"})[0], 1.0, 0.05);
    EXPECT_NEAR(predict({"1", "0", "1"})[0], 1.0, 0.05);
    EXPECT_NEAR(predict({"1", "1", "1"})[0], 0.0, 0.05);
}

TEST(TrainChoices, GradientCancelledWritesNothing) {
    ScratchDir dir;
    dir.write("train.dat", {"10,0", "10,0", "10,0", "1,0", "2,4,6,0.5", "3,5,7,0.4", "1,1,1,0.1"});
    dir.write_raw("neural.net", "an earlier network\r\n");
    Training r;
    r.w.Option1 = false;
    r.w.Option3 = true;
    r.ui.on_yield = [&](int) {
        if (r.pm.pbar_value == 3) Command1_Click(static_cast<ProgressWindow&>(r.pm));
    };
    r.train(1);
    EXPECT_TRUE(r.ui.boxes().empty());
    EXPECT_EQ(dir.read("neural.net"), "an earlier network\r\n");
    EXPECT_EQ(dir.names().size(), 2u);
    EXPECT_EQ(r.pm.pbar_value, 4);  // seen at the check of the fourth iteration
    EXPECT_EQ(r.ui.count(UiEvent::Kind::Hide, Window::Pmeter), 1);
    EXPECT_TRUE(r.w.details.empty());
    EXPECT_EQ(r.ui.pointer, Pointer::Normal);
}

TEST(TrainChoices, GradientFaultEndsInTheGenericError) {
    ScratchDir dir;
    // The second example line lacks a value.
    dir.write("train.dat", {"10,0", "10,0", "10,0", "1,0", "2,4,6,0.5", "3,5,0.4", "1,1,1,0.1"});
    Training r;
    r.w.Option1 = false;
    r.w.Option3 = true;
    r.w.details = "an earlier training's figures";
    r.train(1);
    ASSERT_EQ(r.ui.boxes().size(), 1u);
    EXPECT_EQ(r.ui.boxes()[0].icon, Icon::Critical);
    EXPECT_EQ(r.ui.box_texts()[0], neural1_text::generic_error);
    EXPECT_EQ(dir.names().size(), 1u);
    EXPECT_EQ(r.ui.count(UiEvent::Kind::Hide, Window::Neural1), 0);  // stays open
    EXPECT_TRUE(r.w.details.empty());
}

// One input node, one hidden node, two outputs; the input weight 2 and both
// output weights 3. With the scaled input 0.5 both outputs are
// tanh(0.5 * 3 * tanh(0.5)) = 0.60001827509 (the prediction window's worked
// example), whatever their targets.
TEST(FitReport, ErrorsPerOutputInTheFilesUnits) {
    const NetShape s{1, 1, 2};
    TrainingSet set;
    set.ranges = {{10}, {0}, {100, 10}, {0, -10}};
    set.exemplar = {0.5, 0.5, 0.25, 0.5, 0.7, 0.6};
    const std::vector<double> w{2, 3, 3};
    const double o = 0.60001827509;
    const std::vector<OutputError> e = output_errors(w, set, s, 2);
    ASSERT_EQ(e.size(), 2u);
    // Output 1 spans 100: errors 100 (o - 0.5) and 100 (o - 0.7).
    const double a = 100 * (o - 0.5), b = 100 * (o - 0.7);
    EXPECT_NEAR(e[0].rms, std::sqrt((a * a + b * b) / 2), 1e-8);
    EXPECT_NEAR(e[0].largest, a, 1e-8);
    // Output 2 spans 20: errors 20 (o - 0.25) and 20 (o - 0.6).
    const double c = 20 * (o - 0.25), d = 20 * (o - 0.6);
    EXPECT_NEAR(e[1].rms, std::sqrt((c * c + d * d) / 2), 1e-8);
    EXPECT_NEAR(e[1].largest, c, 1e-8);
    EXPECT_EQ(output_errors_text(e),
              "Output node 1: root mean square error 10, largest 10 (training file units)\n"
              "Output node 2: root mean square error 4.95, largest 7 (training file units)");
}

TEST(FitReport, ARangeNearTheLargestDoubleGivesItsFiguresWithoutOverflow) {
    // The same network and input; the output spans 2e200 (1e200 to
    // -1e200) and the target 1e199 scales to 0.55. The error in the file's
    // units is 2e200 (o - 0.55) = 1.00036550e199 (1E+199 to four
    // significant digits); its square would overflow.
    const NetShape s{1, 1, 1};
    TrainingSet set;
    set.ranges = {{1}, {0}, {1e200}, {-1e200}};
    set.exemplar = {0.5, 0.55};
    const std::vector<OutputError> e = output_errors(std::vector<double>{2, 3}, set, s, 1);
    ASSERT_EQ(e.size(), 1u);
    const double expected = 2e200 * (0.60001827509 - 0.55);
    EXPECT_NEAR(e[0].rms, expected, expected * 1e-9);
    EXPECT_NEAR(e[0].largest, expected, expected * 1e-9);
    EXPECT_EQ(output_errors_text(e),
              "Output node 1: root mean square error 1E+199, largest 1E+199 (training file units)");
}

TEST(FitReport, ShownAfterACompletedTrainOutsideTheBox) {
    ScratchDir dir;
    dir.write("train.dat", {"10,0", "10,0", "10,0", "30,0", "2,4,6,12", "1,3,5,9", "7,2,8,17"});
    Training r;
    r.w.gen = "10";
    r.w.pop = "6";
    r.train(9);
    ASSERT_EQ(r.ui.boxes().size(), 1u);
    EXPECT_EQ(r.ui.box_texts()[0].find("Output node"), std::string::npos);
    const LoadedNet net = load_net("neural.net");
    const TrainingSet set = read_training_file("train.dat", net.shape, 3);
    EXPECT_EQ(r.w.details, output_errors_text(output_errors(net.weights, set, net.shape, 3)));
    EXPECT_EQ(r.w.details.rfind("Output node 1: root mean square error ", 0), 0u);
}

}  // namespace
}  // namespace tvx
