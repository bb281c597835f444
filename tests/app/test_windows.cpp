// The window table against the windows and menu bar the user knows
// (tests/support/window_table.h): one row per window, each form made with
// its object name, the menu tree derived from the rows, every item running
// its window's command, and every help topic in the shipped help file.
#include <QCoreApplication>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "app/menu_tree.h"
#include "app/qt_user_interface.h"
#include "app/windows.h"
#include "calculators/calculators.h"
#include "core/help.h"
#include "support/recording_ui.h"
#include "support/window_table.h"

using namespace tvx;

namespace {

bool same(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return a == b;
    return std::string(a) == b;
}

const MenuItem* menu_item(const char* name) {
    for (const MenuItem& item : menu_tree())
        if (same(item.name, name)) return &item;
    return nullptr;
}

bool in_golden_table(Window id) {
    for (const golden::WindowFacts& g : golden::windows)
        if (g.id == id) return true;
    return false;
}

// The calculators of the list that the golden table does not know of yet:
// they sit beside the windows it lists, which keep their order.
std::vector<CalculatorFacts> new_calculators() {
    std::vector<CalculatorFacts> fresh;
    for (const CalculatorFacts& c : calculator_facts())
        if (!in_golden_table(c.window)) fresh.push_back(c);
    return fresh;
}

bool item_of_new_calculator(const char* name) {
    for (const CalculatorFacts& c : new_calculators())
        if (same(name, c.menu.name) || same(name, c.help.name)) return true;
    return false;
}

}  // namespace

class WindowsTest : public QObject {
    Q_OBJECT

private slots:
    void menu_tree_is_the_menu_bar_in_display_order() {
        std::vector<MenuItem> tree;
        for (const MenuItem& item : menu_tree())
            if (!item_of_new_calculator(item.name)) tree.push_back(item);
        QCOMPARE(tree.size(), std::size(golden::menu_bar));
        for (std::size_t i = 0; i < tree.size(); ++i) {
            const golden::MenuRow& g = golden::menu_bar[i];
            QVERIFY2(same(tree[i].name, g.name), g.name);
            QCOMPARE(tree[i].level, g.level);
            QVERIFY2(same(tree[i].caption, g.caption), g.name);
            QCOMPARE(!tree[i].click, g.submenu);
        }
    }

    void one_row_per_window_with_its_form_menu_item_and_help() {
        QCOMPARE(window_rows().size(), std::size(golden::windows) + new_calculators().size());
        Models models;
        QtUserInterface ui(models);
        for (const golden::WindowFacts& g : golden::windows) {
            const WindowRow* row = window_row(g.id);
            QVERIFY2(row != nullptr, g.object_name);
            QWidget* w = ui.widget(g.id);
            QVERIFY2(w != nullptr, g.object_name);
            QCOMPARE(w->objectName(), QString::fromLatin1(g.object_name));
            QCOMPARE(row->menu.empty(), g.menu_item == nullptr);
            if (g.menu_item != nullptr) QVERIFY2(same(row->menu.front().name, g.menu_item), g.object_name);
            QCOMPARE(help_topic(g.id), g.help_topic);
            QVERIFY2(same(row->help.name, g.help_item), g.object_name);
        }
    }

    // Exit unloads the main window, a window's item shows it, a help item
    // opens the help file at its window's topic.
    void each_item_runs_its_windows_command() {
        for (const golden::WindowFacts& g : golden::windows) {
            for (const char* name : {g.menu_item, g.help_item}) {
                if (name == nullptr) continue;
                const MenuItem* item = menu_item(name);
                QVERIFY2(item != nullptr && item->click, name);
                Models models;
                Form_Load(models.main);
                test::RecordingUi ui;
                item->click(models, ui);
                // The chart window goes on to draw its chart once shown.
                if (g.id != Window::Chart) QCOMPARE(ui.events.size(), std::size_t{1});
                QVERIFY(!ui.events.empty());
                const test::UiEvent& e = ui.events[0];
                if (name == g.help_item) {
                    QCOMPARE(e.kind, test::UiEvent::Kind::Help);
                    QCOMPARE(e.title, std::string("brant.hlp"));
                    QCOMPARE(e.text, std::to_string(g.help_topic));
                } else {
                    QCOMPARE(e.kind, g.id == Window::Main ? test::UiEvent::Kind::Unload : test::UiEvent::Kind::Show);
                    QCOMPARE(e.window, g.id);
                }
            }
        }
    }

    // Every calculator of the list, from its entry: its form, its item in
    // its menu (which shows it) and its help item (which opens its topic).
    void each_calculator_entry_makes_its_row_item_and_help() {
        Models models;
        QtUserInterface qt(models);
        for (const CalculatorFacts& c : calculator_facts()) {
            QVERIFY2(window_row(c.window) != nullptr, c.name);
            QCOMPARE(qt.widget(c.window)->objectName(), QString::fromLatin1(c.name));
            QCOMPARE(help_topic(c.window), c.help.topic);
            const MenuItem* item = menu_item(c.menu.name);
            QVERIFY2(item != nullptr && item->click, c.name);
            QCOMPARE(item->level, c.menu.path[1].name ? 3 : 2);
            test::RecordingUi ui;
            item->click(models, ui);
            QCOMPARE(ui.events.size(), std::size_t{1});
            QCOMPARE(ui.events[0].window, c.window);
            const MenuItem* help = menu_item(c.help.name);
            QVERIFY2(help != nullptr, c.help.name);
            QVERIFY2(same(help->caption, c.help.caption), c.help.name);
        }
    }

    void every_help_topic_is_in_the_shipped_help_file() {
        const auto text = read_text_file(QCoreApplication::applicationDirPath().toStdString() + "/brant.hlp");
        QVERIFY(text.has_value());
        const HelpFile file = parse_help(*text);
        for (const WindowRow& row : window_rows())
            if (row.help.topic != 0)
                QVERIFY2(file.find(row.help.topic) != nullptr, std::to_string(row.help.topic).c_str());
    }
};

QTEST_MAIN(WindowsTest)
#include "test_windows.moc"
