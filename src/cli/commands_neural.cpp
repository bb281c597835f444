// The neural-net windows' Train and Predict commands, their options made
// from the windows' field tables. Predict's outputs exist only as the text
// of its box, so its figures are read back from it, to four decimals as
// shown.
#include <unistd.h>

#include <string>

#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "cli/window_command.h"
#include "core/numbers.h"
#include "neural/create_window.h"
#include "neural/predict_window.h"

namespace tvx::cli {

namespace {

// The number at the end of "... is 1.234".
double trailing_number(const std::string& line) {
    const std::size_t at = line.rfind(" is ");
    return at == std::string::npos ? 0.0 : parse_number(line.substr(at + 4));
}

const WindowOptions<CreateWindow>& train_options() {
    static const WindowOptions<CreateWindow> options(kCreateFields, CreateWindow{});
    return options;
}

// The inputs, after the network file.
const WindowOptions<PredictWindow>& predict_options() {
    static const WindowOptions<PredictWindow> options(predict_fields(), PredictWindow{});
    return options;
}

Outcome run_train(const Request& r) {
    CreateWindow w;
    if (auto clash = train_options().bind(r, 0, w)) return usage_outcome(std::move(*clash));
    Pmeter pmeter;
    CliUi ui;
    // The bar only for a person watching: never inside a batch, never into
    // a file or a pipe.
    if (r.interactive && isatty(STDERR_FILENO)) ui.pmeter = &pmeter;
    TrainingResult result;
    Command1_Click(w, pmeter, ui, &result);
    Outcome o = outcome_of(ui);
    if (o.status == kExitOk && !o.lines.empty()) o.figures = figures_of(kTrainingResults, result);
    return o;
}

// The first field is the network file, the input box's answer.
Outcome run_predict(const Request& r) {
    PredictWindow w;
    predict_options().bind(r, 1, w);
    CliUi ui;
    ui.input_answer = r[0];
    Command1_Click(w, ui);
    Outcome o = outcome_of(ui);
    if (o.status != kExitOk) return o;
    for (std::size_t j = 0; j < o.lines.size() && j < std::size(kOutputNames); ++j)
        o.figures.push_back({kOutputNames[j], trailing_number(o.lines[j])});
    return o;
}

}  // namespace

CommandSpec train_command() {
    CommandSpec c;
    c.name = "train";
    c.summary = "Train a neural net on a training file and write the trained net";
    c.fields = train_options().fields(CreateWindow{});
    c.results = result_names<TrainingResult>(kTrainingResults);
    c.run = run_train;
    c.shares_generator = [](const Request&) { return true; };
    return c;
}

CommandSpec predict_command() {
    CommandSpec c;
    c.name = "predict";
    c.summary = "The outputs of a trained neural net for up to ten input values (arguments in node order)";
    c.fields = {{"net", "Name of the trained net", FieldKind::Text, neural3_text::default_file}};
    // The inputs are given as bare arguments, node 1 first.
    for (Field f : predict_options().fields(PredictWindow{})) {
        f.kind = FieldKind::Positional;
        c.fields.push_back(std::move(f));
    }
    c.results.assign(std::begin(kOutputNames), std::end(kOutputNames));
    c.run = run_predict;
    c.shares_generator = [](const Request&) { return false; };
    return c;
}

}  // namespace tvx::cli
