// The trainings' draws and the simulations' draws come from separate
// generator states.
#include <gtest/gtest.h>

#include <vector>

#include "pricing/random.h"

namespace tvx {
namespace {

std::vector<double> three_simulation_draws() {
    reset_uniform();
    return {uniform(), uniform(), uniform()};
}

TEST(Draws, TrainingDrawsLeaveTheSimulationStreamAlone) {
    const std::vector<double> alone = three_simulation_draws();
    reset_uniform();
    const double first = uniform();
    for (int k = 0; k < 1000; ++k) application_uniform();  // a training meanwhile
    EXPECT_EQ(first, alone[0]);
    EXPECT_EQ(uniform(), alone[1]);
    EXPECT_EQ(uniform(), alone[2]);
}

TEST(Draws, ASimulationResetDoesNotRestartTheTrainingStream) {
    std::vector<double> a, b;
    reset_uniform();
    for (int k = 0; k < 8; ++k) a.push_back(application_uniform());
    reset_uniform();
    for (int k = 0; k < 8; ++k) b.push_back(application_uniform());
    EXPECT_NE(a, b);  // eight equal single-precision draws by chance: about 2^-192
    for (double u : a) EXPECT_TRUE(u >= 0.0 && u < 1.0);
}

}  // namespace
}  // namespace tvx
