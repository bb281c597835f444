// The menu bar's menus and the places a window takes in them: its item (in
// a menu, or a submenu of one) and its help topic with the Help menu's item
// for it. Toolkit-neutral: the Qt layer draws the bar from these.
#pragma once

#include <array>

namespace tvx {

// A menu of the menu bar, or a submenu: its object name and its caption
// ("&" marks the access key of the following letter).
struct Menu {
    const char* name = nullptr;
    const char* caption = nullptr;
};

namespace menu {
inline constexpr Menu file{"mnuFile", "&File"};
inline constexpr Menu advanced{"mnuAdvanced", "&Advanced"};
inline constexpr Menu bonds{"mnuBonds", "&Bonds"};
inline constexpr Menu neural{"mnuNeural", "&Neural Nets"};
inline constexpr Menu view{"mnuView", "&View"};
inline constexpr Menu charts{"mnuCharts", "&Charts"};
inline constexpr Menu help{"mnuHelp", "&Help"};
}  // namespace menu

// A window's menu item: the menu bar's menu, then a submenu of it (none
// when its name is null), the item's object name and caption. The item
// goes last in its menu, or just before the item named `before` when that
// one is there already.
struct MenuPlace {
    std::array<Menu, 2> path;
    const char* name = nullptr;
    const char* caption = nullptr;
    const char* before = nullptr;
};

// A window's help: the topic (a context number in the help file, 0 for
// none), and the Help menu's item that opens it, if there is one. The Help
// menu lists its items in topic order.
struct HelpEntry {
    int topic = 0;
    const char* name = nullptr;
    const char* caption = nullptr;
};

}  // namespace tvx
