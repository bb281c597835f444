// The training-example file: layout, checks, scaling, line endings, and the
// existence test.
#include <gtest/gtest.h>

#include <optional>

#include "core/fault.h"
#include "neural/files.h"
#include "neural/network_file.h"
#include "support/decimal_comma.h"
#include "support/neural_fixture.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

using test::RecordingUi;
using test::ScratchDir;
using Outcome = TrainingSet::Outcome;

const NetShape kThreeOne{3, 3, 1};

TEST(TrainingFile, ReadsRangesAndScalesExamplesInNodeOrder) {
    ScratchDir dir;
    dir.write("train.dat", {"10,0", "8,0", "20, -20", "1,0", "2,4,6,0.5", "5,2,-10,0.25"});
    const TrainingSet set = read_training_file("train.dat", kThreeOne, 2);
    ASSERT_EQ(set.outcome, Outcome::Read);
    EXPECT_EQ(set.ranges.in_max, (std::vector<double>{10, 8, 20}));
    EXPECT_EQ(set.ranges.in_min, (std::vector<double>{0, 0, -20}));
    EXPECT_EQ(set.ranges.out_max, (std::vector<double>{1}));
    EXPECT_EQ(set.ranges.out_min, (std::vector<double>{0}));
    // (v - min) / (max - min): inputs 2, 4, 6 and target 0.5, then 5, 2, -10, 0.25.
    const std::vector<double> expected{0.2, 0.5, 0.65, 0.5, 0.5, 0.25, 0.25, 0.25};
    ASSERT_EQ(set.exemplar.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_DOUBLE_EQ(set.exemplar[k], expected[k]) << k;
}

TEST(TrainingFile, LfOnlyLinesReadLikeCrLf) {
    ScratchDir dir;
    dir.write("crlf.dat", {"10,0", "10,0", "10,0", "1,0", "2,4,6,0.5"}, "\r\n");
    dir.write("lf.dat", {"10,0", "10,0", "10,0", "1,0", "2,4,6,0.5"}, "\n");
    dir.write_raw("noend.dat", "10,0\n10,0\n10,0\n1,0\n2,4,6,0.5");
    const TrainingSet a = read_training_file("crlf.dat", kThreeOne, 1);
    EXPECT_EQ(a.exemplar, read_training_file("lf.dat", kThreeOne, 1).exemplar);
    EXPECT_EQ(a.exemplar, read_training_file("noend.dat", kThreeOne, 1).exemplar);
}

TEST(TrainingFile, MaximumMustExceedMinimumOnEveryRangeLine) {
    ScratchDir dir;
    dir.write("a.dat", {"0,10", "10,0", "10,0", "1,0", "2,4,6,0.5"});
    dir.write("b.dat", {"10,0", "10,0", "10,0", "5,5", "2,4,6,0.5"});
    EXPECT_EQ(read_training_file("a.dat", kThreeOne, 1).outcome, Outcome::RangeOrder);
    EXPECT_EQ(read_training_file("b.dat", kThreeOne, 1).outcome, Outcome::RangeOrder);
    // Reported before the examples are read: a malformed example line does
    // not matter then.
    dir.write("c.dat", {"0,10", "10,0", "10,0", "1,0", "garbage"});
    EXPECT_EQ(read_training_file("c.dat", kThreeOne, 1).outcome, Outcome::RangeOrder);
}

TEST(TrainingFile, ValuesOnABoundAreOutOfRange) {
    ScratchDir dir;
    dir.write("min.dat", {"10,0", "10,0", "10,0", "1,0", "0,4,6,0.5"});
    dir.write("max.dat", {"10,0", "10,0", "10,0", "1,0", "2,4,6,1"});
    dir.write("out.dat", {"10,0", "10,0", "10,0", "1,0", "2,4,16,0.5"});
    EXPECT_EQ(read_training_file("min.dat", kThreeOne, 1).outcome, Outcome::OutOfRange);
    EXPECT_EQ(read_training_file("max.dat", kThreeOne, 1).outcome, Outcome::OutOfRange);
    EXPECT_EQ(read_training_file("out.dat", kThreeOne, 1).outcome, Outcome::OutOfRange);
}

TEST(TrainingFile, LinesAfterTheExamplesAreNeverRead) {
    ScratchDir dir;
    dir.write("train.dat", {"10,0", "10,0", "10,0", "1,0", "2,4,6,0.5", "not, a, number"});
    EXPECT_EQ(read_training_file("train.dat", kThreeOne, 1).outcome, Outcome::Read);
}

// Files keep the point under a desktop locale with a decimal comma too:
// "10,0,1" is never a range of 10 and 0.1, nor is " 0,5" a weight of 0.5.
class Malformed : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(TrainingFile, Malformed, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "UnderADecimalComma" : "UnderAPoint"; });

