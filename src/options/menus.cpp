#include "options/menus.h"

#include <array>

namespace tvx {

void mnuFileExit_Click(MainWindow&, UserInterface& ui) { ui.unload(Window::Main); }

void mnuWarrants_Click(MainWindow&, UserInterface& ui) { ui.show(Window::Warrants); }
void mnuAdvancedFutures_Click(MainWindow&, UserInterface& ui) { ui.show(Window::Futures); }
void mnucbonds_Click(MainWindow&, UserInterface& ui) { ui.show(Window::Bonds); }
void mnusbonds_Click(MainWindow&, UserInterface& ui) { ui.show(Window::Bonds2); }
void mnuNeuralCreate_Click(MainWindow&, UserInterface& ui) { ui.show(Window::Neural1); }
void mnuNeuralPredict_Click(MainWindow&, UserInterface& ui) { ui.show(Window::Neural3); }

namespace {
void help(const MainWindow& w, UserInterface& ui, int topic) { ui.show_help(w.dlgHelp_HelpFile, topic); }
}  // namespace

void mnuHelpOptions_Click(MainWindow& w, UserInterface& ui) { help(w, ui, help_topic::options); }
void mnuHelpFutures_Click(MainWindow& w, UserInterface& ui) { help(w, ui, help_topic::futures); }
void mnuHelpWarrants_Click(MainWindow& w, UserInterface& ui) { help(w, ui, help_topic::warrants); }
void mnuHelpSbonds_Click(MainWindow& w, UserInterface& ui) { help(w, ui, help_topic::straight_bonds); }
void mnuHelpCbonds_Click(MainWindow& w, UserInterface& ui) { help(w, ui, help_topic::convertible_bonds); }
void mnuHelpNets1_Click(MainWindow& w, UserInterface& ui) { help(w, ui, help_topic::neural_creation); }
void mnuHelpNets2_Click(MainWindow& w, UserInterface& ui) { help(w, ui, help_topic::neural_usage); }

std::span<const MenuItem> menu_tree() {
    static constexpr std::array<MenuItem, 19> tree{{
        {1, "mnuFile", "&File", nullptr},
        {2, "mnuFileExit", "&Exit", mnuFileExit_Click},
        {1, "mnuAdvanced", "&Advanced", nullptr},
        {2, "mnuWarrants", "&Warrants", mnuWarrants_Click},
        {2, "mnuAdvancedFutures", "&Futures", mnuAdvancedFutures_Click},
        {2, "mnuBonds", "&Bonds", nullptr},
        {3, "mnuCbonds", "C&onvertible", mnucbonds_Click},
        {3, "mnusbonds", "&Straight", mnusbonds_Click},
        {2, "mnuNeural", "&Neural Nets", nullptr},
        {3, "mnuNeuralCreate", "&Create", mnuNeuralCreate_Click},
        {3, "mnuNeuralPredict", "&Predict", mnuNeuralPredict_Click},
        {1, "mnuHelp", "&Help", nullptr},
        {2, "mnuHelpOptions", "&Options", mnuHelpOptions_Click},
        {2, "mnuHelpFutures", "&Futures", mnuHelpFutures_Click},
        {2, "mnuHelpWarrants", "&Warrants", mnuHelpWarrants_Click},
        {2, "mnuHelpSbonds", "&Straight Bonds", mnuHelpSbonds_Click},
        {2, "mnuHelpCbonds", "&Convertible Bonds", mnuHelpCbonds_Click},
        {2, "mnuHelpNets1", "&Neural Net Creation", mnuHelpNets1_Click},
        {2, "mnuHelpNets2", "Neual Net &Usage", mnuHelpNets2_Click},
    }};
    return tree;
}

}  // namespace tvx
