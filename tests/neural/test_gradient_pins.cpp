// Gradient trainings pinned end to end, as the training pins pin Genetic and
// Agoric: four trainings through the creation window's Train, each on its
// own training file and with the draws the command line takes in a fresh
// process (the application's generator from its seed), must write the same
// network file, byte for byte, and leave the same average error, to the
// last bit, on every instruction set. The four take each road the training
// has: Levenberg-Marquardt alone with the growing of networks (a constant
// input), both methods from more than twenty starts, L-BFGS alone, and the
// screening that halves the starts where the pool costs too much.
//
// The figures were recorded with `tarvenix-cli train --gradient ... --json`
// from the build before the training was split into its present files and
// its tuning gathered into GradientSettings; they are a record of what that
// build wrote, not reference values: a changed weight, draw or choice
// anywhere in the training shows here.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/random.h"
#include "neural/create_window.h"
#include "pricing/testing.h"
#include "support/neural_fixture.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

std::string row_text(const std::vector<double>& values) {
    std::string line;
    for (const double v : values) line += (line.empty() ? "" : ",") + std::to_string(v);
    return line + "\r\n";
}

struct GradientPin {
    const char* name;
    int nin, nout, nhidden, examples, iterations, population;
    std::vector<std::string> ranges;
    std::function<std::vector<double>(int k)> example;  // the k-th example's inputs, then targets
    std::size_t size;
    std::uint64_t hash;
    double average_error;
};

std::vector<GradientPin> gradient_pins() {
    const auto ranges = [](int inputs, int outputs) {
        std::vector<std::string> r(static_cast<std::size_t>(inputs), "10,-1");
        r.insert(r.end(), static_cast<std::size_t>(outputs), "1,0");
        return r;
    };
    return {
        // A step beside a constant input.
        {"grow",
         2,
         1,
         5,
         20,
         300,
         4,
         {"20,-1", "2,0", "3,0"},
         [](int k) {
             return std::vector<double>{double(k), 1.0, (k < 10 ? 0.5 : 2.5) + (k % 3) / 10.0};
         },
         321,
         13953327954882554761ull,
         0.011865289222719356},
        {"both", 3, 2, 4, 30, 60, 21, ranges(3, 2),
         [](int k) {
             const double a = (k * 37 % 91) / 10.0, b = (k * 53 % 83) / 10.0;
             return std::vector<double>{a, b, 0.2 + k % 7, 0.1 + 0.8 * (a + b) / 20.0, 0.05 + 0.09 * (k % 10)};
         },
         436, 11087822656912286217ull, 0.10340816106997948},
        {"lbfgs", 5, 2, 12, 40, 100, 6, ranges(5, 2),
         [](int k) {
             std::vector<double> x;
             for (int i = 0; i < 5; ++i) x.push_back(((k * (7 + 2 * i) + i * 11) % 97) / 10.0);
             x.insert(x.end(), {0.1 + 0.008 * (k * 29 % 100), 0.2 + 0.006 * (k * k % 100)});
             return x;
         },
         1705, 14763819945349207056ull, 0.19405972150876855},
        {"halve", 5, 1, 10, 60, 100, 4, ranges(5, 1),
         [](int k) {
             std::vector<double> x;
             for (int i = 0; i < 5; ++i) x.push_back(((k * (3 + 4 * i) + i * 5) % 89) / 10.0);
             x.push_back(0.1 + 0.008 * ((k * 31 + 7) % 100));
             return x;
         },
         1181, 9618517100071213644ull, 0.016253709514142182},
    };
}

std::uint64_t fnv1a(const std::string& bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (const unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return h;
}

TEST(GradientPins, FourTrainingsWriteTheRecordedNetworksOnEveryBuild) {
    for (const std::int64_t build : mc_simd_targets()) {
        mc_force_simd_target(build);
        for (const GradientPin& pin : gradient_pins()) {
            test::ScratchDir dir;
            std::string text;
            for (const std::string& r : pin.ranges) text += r + "\r\n";
            for (int k = 0; k < pin.examples; ++k) text += row_text(pin.example(k));
            dir.write_raw("pin.dat", text);
            CreateWindow w{.inputbox = std::to_string(pin.nin),
                           .outputbox = std::to_string(pin.nout),
                           .hidden = std::to_string(pin.nhidden),
                           .ifile1 = "pin.dat",
                           .examples = std::to_string(pin.examples),
                           .ofile1 = "pin.net",
                           .gen = std::to_string(pin.iterations),
                           .pop = std::to_string(pin.population),
                           .Option1 = false,
                           .Option3 = true};
            auto generator = std::make_shared<Mt19937>(250);  // the application's, as a fresh process has it
            Pmeter pm;
            test::RecordingUi ui;
            TrainingResult result;
            Command1_Click(
                w, pm, ui, [generator] { return uniform_of((*generator)()); }, &result);
            const std::string file = dir.read("pin.net");
            const std::string where = std::string(mc_simd_target()) + ", " + pin.name;
            EXPECT_EQ(file.size(), pin.size) << where;
            EXPECT_EQ(fnv1a(file), pin.hash) << where << ":\n" << file;
            EXPECT_EQ(result.average_error, pin.average_error) << where;
        }
    }
    mc_force_simd_target(0);
}

}  // namespace
}  // namespace tvx
