// The command line's implementation of the user interface: result boxes
// become lines on standard output, validation and error boxes lines on
// standard error, and the box's kind sets the exit status.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/progress.h"
#include "core/user_interface.h"

namespace tvx::cli {

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitMessage = 1;  // the command ended with one of its own messages
inline constexpr int kExitError = 2;    // the generic error
inline constexpr int kExitUsage = 64;   // an unknown command or option, a missing value

// A box text's lines: split at the carriage return, without a last empty
// line.
std::vector<std::string> box_lines(const std::string& text);

class CliUi final : public UserInterface {
public:
    std::vector<std::string> results;   // result box lines, in order
    std::vector<std::string> messages;  // message box texts, in order
    int status = kExitOk;
    bool output_shown = false;                // the valuation's output window
    std::optional<std::string> input_answer;  // what the user types into an input box
    const Pmeter* pmeter = nullptr;           // drawn as a bar on standard error when set

    Answer message_box(const std::string& title, Icon icon, const std::string& text, Buttons buttons) override;
    std::optional<std::string> input_box(const std::string& title, const std::string& prompt,
                                         const std::string& default_text) override;
    void set_pointer(Pointer) override {}
    void show(Window window) override;
    void hide(Window window) override;
    void refresh(Window window) override;
    void unload(Window) override {}
    void focus_field(Window, const std::string&) override {}
    void yield() override {}
    void show_help(const std::string&, int) override {}
    bool keeps_results() const override { return false; }

private:
    bool bar_drawn_ = false;
    long drawn_percent_ = -1;
};

}  // namespace tvx::cli
