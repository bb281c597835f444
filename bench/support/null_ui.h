// A user interface that answers every box with its first button and draws
// nothing: the benchmarks time the commands, not the windows.
#pragma once

#include "core/user_interface.h"

namespace tvx::bench {

class NullUi : public UserInterface {
public:
    Answer message_box(const std::string&, Icon, const std::string&, Buttons b) override {
        return b == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    std::optional<std::string> input_box(const std::string&, const std::string&, const std::string& d) override {
        return d;
    }
    void set_pointer(Pointer) override {}
    void show(Window) override {}
    void hide(Window) override {}
    void refresh(Window) override {}
    void unload(Window) override {}
    void focus_field(Window, const std::string&) override {}
    void yield() override {}
    void show_help(const std::string&, int) override {}
};

}  // namespace tvx::bench
