// The one way a command acts on the user. The Qt layer implements it with
// real message boxes, cursors and windows; the tests record what a command
// asked for.
#pragma once

#include <optional>
#include <string>

namespace tvx {

struct HistoryRow;

enum class Icon { None, Exclamation, Critical };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };
enum class Pointer { Normal, Busy };

// The single-instance windows a command can show, hide, refresh or unload.
// Each one is drawn from its plain model (see the window's own header).
enum class Window {
    Main,      // frmBrantholm
    Output,    // frmOutput
    Pacifier,  // pacifier
    Pmeter,    // pmeter
    Warrants,  // frmWarrants
    Futures,   // frmFutures
    Bonds,     // frmBonds, convertible bonds
    Bonds2,    // frmBonds2, straight bonds
    Neural1,   // frmNeural1, neural net creation
    Neural3,   // frmNeural3, neural net prediction
    Help,      // frmHelp, the help viewer
    Chart,     // frmChart, charts of a value against its terms
    Strategy,  // frmStrategy, the strategy builder
    History,   // frmHistory, every result of the session
    Smile,     // frmSmile, the volatility smile and surface of an option chain
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // A modal message box. Lines of `text` are separated by a carriage
    // return (character 13).
    virtual Answer message_box(const std::string& title, Icon icon, const std::string& text, Buttons buttons) = 0;

    // A modal input box; no value when the user cancels it.
    virtual std::optional<std::string> input_box(const std::string& title, const std::string& prompt,
                                                 const std::string& default_text) = 0;

    virtual void set_pointer(Pointer pointer) = 0;

    // Shows the window without blocking, drawn from its model and brought to
    // the front; it is created on first use.
    virtual void show(Window window) = 0;
    // Hides the window, keeping it and its contents; creates it hidden when
    // it does not exist yet.
    virtual void hide(Window window) = 0;
    // The window's model has changed: redraw its controls now.
    virtual void refresh(Window window) = 0;
    // Closes the window and destroys its instance: the next show creates it
    // afresh from its model. The main window asks its exit question first.
    virtual void unload(Window window) = 0;

    // Puts the keyboard focus into the window's control with this object
    // name and selects its text (after a failed validation).
    virtual void focus_field(Window window, const std::string& control) = 0;

    // Lets pending window events run (repainting, a Cancel button).
    virtual void yield() = 0;

    // Opens the help file at a topic, without blocking (see core/help.h).
    virtual void show_help(const std::string& help_file, int topic) = 0;

    // A result for the session's history (see core/history.h). A front end
    // that keeps no history (the command line) lets it go.
    virtual void record(const HistoryRow&) {}
    // Whether what a command shows outlives the command: the session's
    // history and the output window's earlier lines. The command line, whose
    // windows end with each command, keeps neither, and the commands skip
    // making them.
    virtual bool keeps_results() const { return true; }
};

// Message-box titles and the generic error text shared by the calculators.
inline constexpr const char* kAppTitle = "Tarvenix";
inline constexpr const char* kGenericError =
    "There has been an error in the program. Please check your input and try again.";

// A command's catch-all: the normal pointer back, then the critical box
// with the window's generic message.
inline void report_error(UserInterface& ui, const char* text = kGenericError) {
    ui.set_pointer(Pointer::Normal);
    ui.message_box(kAppTitle, Icon::Critical, text, Buttons::Ok);
}

// The validation box: exclamation icon, OK, the application's title.
inline void warn(UserInterface& ui, const std::string& text) {
    ui.message_box(kAppTitle, Icon::Exclamation, text, Buttons::Ok);
}

}  // namespace tvx
