// CalculatorForm: the one widget behind every small calculator-like window
// (warrants, futures, the two bond windows, the neural-net windows).
//
// Such a window is a column (or several) of labelled text fields, perhaps a
// framed pair of option buttons, and a row of command buttons. The form
// binds each control to a member of the window's plain model and calls the
// model's commands; it holds no behaviour of its own.
//
// Build one from the window's field table, then call finish():
//
//   auto form = std::make_unique<CalculatorForm>("frmWarrants", "Warrants");
//   form->add_fields<WarrantsWindow>(kWarrantsFields, model);
//   form->add_command("Command1", "Compute", [&] { Command1_Click(model, ui); },
//                     CommandRole::Default);
//   form->add_command("Command2", "Cancel", [&] { Command2_Click(model, ui); },
//                     CommandRole::Cancel);
//   form->finish();
//
// - Fields and choices come in tab order. Each goes into its column (0 on
//   the left); a field's label stands to its left. A choice in column
//   kBelowColumns spans the full width under the columns.
// - A field is a QLineEdit whose object name is the field's name; typing
//   writes the model's string, draw() writes the model back to the screen.
//   A choice is a group box with two (or three) option buttons, selected
//   as its row says.
// - Return in any field or option button runs the Default command (Return
//   on a focused button runs that button), or the field's own command when
//   it has one (set_return_command). The window's close box runs the
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
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "app/forms.h"
#include "core/expiry_date.h"
#include "core/fields.h"

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tvx {

class ExpiryRow;

enum class CommandRole {
    Plain,    // just its button
    Default,  // also runs on Return in any field
    Cancel,   // also runs when the window's close box is used
};

class CalculatorForm : public QWidget, public FormView {
    Q_OBJECT

public:
    // `name` is the window's object name, `caption` its title.
    CalculatorForm(const char* name, const char* caption);

    // The table's text fields and choices, bound to the model's members.
    // (Check boxes are the main window's alone, which draws its own.)
    template <class Model>
    void add_fields(FieldTable<Model> table, Model& model) {
        for (const Field<Model>& f : table) {
            if (f.is_text()) {
                add_field(f.name, f.caption, f.text(model), f.column);
            } else if (f.kind == FieldKind::Choice) {
                std::vector<bool*> flags{&(model.*f.first), nullptr};
                if (button_count(f) == 3) flags.push_back(&(model.*f.third));
                add_choice(f.name, f.caption, {f.buttons.data(), button_count(f)}, std::move(flags), f.column);
            }
        }
    }

    // A labelled text field bound to `text`. The label's object name is the
    // field's name followed by "Label".
    QLineEdit* add_field(const char* name, const char* label, std::string& text, int column = 0);

    // A framed row of option buttons: each button with a flag is selected
    // while its flag is set (the first such), else the one without.
    void add_choice(const char* frame_name, const char* frame_caption, std::span<const ChoiceButton> buttons,
                    std::vector<bool*> flags, int column = 0);

    // The expiry date's rows (app/expiry_row.h) under the years field
    // `years_field` (bound to `years`), which they fill, bound to the
    // model's `dates`.
    void add_dates(const char* years_field, std::string& years, ExpiryDate& dates, Window window, UserInterface& ui);

    // A line of text under the columns, drawn from `text` and hidden while it
    // is empty; it wraps rather than widening the window much.
    QLabel* add_note(const char* name, const std::string& text);

    // A command button, in the button row at the bottom right, in the order
    // added.
    QPushButton* add_command(const char* name, const char* caption, std::function<void()> click,
                             CommandRole role = CommandRole::Plain);

    // Return in this field runs `click` instead of the Default command.
    void set_return_command(QWidget* field, std::function<void()> click);

    // Lays the controls out and sets the tab order; call once, last.
    void finish();

    // Redraws every control from the model. A field is only rewritten when
    // its text differs, so typing in it is not disturbed.
    void draw() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct TextBinding {
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
    // One cell of the layout, in tab order.
    struct Item {
        int column;
        QWidget* label;  // null for a choice
        QWidget* control;
    };

    std::vector<TextBinding> fields_;
    std::vector<Choice> choices_;
    std::vector<Note> notes_;
    std::vector<Item> items_;
    std::vector<QWidget*> tab_chain_;
    std::vector<QPushButton*> commands_;
    std::function<void()> default_click_;
    std::vector<std::pair<QWidget*, std::function<void()>>> return_clicks_;
    std::function<void()> cancel_click_;
    bool finished_ = false;
    ExpiryRow* expiry_row_ = nullptr;
};

}  // namespace tvx
