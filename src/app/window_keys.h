// The keys a desktop user reaches for, beside the menus' access keys:
// Esc closes a window as its Cancel or OK button does, F1 opens the help
// topic of the window in front, Ctrl+Q asks the exit question of File > Exit.
#pragma once

#include "core/user_interface.h"
#include "options/main_window.h"

class QWidget;

namespace tvx {

// Binds the keys to the window `id`. `view` is the window's own view of the
// user interface; the exit question is the main window's (`main_view`).
void install_window_keys(QWidget* window, Window id, MainWindow& main, UserInterface& view, UserInterface& main_view);

}  // namespace tvx
