#include "neural/create_window.h"

#include <exception>

#include "core/field_checks.h"
#include "core/history.h"
#include "core/numbers.h"
#include "core/random.h"
#include "neural/agoric.h"
#include "neural/files.h"
#include "neural/fit_report.h"
#include "neural/genetic.h"
#include "neural/gradient.h"
#include "neural/network_file.h"

namespace tvx {

namespace {

// Keeps Train disabled while a run waits in the event loop.
class RunLock {
public:
    RunLock(CreateWindow& w, UserInterface& ui) : w_(w), ui_(ui) { set(true); }
    ~RunLock() { set(false); }
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

private:
    void set(bool running) {
        w_.running = running;
        w_.Command1_enabled = !running;
        ui_.refresh(Window::Neural1);
    }
    CreateWindow& w_;
    UserInterface& ui_;
};

void unload(CreateWindow& w, UserInterface& ui) {
    w = CreateWindow{};
    ui.unload(Window::Neural1);
}

// The counts of the boxes, 16-bit integers.
struct Counts {
    std::int16_t nin, nout, nhidden, nexem, population, generations;
};

// Reads the counts (a text that is not a number, or a count beyond 16
// bits, throws) and checks them all, a box for each failure.
Counts read_counts(const CreateWindow& w, Checks& checks) {
    const FieldValues v = read_fields<CreateWindow>(kCreateFields, w, checks);
    const auto count = [&v](const char* name) { return static_cast<std::int16_t>(v[name]); };
    return {count("inputbox"), count("outputbox"), count("hidden"), count("examples"), count("pop"), count("gen")};
}

// The sizes are 16-bit counts: too many values is an overflow.
void check_sizes(const Counts& n) {
    const std::int16_t width = int16_add(n.nin, n.nout);
    int16_mul(width, n.nexem);
    int16_mul(width, n.nhidden);
}

// Runs the chosen training on the file's examples with the progress
// window; a completed run writes the network file and reports its error.
// Then the window closes (hidden, or unloaded when its close box asked
// during the run).
void train_and_save(CreateWindow& w, Pmeter& pmeter, UserInterface& ui, const Draw& draw, const Counts& n,
                    const TrainingSet& set, const std::string& ofile, TrainingResult* results) {
    const NetShape shape{n.nin, n.nhidden, n.nout};
    // The fields as Train read them: they may change while it runs.
    std::vector<HistoryTerm> terms = terms_of<CreateWindow>(kCreateFields, w);
    std::vector<double> weights(shape.weights(), 0.0);
    bool completed = false;
    {
        RunLock lock(w, ui);
        const auto train = w.Option1 ? train_genetic : (w.Option3 ? train_gradient : train_agoric);
        completed = train(shape, n.nexem, set.exemplar, weights, n.generations, n.population, pmeter, ui, draw);
    }
    // A cancelled run writes nothing: a network file already there is kept
    // as it was. A Cancel that came in the last wait counts too.
    if (completed && !cancel_requested(pmeter)) {
        // Everything reported is worked out first: a fault in it leaves the
        // old network file as it was.
        const TrainingResult result{fitness(weights, set.exemplar, shape, n.nexem)};
        std::string details = output_errors_text(output_errors(weights, set, shape, n.nexem));
        write_network_file(ofile, shape, set.ranges, weights);
        w.details = std::move(details);
        ui.refresh(Window::Neural1);
        ui.set_pointer(Pointer::Normal);
        if (results) *results = result;
        const ResultTable<TrainingResult> report =
            w.Option3 ? ResultTable<TrainingResult>(kGradientResults) : ResultTable<TrainingResult>(kTrainingResults);
        record_result(ui, neural1_caption::frmNeural1, neural1_caption::Command1, std::move(terms),
                      figures_of(report, result));
        ui.message_box(kAppTitle, Icon::None, results_text<TrainingResult>(report, result), Buttons::Ok);
    }
    if (w.close_requested) {
        unload(w, ui);
    } else {
        ui.hide(Window::Neural1);
    }
    ui.set_pointer(Pointer::Normal);
}

}  // namespace

void Command1_Click(CreateWindow& w, Pmeter& pmeter, UserInterface& ui, const Draw& draw, TrainingResult* results) {
    if (w.running) return;  // a run waiting in the event loop owns the command
    w.details.clear();
    try {
        // A failed check, like a missing file, closes the window after its
        // box, so no field takes the focus.
        Checks checks(ui, Window::Neural1, CheckPolicy::ReportEvery);
        const Counts n = read_counts(w, checks);
        const std::string ifile = w.ifile1;
        const std::string ofile = w.ofile1;
        ui.set_pointer(Pointer::Busy);
        check_sizes(n);
        const bool missing = IsFile(ifile, ui) != 0;
        if (missing || checks.failed()) {
            ui.hide(Window::Neural1);
            ui.set_pointer(Pointer::Normal);
            return;
        }
        const TrainingSet set = read_training_file(ifile, NetShape{n.nin, n.nhidden, n.nout}, n.nexem);
        if (set.outcome != TrainingSet::Outcome::Read) {
            ui.set_pointer(Pointer::Normal);
            warn(ui, set.outcome == TrainingSet::Outcome::RangeOrder ? kRangeOrder : kExamplesOutOfRange);
            return;
        }
        train_and_save(w, pmeter, ui, draw, n, set, ofile, results);
    } catch (const std::exception&) {
        // Bad number text, a 16-bit overflow, an arithmetic fault, a
        // malformed training file, a network file that cannot be written, or
        // memory running out.
        progress_hide(ui, pmeter);
        if (w.close_requested) {
            ui.set_pointer(Pointer::Normal);
            unload(w, ui);
            return;
        }
        report_error(ui, Window::Neural1, kCreateFields, w, neural1_text::generic_error);
    }
}

void Command1_Click(CreateWindow& w, Pmeter& pmeter, UserInterface& ui, TrainingResult* results) {
    Command1_Click(
        w, pmeter, ui, [] { return application_uniform(); }, results);
}

void Command2_Click(CreateWindow& w, Pmeter& pmeter, UserInterface& ui) {
    if (w.running) {
        w.close_requested = true;
        Command1_Click(static_cast<ProgressWindow&>(pmeter));
        return;
    }
    unload(w, ui);
}

}  // namespace tvx
