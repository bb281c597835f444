// The prediction window's Predict and Cancel commands, headless.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "core/fault.h"
#include "neural/network_file.h"
#include "neural/predict_window.h"
#include "support/neural_fixture.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

using test::RecordingUi;
using test::ScratchDir;
using test::UiEvent;

constexpr const char* kGeneric = "There has been an error in the program. Please check your input and try again.";

// One node per layer, input range 0..10, output range 0..100, weights 2, 3.
void write_one_one_one(const ScratchDir& dir, const std::string& eol = "\r\n") {
    dir.write("neural.net", {"1", "1", "1", "10", "0", "100", "0", "2", "3"}, eol);
}

struct Predict {
    PredictWindow w;
    RecordingUi ui;
    void run() { Command1_Click(w, ui); }
};

TEST(Predict, OneNodePerLayer) {
    // Scaled input 0.5; hidden tanh(0.5) = 0.46211715726; output
    // tanh(0.69317573589) = 0.60001827509; 100 * that = 60.0018.
    ScratchDir dir;
    write_one_one_one(dir);
    Predict p;
    p.w.Text[0] = "5";
    p.run();
    ASSERT_EQ(p.ui.box_texts(), (std::vector<std::string>{"The output for node 1 is 60.0018\r"}));
    EXPECT_EQ(p.ui.boxes()[0].icon, Icon::None);
    EXPECT_EQ(p.ui.boxes()[0].title, "Tarvenix");
    EXPECT_EQ(p.ui.events[0].kind, UiEvent::Kind::InputBox);
    EXPECT_EQ(p.ui.events[0].text, "Enter the filename of the neural net below:|neural.net");
    EXPECT_EQ(p.ui.count(UiEvent::Kind::Unload, Window::Neural3), 1);  // closes after the result
    EXPECT_EQ(p.w.Text[0], "0.0");
    EXPECT_EQ(p.ui.pointer, Pointer::Normal);
}

TEST(Predict, LargeOutputRangesKeepTheirFourDecimals) {
    // The one-node example with the output range 0 .. 1e12:
    // 1e12 * 0.60001827509... = 600018275098.1285...
    ScratchDir dir;
    dir.write("neural.net", {"1", "1", "1", "10", "0", "1e12", "0", "2", "3"});
    Predict p;
    p.w.Text[0] = "5";
    p.run();
    EXPECT_EQ(p.ui.box_texts(), (std::vector<std::string>{"The output for node 1 is 600018275098.1285\r"}));
}

TEST(Predict, LfOnlyNetworkFilesAndBlanksAroundNumbersReadTheSame) {
    ScratchDir dir;
    dir.write("neural.net", {" 1", " 1 ", "1", " 10", " 0", " 100", " 0", " 2", " 3"}, "\n");
    Predict p;
    p.w.Text[0] = "5";
    p.run();
    EXPECT_EQ(p.ui.box_texts(), (std::vector<std::string>{"The output for node 1 is 60.0018\r"}));
}

TEST(Predict, WeightLayoutOfATwoTwoOneNetwork) {
    // The window's own example: "-0.1031".
    ScratchDir dir;
    dir.write("two.net", {"2", "2", "1", "1", "0", "1", "0", "1", "0", "1", "2", "3", "4", "1", "-1"});
    Predict p;
    p.ui.input_answers.push_back("two.net");
    p.w.Text[0] = "0.5";
    p.w.Text[1] = "0.25";
    p.run();
    EXPECT_EQ(p.ui.box_texts(), (std::vector<std::string>{"The output for node 1 is -0.1031\r"}));
}

