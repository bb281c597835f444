// The registry of the program's windows. Each window is a widget bound to
// its model; one entry here says how to make it and where it first appears.
// The menus and the user-interface interface both go through it, so adding
// a window is: its model and commands, its form, and one entry.
#pragma once

#include <QWidget>
#include <memory>
#include <span>

#include "app/models.h"
#include "core/user_interface.h"

namespace tvx {

// Every form redraws its controls from its model on request.
class FormView {
public:
    virtual ~FormView() = default;
    virtual void draw() = 0;

protected:
    FormView() = default;
    FormView(const FormView&) = default;
    FormView& operator=(const FormView&) = default;
};

// Where a window first appears.
enum class Placement {
    None,      // wherever the window system puts it (the main window)
    FreeSpot,  // beside the main window and the open windows (placement.h)
};

struct FormEntry {
    Window id;
    // Makes the window's widget; it must also be a FormView.
    std::unique_ptr<QWidget> (*make)(Models& models, UserInterface& ui);
    Placement placement;
    // Showing the window makes it the active one, with the keyboard focus;
    // otherwise it comes to the front and the focus stays where it was.
    bool takes_focus = true;
    // Kept above the main window by the window system (a progress window).
    bool above_main = false;
};

std::span<const FormEntry> form_registry();

// The registry's entry for a window, or null when it has none.
const FormEntry* form_entry(Window id);

}  // namespace tvx
