// The creation window's Train and Cancel commands, headless.
#include <gtest/gtest.h>

#include "neural/create_window.h"
#include "neural/files.h"
#include "neural/network_file.h"
#include "support/neural_fixture.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

using test::RecordingUi;
using test::ScratchDir;
using test::UiEvent;

constexpr const char* kGeneric =
    "There has been an error generated in the program. Please check your input values and try again.";
constexpr const char* kDone = "Evolution complete, average error remaining is ";

// Three inputs, one output, three examples, ranges wider than the data.
void write_train(const ScratchDir& dir, const std::string& name = "train.dat") {
    dir.write(name, {"10,0", "10,0", "10,0", "1,0", "2,4,6,0.5", "3,5,7,0.4", "1,1,1,0.1"});
}

struct Train {
    CreateWindow w;
    Pmeter pm;
    RecordingUi ui;
    Train() {
        w.gen = "20";
        w.pop = "8";
    }
    void run() { Command1_Click(w, pm, ui, test::repeatable(11)); }
};

TEST(Train, DefaultsWriteTheTwentyThreeLineNetworkAndReportItsError) {
    ScratchDir dir;
    write_train(dir);
    Train t;
    t.run();
    ASSERT_EQ(t.ui.boxes().size(), 1u);
    const std::string text = t.ui.box_texts()[0];
    ASSERT_EQ(text.rfind(kDone, 0), 0u);
    EXPECT_EQ(t.ui.boxes()[0].icon, Icon::None);

    // 3 counts + 2*3 + 2*1 ranges + (3+1)*3 weights, every line CR LF.
    const std::string file = dir.read("neural.net");
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 23);
    EXPECT_EQ(std::count(file.begin(), file.end(), '\r'), 23);
    const std::string head = " 3\r\n 3\r\n 1\r\n 10\r\n 0\r\n 10\r\n 0\r\n";
    EXPECT_EQ(file.substr(0, head.size()), head);
    // The reported error is that of the network in the file.
    const LoadedNet net = load_net("neural.net");
    const TrainingSet set = read_training_file("train.dat", net.shape, 3);
    const double reported = std::stod(text.substr(std::string(kDone).size()));
    EXPECT_NEAR(reported, fitness(net.weights, set.exemplar, net.shape, 3), 1e-13);

    EXPECT_EQ(t.ui.count(UiEvent::Kind::Show, Window::Pmeter), 1);
    EXPECT_EQ(t.ui.count(UiEvent::Kind::Hide, Window::Pmeter), 1);
    EXPECT_EQ(t.ui.count(UiEvent::Kind::Hide, Window::Neural1), 1);
    EXPECT_EQ(t.ui.pointer, Pointer::Normal);
    EXPECT_TRUE(t.w.Command1_enabled);
    EXPECT_EQ(t.w.pop, "8");            // hidden, not unloaded: the texts stay
    EXPECT_EQ(dir.names().size(), 2u);  // no temporary file left
}

TEST(Train, AUsersFileNamedAfterTheNetworkFileSurvivesSuccessAndFailure) {
    ScratchDir dir;
    write_train(dir);
    dir.write_raw("neural.net.tmp", "mine\r\n");
    dir.write_raw("outdir.tmp", "mine too\r\n");
    std::filesystem::create_directory(dir.path() / "outdir");
    Train ok;
    ok.run();
    EXPECT_EQ(ok.ui.box_texts()[0].rfind(kDone, 0), 0u);
    Train failed;
    failed.w.ofile1 = "outdir";
    failed.run();
    EXPECT_EQ(failed.ui.box_texts(), (std::vector<std::string>{kGeneric}));
    EXPECT_EQ(dir.read("neural.net.tmp"), "mine\r\n");
    EXPECT_EQ(dir.read("outdir.tmp"), "mine too\r\n");
    EXPECT_EQ(dir.names().size(), 5u);  // train.dat, neural.net, outdir and the two
}

TEST(Train, AgoricWritesTheNetworkToo) {
    ScratchDir dir;
    write_train(dir);
    Train t;
    t.w.Option1 = false;
    t.w.ofile1 = "agoric.net";
    t.run();
    ASSERT_EQ(t.ui.boxes().size(), 1u);
    EXPECT_EQ(t.ui.box_texts()[0].rfind(kDone, 0), 0u);
    EXPECT_EQ(load_net("agoric.net").weights.size(), 12u);
}

