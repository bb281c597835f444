#include "app/menu_tree.h"

#include <algorithm>
#include <string_view>

#include "app/chart_form.h"
#include "app/windows.h"
#include "charts/chart_commands.h"
#include "options/menu_commands.h"
#include "strategy/strategy_commands.h"

namespace tvx {

namespace {

struct Node {
    const char* name;
    const char* caption;
    std::function<void(Models&, UserInterface&)> click;  // empty for a menu
    std::vector<Node> children;
    std::function<bool(const Models&)> checked = {};
};

// The menu among the nodes, added after the others when it is not there.
Node& menu_in(std::vector<Node>& nodes, const Menu& m) {
    for (Node& n : nodes)
        if (!n.click && std::string_view(n.name) == m.name) return n;
    nodes.push_back({m.name, m.caption, {}, {}});
    return nodes.back();
}

// The item goes last in its menu, or before the item named `before`.
void add(std::vector<Node>& bar, const std::vector<Menu>& path, Node item, const char* before = nullptr) {
    std::vector<Node>* nodes = &bar;
    for (const Menu& m : path) nodes = &menu_in(*nodes, m).children;
    const auto at = std::find_if(nodes->begin(), nodes->end(),
                                 [before](const Node& n) { return before && std::string_view(n.name) == before; });
    nodes->insert(at, std::move(item));
}

void flatten(const std::vector<Node>& nodes, int level, std::vector<MenuItem>& out) {
    for (const Node& n : nodes) {
        out.push_back({level, n.name, n.caption, n.click, n.checked});
        flatten(n.children, level + 1, out);
    }
}

std::vector<MenuItem> derive() {
    std::vector<Node> bar;
    for (const WindowRow& row : window_rows())
        for (const MenuEntry& e : row.menu) add(bar, e.path, {e.name, e.caption, e.click, {}}, e.before);

    // The choice of exact figures is the program's, not a window's: last in
    // the Advanced menu. It redraws an open chart on the new figures.
    add(bar, {menu::advanced},
        {"mnuExact",
         "&Exact Values",
         [](Models& m, UserInterface& ui) {
             ChartContext cx = chart_context(m, ui);
             mnuExact_Click(cx);
             // An open strategy builder values its position again.
             m.strategy.precision = m.main.precision;
             if (m.strategy.open && m.strategy.report) strategy_compute(m.strategy, ui);
         },
         {},
         [](const Models& m) { return m.main.precision == Precision::Exact; }});

    std::vector<const HelpEntry*> help;
    for (const WindowRow& row : window_rows())
        if (row.help.name != nullptr) help.push_back(&row.help);
    std::stable_sort(help.begin(), help.end(), [](auto* a, auto* b) { return a->topic < b->topic; });
    for (const HelpEntry* h : help) {
        const int topic = h->topic;
        add(bar, {menu::help},
            {h->name, h->caption, [topic](Models& m, UserInterface& ui) { mnuHelp_Click(m.main, ui, topic); }, {}});
    }

    std::vector<MenuItem> tree;
    flatten(bar, 1, tree);
    return tree;
}

}  // namespace

const std::vector<MenuItem>& menu_tree() {
    static const std::vector<MenuItem> tree = derive();
    return tree;
}

}  // namespace tvx
