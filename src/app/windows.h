// The program's windows, one row each: the window, how its form is made
// from its model, where it first appears, its menu items and its help
// topic. The form registry, the menu bar (app/menu_tree.h) and the help
// topic of a window all come from this one table. A calculator's row is
// made from its entry (calculators/calculators.h); any other window is its
// model and commands, its form, and a row here (and its topic in the help
// file).
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "app/models.h"
#include "core/menus.h"
#include "core/user_interface.h"

namespace tvx {

// Where a window first appears.
enum class Placement {
    None,      // wherever the window system puts it (the main window)
    FreeSpot,  // beside the main window and the open windows (placement.h)
};

using MenuHandler = std::function<void(Models& models, UserInterface& ui)>;

// A menu item of a window: the menus it sits in (the menu bar's, then
// submenus), its object name, its caption and its command.
struct MenuEntry {
    std::vector<Menu> path;
    const char* name;
    const char* caption;
    MenuHandler click;
    const char* before = nullptr;  // the item it goes before, when that one is there already
};

struct WindowRow {
    Window id;
    // Makes the window's widget; it must also be a FormView.
    std::function<std::unique_ptr<QWidget>(Models& models, UserInterface& ui)> make;
    Placement placement;
    std::vector<MenuEntry> menu;
    HelpEntry help;
    // Showing the window makes it the active one, with the keyboard focus;
    // otherwise it comes to the front and the focus stays where it was.
    bool takes_focus = true;
    // Kept above the main window by the window system (a progress window).
    bool above_main = false;
};

// Every window, in the order of its menu items within their menus.
std::span<const WindowRow> window_rows();

// The window's row, or null when it has none.
const WindowRow* window_row(Window id);

// The help topic of a window (0 when it has none).
int help_topic(Window id);

}  // namespace tvx