TEST(Predict, ThreeOutputsNameTheirNodes) {
    // All weights 0: every output is 0 and shows its lower bound.
    ScratchDir dir;
    dir.write("three.net", {"1", "1", "3", "1", "0", "1", "0", "5", "2", "1", "-7.5", "0", "0", "0", "0"});
    Predict p;
    p.ui.input_answers.push_back("three.net");
    p.w.Text[0] = "0.5";
    p.run();
    EXPECT_EQ(p.ui.box_texts(), (std::vector<std::string>{"The output for node 1 is 0\r"
                                                          "The result for output node 2 is 2\r"
                                                          "The result for output node 3 is -7.5\r"}));
}

TEST(Predict, TheLowerBoundIsRejectedTheUpperAccepted) {
    ScratchDir dir;
    write_one_one_one(dir);
    Predict low;
    low.w.Text[0] = "0";
    low.run();
    EXPECT_EQ(low.ui.box_texts(), (std::vector<std::string>{"Error: Input values lie outside of range"}));
    EXPECT_EQ(low.ui.boxes()[0].icon, Icon::Exclamation);
    EXPECT_EQ(low.ui.count(UiEvent::Kind::Focus, Window::Neural3), 1);
    EXPECT_EQ(low.ui.events.back().text, "Text1");
    EXPECT_EQ(low.ui.count(UiEvent::Kind::Unload, Window::Neural3), 0);
    EXPECT_EQ(low.ui.pointer, Pointer::Normal);

    // Upper bound: scaled 1; output tanh(1.5 tanh(1)) = tanh(1.142409) * 100.
    Predict high;
    high.w.Text[0] = "10";
    high.run();
    ASSERT_EQ(high.ui.box_texts().size(), 1u);
    EXPECT_EQ(high.ui.box_texts()[0].rfind("The output for node 1 is 81.", 0), 0u);
}

TEST(Predict, TheDefaultFieldsFallOnALowerBoundOfZero) {
    ScratchDir dir;
    write_one_one_one(dir);
    Predict p;
    p.run();
    EXPECT_EQ(p.ui.box_texts(), (std::vector<std::string>{"Error: Input values lie outside of range"}));
}

TEST(Predict, TheFirstFailingInputStopsAndTakesTheFocus) {
    ScratchDir dir;
    dir.write("two.net", {"2", "2", "1", "1", "0", "1", "0", "1", "0", "1", "2", "3", "4", "1", "-1"});
    Predict p;
    p.ui.input_answers.push_back("two.net");
    p.w.Text[0] = "0.5";
    p.w.Text[1] = "3";
    p.run();
    EXPECT_EQ(p.ui.box_texts(), (std::vector<std::string>{"Error: Input values lie outside of range"}));
    EXPECT_EQ(p.ui.events.back().text, "Text2");
}

TEST(Predict, UnusedFieldsMustStillBeNumbersOrEmpty) {
    ScratchDir dir;
    write_one_one_one(dir);
    Predict empty;
    empty.w.Text[0] = "5";
    empty.w.Text[3] = "";
    empty.run();
    EXPECT_EQ(empty.ui.box_texts(), (std::vector<std::string>{"The output for node 1 is 60.0018\r"}));
    Predict bad;
    bad.w.Text[0] = "5";
    bad.w.Text[3] = "abc";
    bad.run();
    EXPECT_EQ(bad.ui.box_texts(), (std::vector<std::string>{kGeneric}));
    EXPECT_EQ(bad.ui.boxes()[0].icon, Icon::Critical);
    EXPECT_EQ(bad.ui.count(UiEvent::Kind::Unload, Window::Neural3), 0);
    // The field at fault takes the focus: the first with text that is no
    // number, empty fields passed over.
    EXPECT_EQ(bad.ui.events.back().kind, UiEvent::Kind::Focus);
    EXPECT_EQ(bad.ui.events.back().text, "Text4");
    Predict later;
    later.w.Text[0] = "";
    later.w.Text[6] = "x";
    later.w.Text[9] = "y";
    later.run();
    EXPECT_EQ(later.ui.events.back().text, "Text7");
}

