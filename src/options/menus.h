// The main window's menu bar: File, Advanced and Help, their items in
// display order, and the click handler of every item. A handler either
// shows one window, opens one help topic or asks the main window to close.
#pragma once

#include <span>

#include "core/user_interface.h"
#include "options/main_window.h"

namespace tvx {

// Help topics: context numbers in the help file.
namespace help_topic {
inline constexpr int options = 100;
inline constexpr int futures = 200;
inline constexpr int warrants = 300;
inline constexpr int straight_bonds = 400;
inline constexpr int convertible_bonds = 500;
inline constexpr int neural_creation = 600;
inline constexpr int neural_usage = 700;
}  // namespace help_topic

void mnuFileExit_Click(MainWindow& w, UserInterface& ui);
void mnuWarrants_Click(MainWindow& w, UserInterface& ui);
void mnuAdvancedFutures_Click(MainWindow& w, UserInterface& ui);
void mnucbonds_Click(MainWindow& w, UserInterface& ui);
void mnusbonds_Click(MainWindow& w, UserInterface& ui);
void mnuNeuralCreate_Click(MainWindow& w, UserInterface& ui);
void mnuNeuralPredict_Click(MainWindow& w, UserInterface& ui);
void mnuHelpOptions_Click(MainWindow& w, UserInterface& ui);
void mnuHelpFutures_Click(MainWindow& w, UserInterface& ui);
void mnuHelpWarrants_Click(MainWindow& w, UserInterface& ui);
void mnuHelpSbonds_Click(MainWindow& w, UserInterface& ui);
void mnuHelpCbonds_Click(MainWindow& w, UserInterface& ui);
void mnuHelpNets1_Click(MainWindow& w, UserInterface& ui);
void mnuHelpNets2_Click(MainWindow& w, UserInterface& ui);

using MenuHandler = void (*)(MainWindow&, UserInterface&);

// One entry of the menu tree. Level 1 items are the menu bar's titles;
// an item with no handler opens the submenu of the items below it with a
// deeper level. "&" marks the access key of the following letter.
struct MenuItem {
    int level;
    const char* name;
    const char* caption;
    MenuHandler click;
};

// The whole tree, in display order. There are no separators, check marks
// or shortcut keys, and no item is ever disabled or hidden.
std::span<const MenuItem> menu_tree();

}  // namespace tvx
