// CalculatorForm: the one widget behind every small calculator-like window
// (warrants, futures, the two bond windows, the neural-net windows).
//
// Such a window is a column (or several) of labelled text fields, perhaps a
// framed pair of option buttons, and a row of command buttons. The form
// binds each control to a member of the window's plain model and calls the
// model's commands; it holds no behaviour of its own.
//
// Build one in this order, then call finish():
//
//   auto form = std::make_unique<CalculatorForm>("frmWarrants", "Warrants");
//   form->add_field("share", "Share Price (in dollars)", model.share);
//   form->add_choice("Frame1", "Payment Type", {"payment", "Annual"},
//                    {"Option2", "Semi-Annual"}, model.payment);
//   form->add_command("Command1", "Compute", [&] { Command1_Click(model, ui); },
//                     CommandRole::Default);
//   form->add_command("Command2", "Cancel", [&] { Command2_Click(model, ui); },
//                     CommandRole::Cancel);
//   form->finish();
//
// - Fields and choices are added in tab order. Each goes into a column (0
//   by default, left to right); a field's label stands to its left. A
//   choice added with kBelowColumns spans the full width under the columns.
// - A field is a QLineEdit whose object name is the field's name; typing
//   writes the model's string, draw() writes the model back to the screen.
//   A choice is a group box with two (or three) option buttons; the bool is
//   true while the first one is selected.
// - Return in any field or option button runs the Default command (Return
//   on a focused button runs that button). The window's close box runs the
//   Cancel command, exactly as its button does.
// - The window's minimum size is what its controls need: every label,
//   caption and a field wide enough for a typical figure stay whole, and
//   extra width goes to the fields.
//
// The models live for the whole run, so the references given here outlive
// the form (which is destroyed when its window is unloaded).
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/forms.h"

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tvx {

enum class CommandRole {
    Plain,    // just its button
    Default,  // also runs on Return in any field
    Cancel,   // also runs when the window's close box is used
};

// One option button of a choice: object name and caption.
struct OptionButton {
    const char* name;
    const char* caption;
};

class CalculatorForm : public QWidget, public FormView {
    Q_OBJECT

public:
    // A choice under all the columns, spanning the window's width.
    static constexpr int kBelowColumns = -1;

    // `name` is the window's object name, `caption` its title.
    CalculatorForm(const char* name, const char* caption);

    // A labelled text field bound to `text`. The label's object name is the
    // field's name followed by "Label".
    QLineEdit* add_field(const char* name, const char* label, std::string& text, int column = 0);

    // A framed pair of option buttons bound to `first_selected`.
    void add_choice(const char* frame_name, const char* frame_caption, OptionButton first, OptionButton second,
                    bool& first_selected, int column = 0);
    // A framed row of three option buttons: the first is selected while
    // `first_selected` is true, else the third while `third_selected` is,
    // else the second.
    void add_choice(const char* frame_name, const char* frame_caption, OptionButton first, OptionButton second,
                    OptionButton third, bool& first_selected, bool& third_selected, int column = 0);

    // A line of text under the columns, drawn from `text` and hidden while it
    // is empty; it wraps rather than widening the window much.
    QLabel* add_note(const char* name, const std::string& text);

    // A command button, in the button row at the bottom right, in the order
    // added.
    QPushButton* add_command(const char* name, const char* caption, std::function<void()> click,
                             CommandRole role = CommandRole::Plain);

    // Lays the controls out and sets the tab order; call once, last.
    void finish();

    // Redraws every control from the model. A field is only rewritten when
    // its text differs, so typing in it is not disturbed.
    void draw() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Field {
        QLineEdit* edit;
        std::string* text;
    };
    // Each button with a flag is selected while its flag is set (the first
    // such); when none is set, the button without one.
    struct Choice {
        std::vector<QRadioButton*> buttons;
        std::vector<bool*> flags;
    };
    struct Note {
        QLabel* label;
        const std::string* text;
    };
    void add_options(const char* frame_name, const char* frame_caption, std::vector<OptionButton> options,
                     std::vector<bool*> flags, int column);
    // One cell of the layout, in tab order.
    struct Item {
        int column;
        QWidget* label;  // null for a choice
        QWidget* control;
    };

    std::vector<Field> fields_;
    std::vector<Choice> choices_;
    std::vector<Note> notes_;
    std::vector<Item> items_;
    std::vector<QWidget*> tab_chain_;
    std::vector<QPushButton*> commands_;
    std::function<void()> default_click_;
    std::function<void()> cancel_click_;
    bool finished_ = false;
};

}  // namespace tvx
