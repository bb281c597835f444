// The main window's menu bar, derived from the window table: each window's
// items in its menus, the menus in the order of their first items, and the
// Help menu last, with the windows' help items in the order of their
// topics.
#pragma once

#include <functional>
#include <vector>

#include "app/models.h"
#include "core/user_interface.h"

namespace tvx {

// One entry of the menu tree. Level 1 items are the menu bar's titles;
// an item with no command opens the submenu of the items below it with a
// deeper level. "&" marks the access key of the following letter.
struct MenuItem {
    int level;
    const char* name;
    const char* caption;
    std::function<void(Models&, UserInterface&)> click;
    // A check item's state (Advanced > Exact Values); empty for the others.
    std::function<bool(const Models&)> checked = {};
};

// The whole tree, in display order. There are no separators or shortcut
// keys, one check item (Exact Values, last in the Advanced menu), and no
// item is ever disabled or hidden.
const std::vector<MenuItem>& menu_tree();

}  // namespace tvx
