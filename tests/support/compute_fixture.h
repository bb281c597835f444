// The main window, the output window and the progress window of one
// application, driven headless through the recording interface.
#pragma once

#include <gtest/gtest.h>

#include "options/compute.h"
#include "support/recording_ui.h"

namespace tvx::test {

class ComputeFixture : public ::testing::Test {
protected:
    ComputeFixture() { ui.pacifier = &pac; }

    void compute() { cmdCompute_Click(main, out, pac, ui); }

    std::vector<std::string> lines() const {
        return {out.Label1, out.Label2, out.Label3, out.Label4, out.Label5, out.Label6};
    }

    // The one box the command showed, or a failure when there is not exactly one.
    UiEvent only_box() const {
        const auto boxes = ui.boxes();
        EXPECT_EQ(boxes.size(), 1u);
        return boxes.empty() ? UiEvent{UiEvent::Kind::MessageBox} : boxes.front();
    }

    void expect_generic_error() const {
        const UiEvent box = only_box();
        EXPECT_EQ(box.title, "Tarvenix");
        EXPECT_EQ(box.icon, Icon::Critical);
        EXPECT_EQ(box.text, "There has been an error in the program. Please check your input and try again.");
        EXPECT_EQ(ui.pointer, Pointer::Normal);
        EXPECT_FALSE(ui.shown(Window::Output));
    }

    MainWindow main;
    OutputWindow out;
    Pacifier pac;
    RecordingUi ui;
};

}  // namespace tvx::test
