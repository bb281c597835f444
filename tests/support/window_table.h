// The program's windows and its menu bar as the user knows them: the one
// list the tests compare the program's own window table, its menu bar and
// its help topics with.
#pragma once

#include "core/user_interface.h"

namespace tvx::golden {

// The help file's topics (context numbers).
namespace topic {
inline constexpr int options = 100;
inline constexpr int futures = 200;
inline constexpr int warrants = 300;
inline constexpr int straight_bonds = 400;
inline constexpr int convertible_bonds = 500;
inline constexpr int neural_creation = 600;
inline constexpr int neural_usage = 700;
inline constexpr int history = 800;
inline constexpr int charts = 900;
inline constexpr int strategy = 1000;
inline constexpr int smile = 1100;
}  // namespace topic

// The menu bar, depth first: level 1 the bar's titles, "submenu" for an
// entry that opens the deeper entries below it.
struct MenuRow {
    int level;
    const char* name;
    const char* caption;
    bool submenu;
};

inline constexpr MenuRow menu_bar[] = {
    {1, "mnuFile", "&File", true},
    {2, "mnuFileExit", "&Exit", false},
    {1, "mnuAdvanced", "&Advanced", true},
    {2, "mnuWarrants", "&Warrants", false},
    {2, "mnuAdvancedFutures", "&Futures", false},
    {2, "mnuBonds", "&Bonds", true},
    {3, "mnuCbonds", "C&onvertible", false},
    {3, "mnusbonds", "&Straight", false},
    {2, "mnuNeural", "&Neural Nets", true},
    {3, "mnuNeuralCreate", "&Create", false},
    {3, "mnuNeuralPredict", "&Predict", false},
    {2, "mnuStrategy", "&Strategy Builder", false},
    {2, "mnuSmile", "&Volatility Smile", false},
    {2, "mnuExact", "&Exact Values", false},
    {1, "mnuView", "&View", true},
    {2, "mnuHistory", "&History", false},
    {1, "mnuCharts", "&Charts", true},
    {2, "mnuChartsOption", "&Option", false},
    {2, "mnuChartsScenario", "&Scenario Table", false},
    {2, "mnuChartsBond", "S&traight Bond", false},
    {2, "mnuChartsConvertible", "&Convertible Bond", false},
    {2, "mnuChartsBoundary", "Exercise &Boundary", false},
    {1, "mnuHelp", "&Help", true},
    {2, "mnuHelpOptions", "&Options", false},
    {2, "mnuHelpFutures", "&Futures", false},
    {2, "mnuHelpWarrants", "&Warrants", false},
    {2, "mnuHelpSbonds", "&Straight Bonds", false},
    {2, "mnuHelpCbonds", "&Convertible Bonds", false},
    {2, "mnuHelpNets1", "&Neural Net Creation", false},
    {2, "mnuHelpNets2", "Neual Net &Usage", false},
    {2, "mnuHelpHistory", "&History", false},
    {2, "mnuHelpCharts", "C&harts", false},
    {2, "mnuHelpStrategy", "Strategy &Builder", false},
    {2, "mnuHelpSmile", "&Volatility Smile", false},
};

// Every window: its object name, the menu item that opens it (the main
// window's closes it), its help topic (0 for none) and the Help menu's item
// for that topic (null for none).
struct WindowFacts {
    Window id;
    const char* object_name;
    const char* menu_item;
    int help_topic;
    const char* help_item;
};

inline constexpr WindowFacts windows[] = {
    {Window::Main, "frmBrantholm", "mnuFileExit", topic::options, "mnuHelpOptions"},
    {Window::Output, "frmOutput", nullptr, topic::options, nullptr},
    {Window::Pacifier, "pacifier", nullptr, 0, nullptr},
    {Window::Pmeter, "pmeter", nullptr, 0, nullptr},
    {Window::Warrants, "frmWarrants", "mnuWarrants", topic::warrants, "mnuHelpWarrants"},
    {Window::Futures, "frmFutures", "mnuAdvancedFutures", topic::futures, "mnuHelpFutures"},
    {Window::Bonds, "frmBonds", "mnuCbonds", topic::convertible_bonds, "mnuHelpCbonds"},
    {Window::Bonds2, "frmBonds2", "mnusbonds", topic::straight_bonds, "mnuHelpSbonds"},
    {Window::Neural1, "frmNeural1", "mnuNeuralCreate", topic::neural_creation, "mnuHelpNets1"},
    {Window::Neural3, "frmNeural3", "mnuNeuralPredict", topic::neural_usage, "mnuHelpNets2"},
    {Window::History, "frmHistory", "mnuHistory", topic::history, "mnuHelpHistory"},
    {Window::Strategy, "frmStrategy", "mnuStrategy", topic::strategy, "mnuHelpStrategy"},
    {Window::Smile, "frmSmile", "mnuSmile", topic::smile, "mnuHelpSmile"},
    {Window::Chart, "frmChart", "mnuChartsOption", topic::charts, "mnuHelpCharts"},
    {Window::Help, "frmHelp", nullptr, 0, nullptr},
};

}  // namespace tvx::golden
