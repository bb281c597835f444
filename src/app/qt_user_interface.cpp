#include "app/qt_user_interface.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <filesystem>

#include "app/forms.h"
#include "app/main_form.h"
#include "app/windows.h"
#include "core/help.h"

namespace tvx {

QtUserInterface::QtUserInterface(Models& models) : models_(models) {}

QtUserInterface::~QtUserInterface() { set_pointer(Pointer::Normal); }

QWidget* QtUserInterface::existing(Window window) const {
    const auto it = forms_.find(window);
    return it == forms_.end() ? nullptr : it->second.get();
}

namespace {

// Where a window first appears: the output window to the right of the main
// window, so that both stay readable; a progress window over its middle; a
// calculator a little below and right of its top left corner.
void place_first(QWidget* w, const QWidget* main, Placement placement) {
    if (placement == Placement::None || !main || !main->isVisible()) return;
    const QRect frame = main->frameGeometry();
    w->adjustSize();
    QPoint at;
    switch (placement) {
        case Placement::Beside: at = QPoint(frame.right() + 12, frame.top()); break;
        case Placement::Over: at = frame.center() - QPoint(w->width() / 2, w->height() / 2); break;
        case Placement::Cascade: at = frame.topLeft() + QPoint(48, 64); break;
        case Placement::None: return;
    }
    // Wholly on the screen, its frame (as wide as the main window's) included.
    if (const QScreen* screen = main->screen()) {
        const QRect room = screen->availableGeometry();
        const QSize outer = w->size() + (frame.size() - main->size());
        at.setX(std::max(room.left(), std::min(at.x(), room.right() + 1 - outer.width())));
        at.setY(std::max(room.top(), std::min(at.y(), room.bottom() + 1 - outer.height())));
    }
    w->move(at);
}

}  // namespace

QWidget* QtUserInterface::widget(Window window) {
    if (QWidget* w = existing(window)) return w;
    const WindowRow* entry = window_row(window);
    if (!entry) return nullptr;
    std::unique_ptr<QWidget> made = entry->make(models_, *this);
    QWidget* w = made.get();
    forms_[window] = std::move(made);
    if (auto* main = qobject_cast<MainForm*>(w)) {
        QObject::connect(main, &MainForm::unloaded, main, [this] { quit(); });
    }
    place_first(w, existing(Window::Main), entry->placement);
    return w;
}

void QtUserInterface::refresh(Window window) {
    if (auto* view = dynamic_cast<FormView*>(existing(window))) view->draw();
}

void QtUserInterface::show(Window window) {
    QWidget* w = widget(window);
    if (!w) return;
    refresh(window);
    const WindowRow* entry = window_row(window);
    const bool takes_focus = entry == nullptr || entry->takes_focus;
    if (entry != nullptr && entry->above_main) keep_above_main(w);
    QWidget* const active = QApplication::activeWindow();
    w->setAttribute(Qt::WA_ShowWithoutActivating, !takes_focus);
    w->show();
    w->raise();
    if (takes_focus) {
        w->activateWindow();
    } else if (active != nullptr && active != w && active->isVisible()) {
        // Some window systems activate every window they map, whatever it
        // asks for: the focus goes back where it was.
        active->activateWindow();
    }
}

void QtUserInterface::keep_above_main(QWidget* w) const {
    QWidget* main = existing(Window::Main);
    if (main == nullptr || main == w) return;
    w->winId();  // the native windows, so that one can name the other
    main->winId();
    w->windowHandle()->setTransientParent(main->windowHandle());
}

void QtUserInterface::hide(Window window) {
    if (QWidget* w = widget(window)) w->hide();
}

void QtUserInterface::unload(Window window) {
    if (window == Window::Main) {
        // Closing runs the exit question; the window unloads itself on Yes.
        if (QWidget* main = existing(Window::Main)) main->close();
        return;
    }
    const auto it = forms_.find(window);
    if (it == forms_.end()) return;
    // The request may come from inside the window's own handlers: delete it
    // once they have returned.
    QWidget* w = it->second.release();
    forms_.erase(it);
    w->hide();
    w->deleteLater();
}

void QtUserInterface::quit() {
    // The main window has gone: the others go with it. A computation still
    // waiting in yield() sees the unloaded model and returns before the
    // main event loop ends; every window outlives it.
    for (auto& [id, w] : forms_) {
        if (id != Window::Main) w->hide();
    }
    // A training waiting in the event loop ends as if cancelled, writing
    // nothing.
    Command1_Click(static_cast<ProgressWindow&>(models_.pmeter));
    QCoreApplication::exit(0);
}

QWidget* QtUserInterface::box_parent() const {
    if (QWidget* active = QApplication::activeWindow()) return active;
    QWidget* main = existing(Window::Main);
    return main && main->isVisible() ? main : nullptr;
}

Answer QtUserInterface::message_box(const std::string& title, Icon icon, const std::string& text, Buttons buttons) {
    QString lines = QString::fromStdString(text);
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QMessageBox::Icon kind = QMessageBox::NoIcon;
    if (icon == Icon::Exclamation) kind = QMessageBox::Warning;
    if (icon == Icon::Critical) kind = QMessageBox::Critical;
    const QMessageBox::StandardButtons choice =
        buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok;

    QMessageBox box(kind, QString::fromStdString(title), lines, choice, box_parent());
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    const int answer = box.exec();
    if (buttons == Buttons::Ok) return Answer::Ok;
    return answer == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

std::optional<std::string> QtUserInterface::input_box(const std::string& title, const std::string& prompt,
                                                      const std::string& default_text) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(box_parent(), QString::fromStdString(title), QString::fromStdString(prompt),
                              QLineEdit::Normal, QString::fromStdString(default_text), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

void QtUserInterface::set_pointer(Pointer pointer) {
    // One override at most: repeated requests for the same pointer neither
    // stack nor unwind someone else's cursor.
    const bool busy = pointer == Pointer::Busy;
    if (busy == busy_) return;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
    busy_ = busy;
}

void QtUserInterface::focus_field(Window window, const std::string& control) {
    QWidget* w = existing(window);
    if (!w) return;
    auto* edit = w->findChild<QLineEdit*>(QString::fromStdString(control));
    if (!edit) return;
    w->activateWindow();
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

void QtUserInterface::yield() { QCoreApplication::processEvents(); }

void QtUserInterface::show_help(const std::string& help_file, int topic) {
    const std::filesystem::path exe_dir = QCoreApplication::applicationDirPath().toStdString();
    open_help(models_.help, help_places(exe_dir, help_file), topic, *this);
}

}  // namespace tvx
