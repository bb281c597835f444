#include "app/window_keys.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>
#include <functional>

#include "options/menus.h"

namespace tvx {

namespace {

// The help item whose topic belongs to the window: the main window's for
// itself and its output window.
MenuHandler help_item(Window id) {
    switch (id) {
        case Window::Main:
        case Window::Output: return mnuHelpOptions_Click;
        case Window::Futures: return mnuHelpFutures_Click;
        case Window::Warrants: return mnuHelpWarrants_Click;
        case Window::Bonds2: return mnuHelpSbonds_Click;
        case Window::Bonds: return mnuHelpCbonds_Click;
        case Window::Neural1: return mnuHelpNets1_Click;
        case Window::Neural3: return mnuHelpNets2_Click;
        case Window::Pacifier:
        case Window::Pmeter:
        case Window::Help: return nullptr;
    }
    return nullptr;
}

// Windows that Esc closes: through their close box, which runs Cancel in
// the calculators and the neural-net windows and hides the output window
// and the help viewer.
bool esc_closes(Window id) { return id != Window::Main && id != Window::Pacifier && id != Window::Pmeter; }

void bind(QWidget* window, const QKeySequence& keys, std::function<void()> run) {
    auto* shortcut = new QShortcut(keys, window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, std::move(run));
}

}  // namespace

void install_window_keys(QWidget* window, Window id, MainWindow& main, UserInterface& view, UserInterface& main_view) {
    if (const MenuHandler help = help_item(id)) {
        bind(window, QKeySequence(Qt::Key_F1), [help, &main, &view] { help(main, view); });
    }
    if (esc_closes(id)) bind(window, QKeySequence(Qt::Key_Escape), [window] { window->close(); });
    bind(window, QKeySequence(Qt::CTRL | Qt::Key_Q), [&main, &main_view] { mnuFileExit_Click(main, main_view); });
}

}  // namespace tvx
