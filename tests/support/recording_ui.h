// A user interface for headless command tests: it records every request in
// order and answers message boxes from a script (OK or Yes by default).
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/history.h"
#include "core/progress.h"
#include "core/user_interface.h"

namespace tvx::test {

struct UiEvent {
    enum class Kind { MessageBox, InputBox, Pointer, Show, Hide, Refresh, Unload, Focus, Yield, Help };
    Kind kind;
    std::string title = {};  // message and input boxes
    Icon icon = Icon::None;
    std::string text = {};  // box text; for a pacifier refresh, its message
    Buttons buttons = Buttons::Ok;
    Window window = Window::Main;
    Pointer pointer = Pointer::Normal;
};

class RecordingUi final : public UserInterface {
public:
    std::vector<UiEvent> events;
    std::deque<Answer> answers;  // scripted answers to message boxes
    // Scripted answers to input boxes (no value: the user cancelled); the
    // default answer when none is left.
    std::deque<std::optional<std::string>> input_answers;
    std::function<void(int yield_count)> on_yield;  // runs inside the n-th yield (1-based)
    const Pacifier* pacifier = nullptr;             // its message is recorded on each refresh
    Pointer pointer = Pointer::Normal;
    int yields = 0;
    std::vector<HistoryRow> history;  // the results handed to the history, in order

    Answer message_box(const std::string& title, Icon icon, const std::string& text, Buttons buttons) override {
        events.push_back({UiEvent::Kind::MessageBox, title, icon, text, buttons});
        if (!answers.empty()) {
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    std::optional<std::string> input_box(const std::string& title, const std::string& prompt,
                                         const std::string& default_text) override {
        events.push_back({UiEvent::Kind::InputBox, title, Icon::None, prompt + "|" + default_text});
        if (!input_answers.empty()) {
            std::optional<std::string> a = input_answers.front();
            input_answers.pop_front();
            return a;
        }
        return default_text;
    }
    void set_pointer(Pointer p) override {
        pointer = p;
        UiEvent e{UiEvent::Kind::Pointer};
        e.pointer = p;
        events.push_back(e);
    }
    void show(Window w) override { window_event(UiEvent::Kind::Show, w); }
    void hide(Window w) override { window_event(UiEvent::Kind::Hide, w); }
    void refresh(Window w) override { window_event(UiEvent::Kind::Refresh, w); }
    void unload(Window w) override { window_event(UiEvent::Kind::Unload, w); }
    // The control's name is recorded as the event's text.
    void focus_field(Window w, const std::string& control) override {
        UiEvent e{UiEvent::Kind::Focus};
        e.window = w;
        e.text = control;
        events.push_back(e);
    }
    void yield() override {
        ++yields;
        events.push_back({UiEvent::Kind::Yield});
        if (on_yield) on_yield(yields);
    }
    void show_help(const std::string& file, int topic) override {
        events.push_back({UiEvent::Kind::Help, file, Icon::None, std::to_string(topic)});
    }
    void record(const HistoryRow& row) override { history.push_back(row); }

    // The message boxes, in order.
    std::vector<UiEvent> boxes() const { return of_kind(UiEvent::Kind::MessageBox); }
    // Texts of the boxes, in order.
    std::vector<std::string> box_texts() const {
        std::vector<std::string> out;
        for (const auto& e : boxes()) out.push_back(e.text);
        return out;
    }
    // The messages the progress window showed, in order.
    std::vector<std::string> progress_messages() const {
        std::vector<std::string> out;
        for (const auto& e : events)
            if (e.kind == UiEvent::Kind::Refresh && e.window == Window::Pacifier) out.push_back(e.text);
        return out;
    }
    int count(UiEvent::Kind kind, Window w) const {
        int n = 0;
        for (const auto& e : events) n += e.kind == kind && e.window == w;
        return n;
    }
    bool shown(Window w) const { return count(UiEvent::Kind::Show, w) > 0; }

private:
    void window_event(UiEvent::Kind kind, Window w) {
        UiEvent e{kind};
        e.window = w;
        if (w == Window::Pacifier && pacifier) e.text = pacifier->olabel;
        events.push_back(e);
    }
    std::vector<UiEvent> of_kind(UiEvent::Kind kind) const {
        std::vector<UiEvent> out;
        for (const auto& e : events)
            if (e.kind == kind) out.push_back(e);
        return out;
    }
};

}  // namespace tvx::test
