// A headless driver of the two neural-net windows, for comparing the
// trainings from a script: it fills the creation window's boxes and runs
// Train, or fills the prediction window's fields and runs Predict, exactly
// as a user would, with the application's generator. Every message box is
// written to standard output.
//
//   tvx_nn train NIN NHIDDEN NOUT NEXEM TRAINFILE NETFILE ITERATIONS POPULATION genetic|agoric|gradient
//   tvx_nn predict NETFILE < inputs      (one comma-separated row per line)
//
// train prints the completion box text, then the per-output error lines,
// and exits with 0 when the training completed. predict prints, for each
// input row, the outputs the box reports, comma-separated.
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/user_interface.h"
#include "neural/create_window.h"
#include "neural/predict_window.h"
#include "support/null_ui.h"

namespace {

using namespace tvx;

// Records every box's text and answers the input box with the file name.
class ConsoleUi final : public bench::NullUi {
public:
    std::vector<std::string> boxes;
    std::string file_answer;

    Answer message_box(const std::string& title, Icon icon, const std::string& text, Buttons b) override {
        boxes.push_back(text);
        return NullUi::message_box(title, icon, text, b);
    }
    std::optional<std::string> input_box(const std::string&, const std::string&, const std::string&) override {
        return file_answer;
    }
};

int train(char** argv) {
    CreateWindow w;
    w.inputbox = argv[0];
    w.hidden = argv[1];
    w.outputbox = argv[2];
    w.examples = argv[3];
    w.ifile1 = argv[4];
    w.ofile1 = argv[5];
    w.gen = argv[6];
    w.pop = argv[7];
    const std::string algorithm = argv[8];
    w.Option1 = algorithm == "genetic";
    w.Option3 = algorithm == "gradient";
    Pmeter pmeter;
    ConsoleUi ui;
    Command1_Click(w, pmeter, ui);
    for (const std::string& b : ui.boxes) std::cout << b << '\n';
    std::cout << w.details << '\n';
    const auto completes = [&](const char* text) { return ui.boxes[0].rfind(text, 0) == 0; };
    const bool done =
        ui.boxes.size() == 1 && (completes(neural1_text::complete) || completes(neural1_text::gradient_complete));
    return done ? 0 : 1;
}

// The figures after each " is " of the result box.
std::vector<std::string> outputs(const std::string& box) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while ((at = box.find(" is ", at)) != std::string::npos) {
        at += 4;
        const std::size_t end = box.find('\r', at);
        out.push_back(box.substr(at, end - at));
    }
    return out;
}

int predict(const char* netfile) {
    std::string line;
    int status = 0;
    while (std::getline(std::cin, line)) {
        PredictWindow w;
        std::stringstream row(line);
        std::string value;
        for (std::size_t i = 0; i < w.Text.size() && std::getline(row, value, ','); ++i) w.Text[i] = value;
        ConsoleUi ui;
        ui.file_answer = netfile;
        Command1_Click(w, ui);
        const std::vector<std::string> y = ui.boxes.size() == 1 ? outputs(ui.boxes[0]) : std::vector<std::string>{};
        if (y.empty()) {
            std::cout << "error:" << (ui.boxes.empty() ? "" : ui.boxes[0]) << '\n';
            status = 1;
            continue;
        }
        for (std::size_t j = 0; j < y.size(); ++j) std::cout << (j ? "," : "") << y[j];
        std::cout << '\n';
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "train" && argc == 11) return train(argv + 2);
    if (command == "predict" && argc == 3) return predict(argv[2]);
    std::fprintf(stderr,
                 "usage: tvx_nn train NIN NHIDDEN NOUT NEXEM TRAINFILE NETFILE ITERATIONS POPULATION "
                 "genetic|agoric|gradient\n       tvx_nn predict NETFILE < inputs\n");
    return 2;
}
