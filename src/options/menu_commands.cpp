#include "options/menu_commands.h"

namespace tvx {

void mnuFileExit_Click(MainWindow&, UserInterface& ui) { ui.unload(Window::Main); }

void mnuNeuralCreate_Click(MainWindow&, UserInterface& ui) { ui.show(Window::Neural1); }
void mnuNeuralPredict_Click(MainWindow&, UserInterface& ui) { ui.show(Window::Neural3); }
void mnuHistory_Click(MainWindow&, UserInterface& ui) { ui.show(Window::History); }

void mnuHelp_Click(const MainWindow& w, UserInterface& ui, int topic) { ui.show_help(w.dlgHelp_HelpFile, topic); }

}  // namespace tvx
