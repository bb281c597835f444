// Whole trainings pinned end to end: a genetic and an agoric run through the
// creation window's Train, on a fixed training file and a fixed stream of
// draws, must write exactly the same network file, byte for byte, from
// build to build and on every instruction set. The pinned length and
// FNV-1a hash are a record of the file this program wrote when they were
// last set (not a reference value): a change in any weight's last printed
// digit, or in a single selection, shows here.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "neural/create_window.h"
#include "pricing/testing.h"
#include "support/neural_fixture.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

// Four inputs, two outputs, 37 examples (not a multiple of any vector
// width) from smooth functions of a counter, inside ranges wider than the
// data.
void write_pin_training(const test::ScratchDir& dir) {
    std::string text = "10,0\r\n10,0\r\n10,0\r\n10,0\r\n1,0\r\n1,0\r\n";
    for (int k = 0; k < 37; ++k) {
        const double a = 0.5 + (k * 37 % 91) / 10.0, b = 1.0 + (k * 53 % 83) / 10.0;
        const double c = 0.2 + (k % 7), d = 9.5 - (k * 13 % 89) / 10.0;
        const double y1 = 0.1 + 0.8 * (a + b) / 20.0, y2 = 0.05 + 0.09 * (k % 10);
        text += std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," + std::to_string(d) + "," +
                std::to_string(y1) + "," + std::to_string(y2) + "\r\n";
    }
    dir.write_raw("pin.dat", text);
}

std::uint64_t fnv1a(const std::string& bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (const unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return h;
}

std::string train(bool genetic) {
    test::ScratchDir dir;
    write_pin_training(dir);
    CreateWindow w{.inputbox = "4",
                   .outputbox = "2",
                   .hidden = "6",
                   .ifile1 = "pin.dat",
                   .examples = "37",
                   .ofile1 = "pin.net",
                   .gen = genetic ? "40" : "25",
                   .pop = "12",
                   .Option1 = genetic};
    Pmeter pm;
    test::RecordingUi ui;
    Command1_Click(w, pm, ui, test::repeatable(29));
    EXPECT_EQ(ui.boxes().size(), 1u);
    return dir.read("pin.net");
}

struct Pin {
    bool genetic;
    std::size_t size;
    std::uint64_t hash;
};

TEST(TrainingPins, GeneticAndAgoricTrainingsWriteThePinnedFileOnEveryBuild) {
    const Pin pins[] = {{true, 783, 12688421029350816680ull}, {false, 781, 15911862283982334564ull}};
    for (const std::int64_t build : mc_simd_targets()) {
        mc_force_simd_target(build);
        for (const Pin& pin : pins) {
            const std::string file = train(pin.genetic);
            EXPECT_EQ(file.size(), pin.size) << mc_simd_target() << (pin.genetic ? ", genetic" : ", agoric");
            EXPECT_EQ(fnv1a(file), pin.hash) << mc_simd_target() << (pin.genetic ? ", genetic" : ", agoric") << ":\n"
                                             << file;
        }
    }
    mc_force_simd_target(0);
}

}  // namespace
}  // namespace tvx
