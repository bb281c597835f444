// The main window's own commands: the correlation slider, loading and the
// exit confirmation.
#include <gtest/gtest.h>

#include <cstring>

#include "options/main_window.h"
#include "support/recording_ui.h"

namespace tvx {
namespace {

using test::RecordingUi;

TEST(MainWindowModel, DefaultsAsDesigned) {
    const MainWindow w;
    EXPECT_EQ(w.current, "60.0");
    EXPECT_EQ(w.strike, "64.0");
    EXPECT_EQ(w.dividend, "2.1");
    EXPECT_EQ(w.time, "0.5");
    EXPECT_EQ(w.irate, "4.5");
    EXPECT_EQ(w.qqq, "0.2");
    EXPECT_EQ(w.qqq2, "3.45");
    EXPECT_EQ(w.cor, "0.0");
    EXPECT_EQ(w.Slider1, 100);
    EXPECT_TRUE(w.optCall && w.optEuro && w.optPrice);
    EXPECT_FALSE(w.svol || w.srate);
    // The scale: "-1", 22 blanks, "0", 21 blanks, "1".
    EXPECT_EQ(std::strlen(main_caption::Label6), 47u);
    EXPECT_EQ(std::string(main_caption::Label6), "-1" + std::string(22, ' ') + "0" + std::string(21, ' ') + "1");
}

TEST(MainWindowModel, FormLoadBindsTheHelpFile) {
    MainWindow w;
    Form_Load(w);
    EXPECT_EQ(w.dlgHelp_HelpFile, "brant.hlp");
    EXPECT_EQ(w.current, "60.0");  // nothing else is set
}

TEST(Slider, WritesTheCorrelationInGeneralText) {
    MainWindow w;
    const std::pair<int, const char*> cases[] = {{0, "-1"},     {100, "0"},   {150, "0.5"}, {200, "1"},
                                                 {133, "0.33"}, {1, "-0.99"}, {57, "-0.43"}};
    for (const auto& [position, text] : cases) {
        w.Slider1 = position;
        Slider1_Change(w);
        EXPECT_EQ(w.cor, text) << "position " << position;
    }
}

TEST(Slider, OverwritesWhatWasTyped) {
    MainWindow w;
    w.cor = "0.7";
    w.Slider1 = 101;
    Slider1_Change(w);
    EXPECT_EQ(w.cor, "0.01");
}

TEST(FormUnload, YesUnloadsNoKeepsEverything) {
    RecordingUi ui;
    MainWindow w;
    w.current = "75";
    std::int16_t cancel = 0;
    ui.answers = {Answer::No};
    Form_Unload(w, ui, cancel);
    EXPECT_EQ(cancel, 1);
    EXPECT_FALSE(w.unloaded);
    EXPECT_EQ(w.current, "75");
    const auto box = ui.boxes().at(0);
    EXPECT_EQ(box.title, "Tarvenix");
    EXPECT_EQ(box.text, "Are you sure?");
    EXPECT_EQ(box.icon, Icon::None);
    EXPECT_EQ(box.buttons, Buttons::YesNo);

    cancel = 0;
    ui.answers = {Answer::Yes};
    Form_Unload(w, ui, cancel);
    EXPECT_EQ(cancel, 0);
    EXPECT_TRUE(w.unloaded);
}

}  // namespace
}  // namespace tvx
