// The menu items' commands, driven headless. The tree itself is the Qt
// layer's (tests/app/test_windows.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options/menu_commands.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

using test::RecordingUi;
using test::UiEvent;

TEST(Menus, WindowItemsShowTheirWindow) {
    using Command = void (*)(MainWindow&, UserInterface&);
    const std::vector<std::pair<Command, Window>> items{
        {mnuNeuralCreate_Click, Window::Neural1},
        {mnuNeuralPredict_Click, Window::Neural3},
        {mnuHistory_Click, Window::History},
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
    for (int topic : {100, 200, 300, 400, 500, 600, 700}) {
        MainWindow w;
        Form_Load(w);
        RecordingUi ui;
        mnuHelp_Click(w, ui, topic);
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