TEST_P(Malformed, FilesAreRunTimeErrors) {
    std::optional<DecimalCommaLocale> comma;
    if (GetParam()) comma.emplace();
    ScratchDir dir;
    dir.write_raw("comma.net", "1\r\n1\r\n1\r\n1\r\n0\r\n1\r\n0\r\n 0,5\r\n 0.5\r\n");
    EXPECT_THROW(load_net("comma.net"), RuntimeError);
    dir.write_raw("point.net", "1\r\n1\r\n1\r\n1\r\n0\r\n1\r\n0\r\n 0.5\r\n 0.5\r\n");
    EXPECT_EQ(load_net("point.net").weights, (std::vector<double>{0.5, 0.5}));
    const std::vector<std::vector<std::string>> bad{
        {"10,0", "10,0", "10,0", "1,0", "2,4,6,0.5"},                 // one example line short (nexem 2)
        {"10,0", "10 0", "10,0", "1,0", "2,4,6,0.5", "2,4,6,0.5"},    // range line without a comma
        {"10,0", "10,0,1", "10,0", "1,0", "2,4,6,0.5", "2,4,6,0.5"},  // a second comma in the minimum
        {"10,0", "10,0", "10,0", "1,0", "2,4,6", "2,4,6,0.5"},        // too few commas
        {"10,0", "10,0", "10,0", "1,0", "2,4,6,0.5,7", "2,4,6,0.5"},  // last part holds two numbers
        {"10,0", "10,0", "10,0", "1,0", "2,x,6,0.5", "2,4,6,0.5"},    // not a number
        {"10,0", "10,0", "10,0"},                                     // ranges cut short
    };
    for (std::size_t k = 0; k < bad.size(); ++k) {
        std::string text;
        for (const auto& l : bad[k]) text += l + "\r\n";
        dir.write_raw("bad.dat", text);
        EXPECT_THROW(read_training_file("bad.dat", kThreeOne, 2), RuntimeError) << k;
    }
    EXPECT_THROW(read_training_file("absent.dat", kThreeOne, 2), RuntimeError);
}

TEST(IsFile, RelativeNamesLookInTheWorkingDirectoryAbsoluteNamesAsTheyAre) {
    ScratchDir dir;
    dir.write("here.dat", {"1"});
    std::filesystem::create_directory(dir.path() / "sub");
    dir.write("sub/there.dat", {"1"});
    RecordingUi ui;
    EXPECT_EQ(IsFile("here.dat", ui), 0);
    EXPECT_EQ(IsFile("sub/there.dat", ui), 0);
    EXPECT_EQ(IsFile(dir.file("sub/there.dat"), ui), 0);
    EXPECT_TRUE(ui.events.empty());
    // The same name that IsFile accepts is the one that opens.
    EXPECT_EQ(resolve_file("sub/there.dat"), dir.path() / "sub/there.dat");
}

TEST(IsFile, MissingFilesFoldersAndTheEmptyNameAreReported) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "sub");
    RecordingUi ui;
    EXPECT_EQ(IsFile("absent.dat", ui), 1);
    EXPECT_EQ(IsFile("sub", ui), 1);
    EXPECT_EQ(IsFile("", ui), 1);
    ASSERT_EQ(ui.boxes().size(), 3u);
    for (const auto& b : ui.boxes()) {
        EXPECT_EQ(b.text, "Error: File not found");
        EXPECT_EQ(b.icon, Icon::Critical);
        EXPECT_EQ(b.title, "Tarvenix");
    }
}

}  // namespace
}  // namespace tvx
