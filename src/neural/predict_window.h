// `frmNeural3`, "Neural Net Input": up to ten raw inputs, and Predict, which
// loads a network file, evaluates the network and shows its outputs.
#pragma once

#include <array>
#include <string>

#include "core/fields.h"
#include "core/user_interface.h"

namespace tvx {

struct PredictWindow {
    // Text1 .. Text10: the raw values of input nodes 0 .. 9.
    std::array<std::string, 10> Text{"0.0", "0.0", "0.0", "0.0", "0.0", "0.0", "0.0", "0.0", "0.0", "0.0"};
};

namespace neural3_caption {
inline constexpr const char* frmNeural3 = "Neural Net Input";
inline constexpr const char* Command1 = "Predict";
inline constexpr const char* Command2 = "Cancel";
}  // namespace neural3_caption

// "Input Node 1" .. "Input Node 10".
std::string input_caption(std::size_t node);
// "Text1" .. "Text10".
std::string input_name(std::size_t node);

// The ten input fields in tab order, nodes 1 to 5 in the left column and 6
// to 10 in the right; an empty field counts as 0.
FieldTable<PredictWindow> predict_fields();

namespace neural3_text {
inline constexpr const char* prompt = "Enter the filename of the neural net below:";
inline constexpr const char* default_file = "neural.net";
inline constexpr const char* out_of_range = "Error: Input values lie outside of range";
}  // namespace neural3_text

// The names of the outputs' figures (their JSON keys and batch columns).
inline constexpr const char* kOutputNames[] = {"output1", "output2", "output3", "output4"};

// Predict: asks for the network file, scales the inputs with its ranges,
// evaluates the network and shows the outputs in their own units (the
// history keeps them at full precision); then the window closes.
void Command1_Click(PredictWindow& w, UserInterface& ui);

// Cancel: closes the window, which opens next time with its defaults.
void Command2_Click(PredictWindow& w, UserInterface& ui);

}  // namespace tvx