TEST(Train, EveryCheckFailsInTableOrderThenTheFileTestThenTheWindowHides) {
    ScratchDir dir;
    Train t;
    t.w.pop = "3";
    t.w.gen = "3";
    t.w.hidden = "16";
    t.w.outputbox = "0";
    t.w.inputbox = "11";
    t.w.examples = "0";
    t.w.ifile1 = "absent.dat";
    t.run();
    EXPECT_EQ(t.ui.box_texts(), (std::vector<std::string>{
                                    "Error: Population size must be four or greater",
                                    "Error: Number of generations must be four or greater",
                                    "Error: Number of hidden layer nodes must be between 1 and 15",
                                    "Error: Number of output layer nodes must be between 1 and 4",
                                    "Error: Number of input layer nodes must be between 1 and 10",
                                    "Error: Number of examples must be positive",
                                    "Error: File not found",
                                }));
    for (std::size_t k = 0; k < 6; ++k) EXPECT_EQ(t.ui.boxes()[k].icon, Icon::Exclamation);
    EXPECT_EQ(t.ui.boxes()[6].icon, Icon::Critical);
    EXPECT_EQ(t.ui.count(UiEvent::Kind::Hide, Window::Neural1), 1);
    EXPECT_FALSE(t.ui.shown(Window::Pmeter));
    EXPECT_EQ(t.ui.pointer, Pointer::Normal);
}

TEST(Train, TwoFailedChecksWithAnExistingFileCloseWithoutTraining) {
    ScratchDir dir;
    write_train(dir);
    Train t;
    t.w.pop = "3";
    t.w.hidden = "20";
    t.run();
    EXPECT_EQ(t.ui.box_texts(), (std::vector<std::string>{
                                    "Error: Population size must be four or greater",
                                    "Error: Number of hidden layer nodes must be between 1 and 15",
                                }));
    EXPECT_EQ(t.ui.count(UiEvent::Kind::Hide, Window::Neural1), 1);
    EXPECT_FALSE(t.ui.shown(Window::Pmeter));
    EXPECT_EQ(dir.names().size(), 1u);
}

TEST(Train, SmallestAndLargestAcceptedValues) {
    ScratchDir dir;
    // Ten inputs and four outputs in 0..10, one example of 5s.
    std::string text;
    for (int k = 0; k < 14; ++k) text += "10,0\r\n";
    text += "5,5,5,5,5,5,5,5,5,5,5,5,5,5\r\n";
    dir.write_raw("big.dat", text);
    Train t;
    t.w.pop = "4";
    t.w.gen = "4";
    t.w.hidden = "15";
    t.w.outputbox = "4";
    t.w.inputbox = "10";
    t.w.examples = "1";
    t.w.ifile1 = "big.dat";
    t.run();
    ASSERT_EQ(t.ui.boxes().size(), 1u);
    EXPECT_EQ(t.ui.box_texts()[0].rfind(kDone, 0), 0u);
    EXPECT_EQ(load_net("neural.net").weights.size(), 14u * 15u);
}

TEST(Train, AMissingTrainingFileClosesTheWindow) {
    ScratchDir dir;
    Train t;
    t.run();
    EXPECT_EQ(t.ui.box_texts(), (std::vector<std::string>{"Error: File not found"}));
    EXPECT_EQ(t.ui.count(UiEvent::Kind::Hide, Window::Neural1), 1);
    EXPECT_EQ(t.ui.pointer, Pointer::Normal);
}

TEST(Train, TrainingFileValidationKeepsTheWindowOpen) {
    ScratchDir dir;
    dir.write("order.dat", {"10,0", "5,5", "10,0", "1,0", "2,4,6,0.5", "3,5,7,0.4", "1,1,1,0.1"});
    dir.write("range.dat", {"10,0", "10,0", "10,0", "1,0", "2,4,6,0.5", "3,5,7,1", "0,1,1,0.1"});
    const std::vector<std::pair<std::string, std::string>> cases{
        {"order.dat", "Input error: Maximum must be greater than minimum"},
        {"range.dat", "Error: Training examples do not lie in correct range"},
    };
    for (const auto& [file, message] : cases) {
        Train t;
        t.w.ifile1 = file;
        t.run();
        EXPECT_EQ(t.ui.box_texts(), (std::vector<std::string>{message}));
        EXPECT_EQ(t.ui.boxes()[0].icon, Icon::Exclamation);
        EXPECT_EQ(t.ui.count(UiEvent::Kind::Hide, Window::Neural1), 0);
        EXPECT_EQ(t.ui.pointer, Pointer::Normal);
        EXPECT_FALSE(t.ui.shown(Window::Pmeter));
    }
    EXPECT_EQ(dir.names().size(), 2u);
}