TEST(Predict, AMissingFileGivesOnlyItsOwnMessage) {
    ScratchDir dir;
    for (int attempt = 0; attempt < 2; ++attempt) {
        Predict p;
        p.ui.input_answers.push_back("absent.net");
        p.run();
        EXPECT_EQ(p.ui.box_texts(), (std::vector<std::string>{"Error: File not found"}));
        EXPECT_EQ(p.ui.pointer, Pointer::Normal);
        EXPECT_EQ(p.ui.count(UiEvent::Kind::Unload, Window::Neural3), 0);
    }
}

TEST(Predict, CancellingTheQuestionEndsQuietly) {
    ScratchDir dir;
    write_one_one_one(dir);
    Predict p;
    p.w.Text[0] = "5";
    p.ui.input_answers.push_back(std::nullopt);
    p.run();
    EXPECT_TRUE(p.ui.boxes().empty());
    EXPECT_EQ(p.ui.pointer, Pointer::Normal);
    EXPECT_EQ(p.ui.count(UiEvent::Kind::Unload, Window::Neural3), 0);
    EXPECT_EQ(p.w.Text[0], "5");
}

TEST(Predict, EveryBadNetworkFileGivesTheGenericMessageTwiceAlike) {
    ScratchDir dir;
    const std::vector<std::vector<std::string>> bad{
        {"1", "1", "1", "10", "0", "100", "0", "2"},               // one weight short
        {"1", "1", "1", "10", "zero", "100", "0", "2", "3"},       // not a number
        {"40000", "1", "1", "10", "0", "100", "0", "2", "3"},      // not a 16-bit count
        {"11", "1", "1"},                                          // too many inputs
        {"1", "1", "5"},                                           // too many outputs
        {"1", "0", "1", "10", "0", "100", "0"},                    // no hidden node
        {"0", "1", "1", "100", "0", "1", "1"},                     // no input node
        {"1", "1", "1", "10", "10", "100", "0", "2", "3"},         // equal bounds
        {"1", "1", "1", "10", "0", "100", "0", "1e308", "1e308"},  // tanh overflows
        {"1", "1", "1", "10", "0", "1e300", "0", "2", "3"},        // beyond four-decimal rounding
    };
    for (std::size_t k = 0; k < bad.size(); ++k) {
        std::string text;
        for (const auto& l : bad[k]) text += l + "\r\n";
        dir.write_raw("neural.net", text);
        for (int attempt = 0; attempt < 2; ++attempt) {
            Predict p;
            p.w.Text[0] = "5";
            p.run();
            EXPECT_EQ(p.ui.box_texts(), (std::vector<std::string>{kGeneric})) << k;
            EXPECT_EQ(p.ui.pointer, Pointer::Normal);
        }
    }
}

TEST(Predict, CancelClosesTheWindowWithItsDefaults) {
    Predict p;
    p.w.Text[2] = "7";
    Command2_Click(p.w, p.ui);
    EXPECT_EQ(p.ui.count(UiEvent::Kind::Unload, Window::Neural3), 1);
    EXPECT_EQ(p.w.Text[2], "0.0");
}

TEST(NetworkFile, TextHasOneNumberPerCrLfLineWithABlankBeforeNonNegatives) {
    Ranges r;
    r.in_max = {10};
    r.in_min = {-0.5};
    r.out_max = {100};
    r.out_min = {0};
    const std::string text = network_text(NetShape{1, 1, 1}, r, {2.0 / 3.0, -3});
    EXPECT_EQ(text, " 1\r\n 1\r\n 1\r\n 10\r\n-0.5\r\n 100\r\n 0\r\n 0.666666666666667\r\n-3\r\n");
}

