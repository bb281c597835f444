// What every calculator command must leave behind, checked on a recording
// user interface: one result box, the validation boxes with the focus on
// the first failed field, or the generic error box.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/recording_ui.h"

namespace tvx::test {

inline bool ever_busy(const RecordingUi& ui) {
    for (const auto& e : ui.events)
        if (e.kind == UiEvent::Kind::Pointer && e.pointer == Pointer::Busy) return true;
    return false;
}

// One plain box with `text`; the pointer is normal again, and it was
// normal before the box appeared.
inline void expect_result(const RecordingUi& ui, const std::string& text) {
    const auto boxes = ui.boxes();
    ASSERT_EQ(boxes.size(), 1u) << (boxes.empty() ? "" : boxes.front().text);
    EXPECT_EQ(boxes[0].title, "Tarvenix");
    EXPECT_EQ(boxes[0].icon, Icon::None);
    EXPECT_EQ(boxes[0].buttons, Buttons::Ok);
    EXPECT_EQ(boxes[0].text, text);
    Pointer before_box = Pointer::Normal;
    for (const auto& e : ui.events) {
        if (e.kind == UiEvent::Kind::MessageBox) break;
        if (e.kind == UiEvent::Kind::Pointer) before_box = e.pointer;
    }
    EXPECT_EQ(before_box, Pointer::Normal);
    EXPECT_EQ(ui.pointer, Pointer::Normal);
}

// The validation boxes in order, the busy pointer never shown, and the
// focus sent to `field` of `window` after the last box.
inline void expect_refused(const RecordingUi& ui, const std::vector<std::string>& texts, Window window,
                           const std::string& field) {
    EXPECT_EQ(ui.box_texts(), texts);
    for (const auto& box : ui.boxes()) {
        EXPECT_EQ(box.title, "Tarvenix");
        EXPECT_EQ(box.icon, Icon::Exclamation);
        EXPECT_EQ(box.buttons, Buttons::Ok);
    }
    EXPECT_FALSE(ever_busy(ui));
    ASSERT_FALSE(ui.events.empty());
    const UiEvent& last = ui.events.back();
    EXPECT_EQ(last.kind, UiEvent::Kind::Focus);
    EXPECT_EQ(last.window, window);
    EXPECT_EQ(last.text, field);
}

// Only the generic error box, and the pointer normal again.
inline void expect_generic_error(const RecordingUi& ui) {
    const auto boxes = ui.boxes();
    ASSERT_EQ(boxes.size(), 1u) << (boxes.empty() ? "" : boxes.front().text);
    EXPECT_EQ(boxes[0].title, "Tarvenix");
    EXPECT_EQ(boxes[0].icon, Icon::Critical);
    EXPECT_EQ(boxes[0].text, "There has been an error in the program. Please check your input and try again.");
    EXPECT_EQ(ui.pointer, Pointer::Normal);
}

// Cancel put the model back to its defaults and unloaded the window.
template <class Model>
void expect_cancelled(const Model& model, const RecordingUi& ui, Window window) {
    EXPECT_TRUE(model == Model{});
    EXPECT_EQ(ui.count(UiEvent::Kind::Unload, window), 1);
    EXPECT_TRUE(ui.boxes().empty());
}

}  // namespace tvx::test