TEST(Train, FaultsGiveTheWindowsGenericMessageAndKeepItOpen) {
    ScratchDir dir;
    write_train(dir);
    dir.write("short.dat", {"10,0", "10,0", "10,0", "1,0", "2,4,6,0.5"});
    dir.write("comma.dat", {"10,0", "10 0", "10,0", "1,0", "2,4,6,0.5", "3,5,7,0.4", "1,1,1,0.1"});
    struct Case {
        const char* what;
        void (*set)(CreateWindow&);
    };
    const std::vector<Case> cases{
        {"empty examples box", [](CreateWindow& w) { w.examples = ""; }},
        {"text in a count", [](CreateWindow& w) { w.hidden = "three"; }},
        {"16-bit count", [](CreateWindow& w) { w.pop = "40000"; }},
        {"16-bit size", [](CreateWindow& w) { w.examples = "8192"; }},  // 4 * 8192 = 32768
        {"too few example lines", [](CreateWindow& w) { w.ifile1 = "short.dat"; }},
        {"range line without a comma", [](CreateWindow& w) { w.ifile1 = "comma.dat"; }},
        {"agoric supply",
         [](CreateWindow& w) {
             w.Option1 = false;
             w.pop = "656";
         }},
        {"genetic error list", [](CreateWindow& w) { w.pop = "16384"; }},  // 2P = 32768
        {"network file cannot be made", [](CreateWindow& w) { w.ofile1 = "absent/neural.net"; }},
    };
    for (const Case& c : cases) {
        Train t;
        c.set(t.w);
        t.run();
        EXPECT_EQ(t.ui.box_texts(), (std::vector<std::string>{kGeneric})) << c.what;
        EXPECT_EQ(t.ui.boxes().back().icon, Icon::Critical) << c.what;
        EXPECT_EQ(t.ui.count(UiEvent::Kind::Hide, Window::Neural1), 0) << c.what;
        EXPECT_EQ(t.ui.pointer, Pointer::Normal) << c.what;
        EXPECT_TRUE(t.w.Command1_enabled) << c.what;
        // Only a count that is no number has a field to point at.
        const bool text = t.w.examples.empty() || t.w.hidden == "three";
        EXPECT_EQ(t.ui.events.back().kind == UiEvent::Kind::Focus, text) << c.what;
        if (text) {
            EXPECT_EQ(t.ui.events.back().text, t.w.examples.empty() ? "examples" : "hidden");
        }
    }
    EXPECT_EQ(dir.names().size(), 3u);
}

TEST(Train, ARangeOf1e200TrainsAndReportsItsErrorsInTheFilesUnits) {
    // One input, hidden and output node, one example; the output's range
    // spans 2e200, so an error squared in the file's units overflows. The
    // training completes, its report is finite, and only then is the old
    // network file replaced.
    ScratchDir dir;
    dir.write("t.dat", {"1,0", "1e200,-1e200", "0.5,1e199"});
    dir.write_raw("neural.net", "an earlier network\r\n");
    Train t;
    t.w.inputbox = t.w.outputbox = t.w.hidden = t.w.examples = "1";
    t.w.gen = t.w.pop = "4";
    t.w.ifile1 = "t.dat";
    t.run();
    ASSERT_EQ(t.ui.boxes().size(), 1u);
    EXPECT_EQ(t.ui.box_texts()[0].rfind(kDone, 0), 0u);
    const LoadedNet net = load_net("neural.net");
    EXPECT_EQ(net.ranges.out_max, std::vector<double>{1e200});
    // The one error is at most the whole range, and both figures are it.
    const std::string prefix = "Output node 1: root mean square error ";
    ASSERT_EQ(t.w.details.rfind(prefix, 0), 0u) << t.w.details;
    const std::string rms = t.w.details.substr(prefix.size(), t.w.details.find(',') - prefix.size());
    EXPECT_LE(std::stod(rms), 2e200);
    EXPECT_NE(t.w.details.find("largest " + rms + " "), std::string::npos) << t.w.details;
}

