#include "neural/create_window.h"

#include <exception>

#include "core/numbers.h"
#include "core/random.h"
#include "neural/agoric.h"
#include "neural/files.h"
#include "neural/genetic.h"
#include "neural/network_file.h"

namespace tvx {

namespace {

std::int16_t count(const std::string& text) { return round_int16(parse_number(text)); }

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

}  // namespace

void Command1_Click(CreateWindow& w, Pmeter& pmeter, UserInterface& ui, const Draw& draw) {
    if (w.running) return;  // a run waiting in the event loop owns the command
    try {
        const std::int16_t nin = count(w.inputbox);
        const std::int16_t nout = count(w.outputbox);
        const std::int16_t nhidden = count(w.hidden);
        const std::string ofile = w.ofile1;
        const std::string ifile = w.ifile1;
        const std::int16_t nexem = count(w.examples);
        const std::int16_t p = count(w.pop);
        const std::int16_t g = count(w.gen);

        bool error = false;
        auto check = [&](bool fails, const char* text) {
            if (!fails) return;
            warn(ui, text);
            error = true;
        };
        check(p <= 3, neural1_text::population);
        check(g <= 3, neural1_text::generations);
        check(nhidden < 1 || nhidden > 15, neural1_text::hidden);
        check(nout < 1 || nout > 4, neural1_text::outputs);
        check(nin < 1 || nin > 10, neural1_text::inputs);
        check(nexem < 1, neural1_text::examples);

        ui.set_pointer(Pointer::Busy);
        // The sizes are 16-bit counts: too many values is an overflow.
        const std::int16_t width = int16_add(nin, nout);
        int16_mul(width, nexem);
        int16_mul(width, nhidden);

        const bool missing = IsFile(ifile, ui) != 0;
        if (missing || error) {
            ui.hide(Window::Neural1);
            ui.set_pointer(Pointer::Normal);
            return;
        }

        const NetShape shape{nin, nhidden, nout};
        const TrainingSet set = read_training_file(ifile, shape, nexem);
        if (set.outcome != TrainingSet::Outcome::Read) {
            ui.set_pointer(Pointer::Normal);
            warn(ui, set.outcome == TrainingSet::Outcome::RangeOrder ? kRangeOrder : kExamplesOutOfRange);
            return;
        }

        std::vector<double> result(shape.weights(), 0.0);
        bool completed = false;
        {
            RunLock lock(w, ui);
            completed = w.Option1 ? train_genetic(shape, nexem, set.exemplar, result, g, p, pmeter, ui, draw)
                                  : train_agoric(shape, nexem, set.exemplar, result, g, p, pmeter, ui, draw);
        }

        // A cancelled run writes nothing: a network file already there is
        // kept as it was. A Cancel that came in the last wait counts too.
        if (completed && !cancel_requested(pmeter)) {
            write_network_file(ofile, shape, set.ranges, result);
            const double remaining = fitness(result, set.exemplar, shape, nexem);
            ui.set_pointer(Pointer::Normal);
            ui.message_box(kAppTitle, Icon::None, neural1_text::complete + general_text(remaining), Buttons::Ok);
        }
        if (w.close_requested) {
            unload(w, ui);
        } else {
            ui.hide(Window::Neural1);
        }
        ui.set_pointer(Pointer::Normal);
    } catch (const std::exception&) {
        // Bad number text, a 16-bit overflow, an arithmetic fault, a
        // malformed training file, a network file that cannot be written, or
        // memory running out.
        progress_hide(ui, pmeter);
        ui.set_pointer(Pointer::Normal);
        if (w.close_requested) {
            unload(w, ui);
            return;
        }
        ui.message_box(kAppTitle, Icon::Critical, neural1_text::generic_error, Buttons::Ok);
    }
}

void Command1_Click(CreateWindow& w, Pmeter& pmeter, UserInterface& ui) {
    Command1_Click(w, pmeter, ui, [] { return application_uniform(); });
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
