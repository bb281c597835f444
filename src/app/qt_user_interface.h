// The Qt side of the user-interface interface: real message boxes, the
// wait cursor, and the single instance of every window, each created on
// first use from the window table and drawn from its model.
//
// Each window's commands talk to the user through that window's own view
// of this interface (for_window): their boxes belong to the window that
// asked and give it back the front and its focus when they close.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>

#include "app/models.h"
#include "core/user_interface.h"

class QWidget;

namespace tvx {

class QtUserInterface final : public UserInterface {
public:
    explicit QtUserInterface(Models& models);
    ~QtUserInterface() override;
    QtUserInterface(const QtUserInterface&) = delete;
    QtUserInterface& operator=(const QtUserInterface&) = delete;

    Answer message_box(const std::string& title, Icon icon, const std::string& text, Buttons buttons) override;
    std::optional<std::string> input_box(const std::string& title, const std::string& prompt,
                                         const std::string& default_text) override;
    void set_pointer(Pointer pointer) override;
    void show(Window window) override;
    void hide(Window window) override;
    void refresh(Window window) override;
    void unload(Window window) override;
    void focus_field(Window window, const std::string& control) override;
    void yield() override;
    void show_help(const std::string& help_file, int topic) override;
    // Keeps the result in the History window's model and shows it there
    // when the window is open.
    void record(const HistoryRow& row) override;

    // The interface as the commands of one window see it: the same in
    // everything, except that its boxes are that window's.
    UserInterface& for_window(Window window);
    Answer message_box_from(Window asker, const std::string& title, Icon icon, const std::string& text,
                            Buttons buttons);
    // Opens the help with `asker` telling the user of a missing file.
    void show_help_for(UserInterface& asker, const std::string& help_file, int topic);
    std::optional<std::string> input_box_from(Window asker, const std::string& title, const std::string& prompt,
                                              const std::string& default_text);

    // The window's single instance, created (hidden) on first use.
    QWidget* widget(Window window);
    // The window's instance, or null when it is not loaded.
    QWidget* existing(Window window) const;

    // The main window was unloaded: close everything and end the event loop.
    void quit();

private:
    // A parent for modal boxes: the asking window while it is on screen,
    // else the active window of the program, else the main window while it
    // is visible.
    QWidget* box_parent(std::optional<Window> asker) const;
    // A free spot for a window shown for the first time (see placement.h).
    void place_first(QWidget* w) const;
    // Makes the window a transient of the main window, which the window
    // system then keeps it above.
    void keep_above_main(QWidget* w) const;

    Models& models_;
    std::map<Window, std::unique_ptr<QWidget>> forms_;
    std::map<Window, std::unique_ptr<UserInterface>> views_;
    std::set<Window> placed_;  // shown since it was made: it stays where the user put it
    bool busy_ = false;
};

}  // namespace tvx