TEST(Train, CancelLeavesAnExistingNetworkFileUntouched) {
    ScratchDir dir;
    write_train(dir);
    dir.write_raw("neural.net", "an earlier network\r\n");
    Train t;
    t.ui.on_yield = [&](int) {
        if (t.pm.pbar_value == 2) Command1_Click(static_cast<ProgressWindow&>(t.pm));
    };
    t.run();
    EXPECT_TRUE(t.ui.boxes().empty());
    EXPECT_EQ(dir.read("neural.net"), "an earlier network\r\n");
    EXPECT_EQ(dir.names().size(), 2u);
    EXPECT_EQ(t.ui.count(UiEvent::Kind::Hide, Window::Pmeter), 1);
    EXPECT_EQ(t.ui.count(UiEvent::Kind::Hide, Window::Neural1), 1);
    EXPECT_EQ(t.ui.pointer, Pointer::Normal);
}

TEST(Train, ACancelInTheLastWaitStillCounts) {
    ScratchDir dir;
    write_train(dir);
    Train t;
    t.w.gen = "4";
    t.ui.on_yield = [&](int) {
        if (t.pm.pbar_value == 4) Command1_Click(static_cast<ProgressWindow&>(t.pm));
    };
    t.run();
    EXPECT_TRUE(t.ui.boxes().empty());
    EXPECT_EQ(dir.names().size(), 1u);
}

TEST(Train, TrainIsDisabledWhileRunningAndASecondClickDoesNothing) {
    ScratchDir dir;
    write_train(dir);
    Train t;
    bool disabled = false;
    int nested_boxes = -1;
    t.ui.on_yield = [&](int) {
        if (nested_boxes >= 0) return;
        disabled = !t.w.Command1_enabled;
        const std::size_t before = t.ui.boxes().size();
        Command1_Click(t.w, t.pm, t.ui, test::repeatable(1));
        nested_boxes = static_cast<int>(t.ui.boxes().size() - before);
    };
    t.run();
    EXPECT_TRUE(disabled);
    EXPECT_EQ(nested_boxes, 0);
    EXPECT_EQ(t.ui.boxes().size(), 1u);
    EXPECT_TRUE(t.w.Command1_enabled);
}

TEST(Train, ClosingTheWindowDuringARunCancelsItAndWritesNothing) {
    ScratchDir dir;
    write_train(dir);
    Train t;
    t.w.inputbox = "3.0";
    t.ui.on_yield = [&](int) {
        if (t.pm.pbar_value == 1) Command2_Click(t.w, t.pm, t.ui);
    };
    t.run();
    EXPECT_TRUE(t.ui.boxes().empty());
    EXPECT_EQ(dir.names().size(), 1u);
    EXPECT_EQ(t.ui.count(UiEvent::Kind::Unload, Window::Neural1), 1);
    EXPECT_EQ(t.w.inputbox, "3");  // back to its defaults
    EXPECT_FALSE(t.w.running);
    EXPECT_EQ(t.ui.pointer, Pointer::Normal);
}

TEST(Train, CancelOutsideARunClosesWithDefaults) {
    Train t;
    t.w.ifile1 = "mine.dat";
    Command2_Click(t.w, t.pm, t.ui);
    EXPECT_EQ(t.ui.count(UiEvent::Kind::Unload, Window::Neural1), 1);
    EXPECT_EQ(t.w.ifile1, "train.dat");
    EXPECT_EQ(t.pm.kill, 0);
}

TEST(Train, CountsRoundToTheNearestWithTiesToEven) {
    // "2.5" and "1.5" round to 2, "4.5" to 4.
    ScratchDir dir;
    write_train(dir);
    Train t;
    t.w.inputbox = "2.5";   // 2: reads the first two ranges as inputs
    t.w.outputbox = "1.5";  // 2
    t.w.pop = "4.5";        // 4: accepted
    t.run();
    // Range lines 10,0 10,0 | 10,0 1,0 and examples of 4 values: valid.
    ASSERT_EQ(t.ui.boxes().size(), 1u);
    EXPECT_EQ(t.ui.box_texts()[0].rfind(kDone, 0), 0u);
    EXPECT_EQ(load_net("neural.net").shape.nout, 2);
}

}  // namespace
}  // namespace tvx
