// The menu tree and its handlers, driven headless.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options/menus.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

using test::RecordingUi;
using test::UiEvent;

TEST(Menus, TreeInDisplayOrderWithCaptionsAndAccessKeys) {
    struct Row {
        int level;
        std::string name, caption;
        bool opens_submenu;
    };
    const std::vector<Row> expected{
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
        {1, "mnuHelp", "&Help", true},
        {2, "mnuHelpOptions", "&Options", false},
        {2, "mnuHelpFutures", "&Futures", false},
        {2, "mnuHelpWarrants", "&Warrants", false},
        {2, "mnuHelpSbonds", "&Straight Bonds", false},
        {2, "mnuHelpCbonds", "&Convertible Bonds", false},
        {2, "mnuHelpNets1", "&Neural Net Creation", false},
        {2, "mnuHelpNets2", "Neual Net &Usage", false},
    };
    const auto tree = menu_tree();
    ASSERT_EQ(tree.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(tree[i].level, expected[i].level);
        EXPECT_EQ(tree[i].name, expected[i].name);
        EXPECT_EQ(tree[i].caption, expected[i].caption);
        EXPECT_EQ(tree[i].click == nullptr, expected[i].opens_submenu);
    }
}

TEST(Menus, WindowItemsShowTheirWindow) {
    const std::vector<std::pair<MenuHandler, Window>> items{
        {mnuWarrants_Click, Window::Warrants},    {mnuAdvancedFutures_Click, Window::Futures},
        {mnucbonds_Click, Window::Bonds},         {mnusbonds_Click, Window::Bonds2},
        {mnuNeuralCreate_Click, Window::Neural1}, {mnuNeuralPredict_Click, Window::Neural3},
    };
    for (const auto& [click, window] : items) {
        MainWindow w;
        RecordingUi ui;
        click(w, ui);
        ASSERT_EQ(ui.events.size(), 1u);
        EXPECT_EQ(ui.events[0].kind, UiEvent::Kind::Show);
        EXPECT_EQ(ui.events[0].window, window);
    }
}

TEST(Menus, HelpItemsOpenTheBoundFileAtTheirTopic) {
    const std::vector<std::pair<MenuHandler, int>> items{
        {mnuHelpOptions_Click, 100}, {mnuHelpFutures_Click, 200}, {mnuHelpWarrants_Click, 300},
        {mnuHelpSbonds_Click, 400},  {mnuHelpCbonds_Click, 500},  {mnuHelpNets1_Click, 600},
        {mnuHelpNets2_Click, 700},
    };
    for (const auto& [click, topic] : items) {
        MainWindow w;
        Form_Load(w);
        RecordingUi ui;
        click(w, ui);
        ASSERT_EQ(ui.events.size(), 1u);
        EXPECT_EQ(ui.events[0].kind, UiEvent::Kind::Help);
        EXPECT_EQ(ui.events[0].title, "brant.hlp");
        EXPECT_EQ(ui.events[0].text, std::to_string(topic));
    }
}

TEST(Menus, ExitAsksTheMainWindowToUnload) {
    MainWindow w;
    RecordingUi ui;
    mnuFileExit_Click(w, ui);
    ASSERT_EQ(ui.events.size(), 1u);
    EXPECT_EQ(ui.events[0].kind, UiEvent::Kind::Unload);
    EXPECT_EQ(ui.events[0].window, Window::Main);
    EXPECT_FALSE(w.unloaded);  // the window's own exit question decides
}

}  // namespace
}  // namespace tvx
