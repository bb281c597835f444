// `frmNeural1`, "Neural Net - Create": the shape of a network, the training
// and network file names, the population and the number of iterations, the
// learning algorithm, and the Train and Cancel commands.
#pragma once

#include <string>

#include "core/fields.h"
#include "core/progress.h"
#include "core/results.h"
#include "core/user_interface.h"
#include "neural/network.h"

namespace tvx {

struct CreateWindow {
    std::string inputbox = "3";   // nin
    std::string outputbox = "1";  // nout
    std::string hidden = "3";     // nhidden
    std::string ifile1 = "train.dat";
    std::string examples = "3";  // nexem
    std::string ofile1 = "neural.net";
    std::string gen = "100";  // generations or iterations
    std::string pop = "50";   // population size
    bool Option1 = true;      // Genetic; otherwise Option3, Gradient, or else Option2, Agoric
    bool Option3 = false;     // Gradient (when Option1 is not selected)

    // After a completed training, one line per output node: its root mean
    // square and largest error over the examples, in the training file's
    // units. Emptied when a Train starts.
    std::string details = {};

    // While a training runs: Train is disabled, and closing the window
    // cancels the run and closes it once the run has returned.
    bool Command1_enabled = true;
    bool running = false;
    bool close_requested = false;
};

namespace neural1_text {
inline constexpr const char* population = "Error: Population size must be four or greater";
inline constexpr const char* generations = "Error: Number of generations must be four or greater";
inline constexpr const char* hidden = "Error: Number of hidden layer nodes must be between 1 and 15";
inline constexpr const char* outputs = "Error: Number of output layer nodes must be between 1 and 4";
inline constexpr const char* inputs = "Error: Number of input layer nodes must be between 1 and 10";
inline constexpr const char* examples = "Error: Number of examples must be positive";
inline constexpr const char* complete = "Evolution complete, average error remaining is ";
// A gradient training is no evolution: its box says so.
inline constexpr const char* gradient_complete = "Gradient training complete, average error remaining is ";
inline constexpr const char* generic_error =
    "There has been an error generated in the program. Please check your input values and try again.";
}  // namespace neural1_text

// The fields in tab order: two columns of four, the algorithms under them.
// The counts are 16-bit whole numbers, every one checked in the order
// numbered, a box for each failure.
inline constexpr Field<CreateWindow> kCreateFields[] = {
    number_field<&CreateWindow::inputbox>("inputbox", "Number of Input Nodes", "inputs",
                                          "Number of input nodes (1 to 10)", 0)
        .count()
        .between(1, 10, neural1_text::inputs)
        .checked(5),
    number_field<&CreateWindow::outputbox>("outputbox", "Number of Output Nodes", "outputs",
                                           "Number of output nodes (1 to 4)", 0)
        .count()
        .between(1, 4, neural1_text::outputs)
        .checked(4),
    number_field<&CreateWindow::hidden>("hidden", "Number of Hidden Nodes", "hidden",
                                        "Number of hidden nodes (1 to 15)", 0)
        .count()
        .between(1, 15, neural1_text::hidden)
        .checked(3),
    number_field<&CreateWindow::gen>("gen", "Number of Iterations", "iterations", "Number of iterations (generations)",
                                     0)
        .count()
        .at_least(4, neural1_text::generations)
        .checked(2),
    text_field<&CreateWindow::ifile1>("ifile1", "Name of training file", "file", "Name of the training file", 1),
    number_field<&CreateWindow::examples>("examples", "Number of Examples", "examples",
                                          "Number of examples in the training file", 1)
        .count()
        .at_least(1, neural1_text::examples)
        .checked(6),
    text_field<&CreateWindow::ofile1>("ofile1", "Name of trained net", "net", "Name of the trained net to write", 1),
    number_field<&CreateWindow::pop>("pop", "Population size", "population", "Population size", 1)
        .count()
        .at_least(4, neural1_text::population)
        .checked(1),
    choice_field<&CreateWindow::Option1, &CreateWindow::Option3>(
        "Frame1", "Learning Algorithm", {"Option1", "Genetic"},
        {"Option2", "Agoric", "agoric", "The agoric algorithm (otherwise genetic)"},
        {"Option3", "Gradient", "gradient", "Gradient training, Levenberg-Marquardt and L-BFGS (otherwise genetic)"},
        kBelowColumns),
};

namespace neural1_caption {
inline constexpr const char* frmNeural1 = "Neural Net - Create";
inline constexpr const char* Command1 = "Train";
inline constexpr const char* Command2 = "Cancel";
}  // namespace neural1_caption

// What a completed training reports.
struct TrainingResult {
    double average_error = 0;  // the average error the network leaves over the examples
};

// Genetic and Agoric, and Gradient.
inline constexpr ResultRow<TrainingResult> kTrainingResults[] = {
    {{"average_error", neural1_text::complete, general_15}, &TrainingResult::average_error},
};
inline constexpr ResultRow<TrainingResult> kGradientResults[] = {
    {{"average_error", neural1_text::gradient_complete, general_15}, &TrainingResult::average_error},
};

// Train: checks the boxes, reads the training file, runs the chosen
// training with the progress window, writes the network file and reports
// the remaining error; `results`, when given, receives it at full
// precision. `draw` is the source of the trainings' draws.
void Command1_Click(CreateWindow& w, Pmeter& pmeter, UserInterface& ui, const Draw& draw,
                    TrainingResult* results = nullptr);
// Train with the application's generator.
void Command1_Click(CreateWindow& w, Pmeter& pmeter, UserInterface& ui, TrainingResult* results = nullptr);

// Cancel (and the close box): closes the window, which opens next time with
// its defaults. During a training it cancels the run instead, as the
// progress window's Cancel does; the window closes when the run returns.
void Command2_Click(CreateWindow& w, Pmeter& pmeter, UserInterface& ui);

}  // namespace tvx
