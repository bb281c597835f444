// The neural-net windows' Train and Predict commands. Their results exist
// only as the texts of their boxes, so the figures are read back from them
// (the training's error in general number text, the outputs to four
// decimals).
#include <unistd.h>

#include <string>

#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "core/numbers.h"
#include "neural/create_window.h"
#include "neural/predict_window.h"

namespace tvx::cli {

namespace {

// The number at the end of "... is 1.234" (and of "... is 12%").
double trailing_number(const std::string& line) {
    const std::size_t at = line.rfind(" is ");
    return at == std::string::npos ? 0.0 : parse_number(line.substr(at + 4));
}

enum : std::size_t { kInputs, kOutputs, kHidden, kExamples, kFile, kNet, kIterations, kPopulation, kAgoric, kGradient };

Outcome run_train(const Request& r) {
    if (r.flag(kAgoric) && r.flag(kGradient)) return usage_outcome("--agoric and --gradient exclude each other");
    CreateWindow w;
    w.inputbox = r[kInputs], w.outputbox = r[kOutputs], w.hidden = r[kHidden], w.examples = r[kExamples];
    w.ifile1 = r[kFile], w.ofile1 = r[kNet], w.gen = r[kIterations], w.pop = r[kPopulation];
    w.Option1 = !r.flag(kAgoric) && !r.flag(kGradient);
    w.Option3 = r.flag(kGradient);
    Pmeter pmeter;
    CliUi ui;
    // The bar only for a person watching: never inside a batch, never into
    // a file or a pipe.
    if (r.interactive && isatty(STDERR_FILENO)) ui.pmeter = &pmeter;
    Command1_Click(w, pmeter, ui);
    Outcome o = outcome_of(ui);
    if (o.status == kExitOk && !o.lines.empty()) o.figures = {{Result::AverageError, trailing_number(o.lines.back())}};
    return o;
}

constexpr Result kOutputResults[] = {Result::Output1, Result::Output2, Result::Output3, Result::Output4};

Outcome run_predict(const Request& r) {
    PredictWindow w;
    for (std::size_t i = 0; i < w.Text.size(); ++i) w.Text[i] = r[i + 1];
    CliUi ui;
    ui.input_answer = r[0];
    Command1_Click(w, ui);
    Outcome o = outcome_of(ui);
    if (o.status != kExitOk) return o;
    for (std::size_t j = 0; j < o.lines.size() && j < 4; ++j)
        o.figures.push_back({kOutputResults[j], trailing_number(o.lines[j])});
    return o;
}

bool always(const Request&) { return true; }
bool never(const Request&) { return false; }

}  // namespace

CommandSpec train_command() {
    const CreateWindow w;
    return {
        "train",
        "Train a neural net on a training file and write the trained net",
        {{"inputs", "Number of input nodes (1 to 10)", FieldKind::Number, w.inputbox},
         {"outputs", "Number of output nodes (1 to 4)", FieldKind::Number, w.outputbox},
         {"hidden", "Number of hidden nodes (1 to 15)", FieldKind::Number, w.hidden},
         {"examples", "Number of examples in the training file", FieldKind::Number, w.examples},
         {"file", "Name of the training file", FieldKind::Text, w.ifile1},
         {"net", "Name of the trained net to write", FieldKind::Text, w.ofile1},
         {"iterations", "Number of iterations (generations)", FieldKind::Number, w.gen},
         {"population", "Population size", FieldKind::Number, w.pop},
         {"agoric", "The agoric algorithm (otherwise genetic)", FieldKind::Flag, "0"},
         {"gradient", "Gradient training, Levenberg-Marquardt and L-BFGS (otherwise genetic)", FieldKind::Flag, "0"}},
        run_train,
        always};
}

CommandSpec predict_command() {
    CommandSpec c{"predict",
                  "The outputs of a trained neural net for up to ten input values (arguments in node order)",
                  {{"net", "Name of the trained net", FieldKind::Text, neural3_text::default_file}},
                  run_predict,
                  never};
    const PredictWindow w;
    for (std::size_t i = 0; i < w.Text.size(); ++i)
        c.fields.push_back({"input" + std::to_string(i + 1), "", FieldKind::Positional, w.Text[i]});
    return c;
}

}  // namespace tvx::cli
