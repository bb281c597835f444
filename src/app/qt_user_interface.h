// The Qt side of the user-interface interface: real message boxes, the
// wait cursor, and the single instance of every window, each created on
// first use and drawn from its model.
#pragma once

#include <memory>

#include "core/progress.h"
#include "core/user_interface.h"
#include "options/main_window.h"
#include "options/output_window.h"

class QWidget;

namespace tvx {

class MainForm;
class OutputForm;
class PacifierForm;
class PmeterForm;

// Every window model of the application, alive for the whole run.
struct Models {
    MainWindow main;
    OutputWindow output;
    Pacifier pacifier;
    Pmeter pmeter;
};

class QtUserInterface final : public UserInterface {
public:
    explicit QtUserInterface(Models& models);
    ~QtUserInterface() override;
    QtUserInterface(const QtUserInterface&) = delete;
    QtUserInterface& operator=(const QtUserInterface&) = delete;

    Answer message_box(const std::string& title, Icon icon, const std::string& text,
                       Buttons buttons) override;
    std::optional<std::string> input_box(const std::string& title, const std::string& prompt,
                                         const std::string& default_text) override;
    void set_pointer(Pointer pointer) override;
    void show(Window window) override;
    void hide(Window window) override;
    void refresh(Window window) override;
    void yield() override;
    void show_help(const std::string& help_file, int topic) override;

    // The window's single instance, created (hidden) on first use.
    QWidget* widget(Window window);

    // The main window was unloaded: close everything and end the event loop.
    void quit();

private:
    QWidget* existing(Window window) const;

    Models& models_;
    std::unique_ptr<MainForm> main_;
    std::unique_ptr<OutputForm> output_;
    std::unique_ptr<PacifierForm> pacifier_;
    std::unique_ptr<PmeterForm> pmeter_;
    bool busy_ = false;
};

}  // namespace tvx
