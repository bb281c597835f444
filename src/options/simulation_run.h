// The valuations of one simulated computation, as the simulation route runs
// them, and the line that reports a simulated value's standard error.
#pragma once

#include <cstdint>
#include <string>

#include "options/compute.h"
#include "options/main_window.h"
#include "options/valuation.h"
#include "pricing/monte_carlo.h"

namespace tvx {

// The model flags and the correlation of the advanced preferences: itype 1
// when `srate` is checked, vtype 1 when `svol` is; rho converted from `cor`.
struct SimulationSetup {
    std::int16_t itype = 0;
    double rho = 0;
    std::int16_t vtype = 0;
};
SimulationSetup simulation_setup(const MainWindow& main);

// Every valuation replays the same draws, but the noise of a bumped
// valuation only cancels against the one it is compared with when both
// simulate the same pairs: left to its own stopping rule, a bumped run may
// take a batch more or less, and that difference divided by a thousandth of
// the input swamps the result (a Gamma of 5 where 0.02 is right). So the
// first valuation of each group of `group` (the value among the six of the
// sensitivities, V in every search iteration) stops by its standard error
// and the others run exactly its number of batches. Every path takes
// `steps` steps, those of the time as typed: the valuation with the time
// bumped then replays the same draws over a life a thousandth shorter.
class SimulationRun {
public:
    // `after_batch` runs after every batch of every valuation.
    SimulationRun(Simulation simulate, SimulationSetup setup, int group, StepCount steps, BatchYield after_batch);

    double operator()(const OptionTerms& o);
    // This run as a valuation routine; it must outlive the routine.
    Valuation routine() {
        return [this](const OptionTerms& o) { return (*this)(o); };
    }
    // Starts a new group with the next valuation, its paths taking `steps`
    // steps.
    void restart(StepCount steps) {
        valuations_ = 0;
        steps_ = steps;
    }

    // What the last reference valuation reported.
    const McStats& reference_stats() const { return stats_; }

private:
    Simulation simulate_;
    SimulationSetup setup_;
    int group_;
    StepCount steps_;
    BatchYield after_batch_;
    int valuations_ = 0;
    BatchCount batches_run_ = 0;
    BatchCount reference_batches_ = 0;
    McStats stats_;
};

// "Standard error 0.0231 after 4,800 pairs": the error rounded as a result
// is, the pairs with thousands separators.
std::string standard_error_line(const McStats& stats);

}  // namespace tvx