TEST(NetworkFile, WrittenThenLoadedGivesTheSameNetwork) {
    ScratchDir dir;
    Ranges r;
    r.in_max = {10, 3};
    r.in_min = {0, 1e-20};
    r.out_max = {1e20};
    r.out_min = {-4};
    const std::vector<double> w{0.1, 0.25, 0.123456789012345, 0.9, 0.5, 0.75, 0.001, 0.3};
    write_network_file("n.net", NetShape{2, 2, 1}, r, {w.begin(), w.begin() + 6});
    const LoadedNet net = load_net("n.net");
    EXPECT_EQ(net.shape.nin, 2);
    EXPECT_EQ(net.shape.nhidden, 2);
    EXPECT_EQ(net.shape.nout, 1);
    EXPECT_EQ(net.ranges.in_min[1], 1e-20);
    EXPECT_EQ(net.ranges.out_max[0], 1e20);
    EXPECT_EQ(net.weights, (std::vector<double>{w.begin(), w.begin() + 6}));
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"n.net"}));
}

TEST(NetworkFile, TheLargestDoublesAreWrittenSoThatTheyReadBack) {
    // The largest double, 1.7976931348623157e308, is 1.79769313486232E+308
    // to 15 digits, past it: a training file with it as a maximum would give
    // a network file no prediction could read. The text is the largest
    // 15-digit number below it instead, off by a few parts in 10^15 as any
    // 15-digit text is.
    ScratchDir dir;
    const double most = std::numeric_limits<double>::max();
    Ranges r{{most}, {-most}, {most}, {0}};
    write_network_file("n.net", NetShape{1, 1, 1}, r, {-most, most});
    const std::string text = dir.read("n.net");
    EXPECT_EQ(text.substr(12, 48), " 1.79769313486231E+308\r\n-1.79769313486231E+308\r\n");
    const LoadedNet net = load_net("n.net");
    EXPECT_EQ(net.ranges.in_max[0], 1.79769313486231e308);
    EXPECT_EQ(net.ranges.in_min[0], -1.79769313486231e308);
    EXPECT_EQ(net.weights, (std::vector<double>{-1.79769313486231e308, 1.79769313486231e308}));
}

TEST(NetworkFile, AFailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
    // The target is a folder: the rename over it fails.
    ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "n.net");
    dir.write("n.net/inside", {"kept"});
    Ranges r{{1}, {0}, {1}, {0}};
    EXPECT_THROW(write_network_file("n.net", NetShape{1, 1, 1}, r, {0.5, 0.5}), RuntimeError);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"n.net"}));
    EXPECT_EQ(dir.read("n.net/inside"), "kept\r\n");
    // A folder that does not exist, or no name at all: nothing is made anywhere.
    EXPECT_THROW(write_network_file("absent/n.net", NetShape{1, 1, 1}, r, {0.5, 0.5}), RuntimeError);
    EXPECT_THROW(write_network_file("", NetShape{1, 1, 1}, r, {0.5, 0.5}), RuntimeError);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"n.net"}));
}

TEST(NetworkFile, FilesOfTheUserBesideTheTargetAreNeverTouched) {
    // Files of the user's own under the name a temporary file once had,
    // beside a target that is written and beside one that cannot be.
    ScratchDir dir;
    dir.write_raw("n.net.tmp", "the user's own\r\n");
    dir.write_raw("outdir.tmp", "also the user's\r\n");
    std::filesystem::create_directory(dir.path() / "outdir");
    Ranges r{{1}, {0}, {1}, {0}};
    write_network_file("n.net", NetShape{1, 1, 1}, r, {0.5, 0.5});
    EXPECT_THROW(write_network_file("outdir", NetShape{1, 1, 1}, r, {0.5, 0.5}), RuntimeError);
    EXPECT_EQ(dir.read("n.net.tmp"), "the user's own\r\n");
    EXPECT_EQ(dir.read("outdir.tmp"), "also the user's\r\n");
    EXPECT_EQ(load_net("n.net").weights, (std::vector<double>{0.5, 0.5}));
    std::vector<std::string> names = dir.names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"n.net", "n.net.tmp", "outdir", "outdir.tmp"}));
}

}  // namespace
}  // namespace tvx
