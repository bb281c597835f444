#include "app/window_keys.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>
#include <functional>

#include "app/windows.h"
#include "options/menu_commands.h"

namespace tvx {

namespace {

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
    // The window's own help topic, from the window table (the main
    // window's for the output window).
    if (const int topic = help_topic(id); topic != 0) {
        bind(window, QKeySequence(Qt::Key_F1), [topic, &main, &view] { mnuHelp_Click(main, view, topic); });
    }
    if (esc_closes(id)) bind(window, QKeySequence(Qt::Key_Escape), [window] { window->close(); });
    bind(window, QKeySequence(Qt::CTRL | Qt::Key_Q), [&main, &main_view] { mnuFileExit_Click(main, main_view); });
}

}  // namespace tvx
