// The commands of the main window's menu items: each shows one window,
// opens the help file at one topic or asks the main window to close. The
// menu bar itself (which item runs which command) is the Qt layer's window
// table (app/windows.cpp); a calculator's item, which shows its window,
// comes from its entry (calculators/calculators.h).
#pragma once

#include "core/user_interface.h"
#include "options/main_window.h"

namespace tvx {

void mnuFileExit_Click(MainWindow& w, UserInterface& ui);
void mnuNeuralCreate_Click(MainWindow& w, UserInterface& ui);
void mnuNeuralPredict_Click(MainWindow& w, UserInterface& ui);
void mnuHistory_Click(MainWindow& w, UserInterface& ui);

// Every item of the Help menu: the main window's help file at the topic
// (a context number in the file).
void mnuHelp_Click(const MainWindow& w, UserInterface& ui, int topic);

}  // namespace tvx
