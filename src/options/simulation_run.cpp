#include "options/simulation_run.h"

#include "core/numbers.h"

namespace tvx {

SimulationSetup simulation_setup(const MainWindow& main) {
    SimulationSetup s;
    s.rho = parse_number(main.cor);
    s.itype = main.srate ? 1 : 0;
    s.vtype = main.svol ? 1 : 0;
    return s;
}

SimulationRun::SimulationRun(Simulation simulate, SimulationSetup setup, int group, StepCount steps,
                             BatchYield after_batch)
    : simulate_(std::move(simulate)),
      setup_(setup),
      group_(group),
      steps_(steps),
      after_batch_(std::move(after_batch)) {}

double SimulationRun::operator()(const OptionTerms& o) {
    const bool reference = valuations_++ % group_ == 0;
    batches_run_ = 0;
    const BatchYield yield = [this] {
        ++batches_run_;
        if (after_batch_) after_batch_();
    };
    McStats stats;
    const double v = simulate_(o, setup_.itype, setup_.rho, setup_.vtype, yield,
                               reference ? BatchCount{0} : reference_batches_, steps_, &stats);
    if (reference) {
        reference_batches_ = batches_run_;
        stats_ = stats;
    }
    return v;
}

std::string standard_error_line(const McStats& stats) {
    return "Standard error " + result_text(stats.standard_error) + " after " + grouped_count_text(stats.pairs) +
           " pairs";
}

}  // namespace tvx
