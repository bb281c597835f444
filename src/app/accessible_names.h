// Names and descriptions of a window's controls for screen readers (Qt's
// accessibility interface, which the desktop's accessibility bus reads).
//
// A control is named where it is declared, so that no form has to do it:
// - a control with a caption label (a field-table row: the label is made
//   from the row's caption and is the control's buddy) takes the label's
//   text, without the "&" of an access key;
// - a button, check box or option button takes its own text;
// - a control that has neither sets its name where the form makes it
//   (set_accessible: a leg's "Leg 2 Strike", a slider's "Correlation
//   slider", a chart's title).
// Each control also takes, as its description, the title of the group
// box it stands in (when that is not its name already).
//
// The window table's user interface names every window's controls once
// the window is made (QtUserInterface::widget), so a new form, or a new
// row of a field table, is named without a line of its own.
#pragma once

#include <QString>

class QWidget;

namespace tvx {

// The caption's text as a screen reader should say it: without the "&"
// that marks an access key ("&&" stays one "&").
QString without_access_mark(const QString& caption);

// Sets a control's accessible name (and its description, when given).
void set_accessible(QWidget* control, const QString& name, const QString& description = {});

// Names every control of `window` that has no accessible name yet, and
// describes it by its group box, as above.
void name_controls(QWidget* window);

}  // namespace tvx
