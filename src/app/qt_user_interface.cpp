#include "app/qt_user_interface.h"

#include <QApplication>
#include <QFile>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "app/accessible_combo.h"
#include "app/accessible_names.h"
#include "app/boxes.h"
#include "app/forms.h"
#include "app/main_form.h"
#include "app/placement.h"
#include "app/window_keys.h"
#include "app/windows.h"
#include "core/help.h"

namespace tvx {

QtUserInterface::QtUserInterface(Models& models) : models_(models) { install_accessible_combo(); }

QtUserInterface::~QtUserInterface() { set_pointer(Pointer::Normal); }

QWidget* QtUserInterface::existing(Window window) const {
    const auto it = forms_.find(window);
    return it == forms_.end() ? nullptr : it->second.get();
}

namespace {

// One window's view of the interface: its boxes are that window's.
class WindowView final : public UserInterface {
public:
    WindowView(QtUserInterface& ui, Window window) : ui_(ui), window_(window) {}

    Answer message_box(const std::string& title, Icon icon, const std::string& text, Buttons buttons) override {
        return ui_.message_box_from(window_, title, icon, text, buttons);
    }
    std::optional<std::string> input_box(const std::string& title, const std::string& prompt,
                                         const std::string& default_text) override {
        return ui_.input_box_from(window_, title, prompt, default_text);
    }
    void set_pointer(Pointer pointer) override { ui_.set_pointer(pointer); }
    void show(Window window) override { ui_.show(window); }
    void hide(Window window) override { ui_.hide(window); }
    void refresh(Window window) override { ui_.refresh(window); }
    void unload(Window window) override { ui_.unload(window); }
    void focus_field(Window window, const std::string& control) override { ui_.focus_field(window, control); }
    void yield() override { ui_.yield(); }
    // A message about the help file is this window's too.
    void show_help(const std::string& help_file, int topic) override { ui_.show_help_for(*this, help_file, topic); }
    void record(const HistoryRow& row) override { ui_.record(row); }

private:
    QtUserInterface& ui_;
    Window window_;
};

ScreenRect rect_of(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

}  // namespace

UserInterface& QtUserInterface::for_window(Window window) {
    std::unique_ptr<UserInterface>& view = views_[window];
    if (!view) view = std::make_unique<WindowView>(*this, window);
    return *view;
}

void QtUserInterface::place_first(QWidget* w) const {
    const QWidget* main = existing(Window::Main);
    if (!main || main == w || !main->isVisible()) return;
    const QScreen* screen = main->screen();
    if (!screen) return;
    // The new window's frame is taken to be as thick as the main window's.
    // adjustSize keeps a window within two thirds of the screen, which can
    // be less than its controls need: it is placed at the size it will
    // have when shown.
    w->adjustSize();
    w->resize(w->size().expandedTo(w->minimumSizeHint()));
    const QSize frame = window_frame(*main).size() - main->size();
    std::vector<ScreenRect> open;
    for (const auto& [id, other] : forms_) {
        if (other.get() != w && other.get() != main && other->isVisible())
            open.push_back(rect_of(window_frame(*other)));
    }
    const QRect available = screen->availableGeometry();
    const ScreenRect room = rect_of(available);
    const ScreenRect beside = rect_of(window_frame(*main));
    // A window that can be smaller than it would like (the help viewer)
    // takes the largest size, down to its least, that finds a free spot;
    // without one, it keeps its size, at least its least (a help viewer too
    // small to read serves nobody), and only the screen bounds it.
    const QSize least = (w->minimumSizeHint().expandedTo(w->minimumSize()) + frame).boundedTo(available.size());
    const QSize outer = (w->size() + frame).expandedTo(least).boundedTo(available.size());
    w->resize(outer - frame);
    for (int step = 0; step <= 8 && least != outer; ++step) {
        const QSize size = outer - (outer - least) * step / 8;
        if (const auto spot = free_spot(room, beside, open, size.width(), size.height())) {
            w->resize(size - frame);
            w->move(spot->x, spot->y);
            return;
        }
    }
    const ScreenRect r = place_window(room, beside, open, outer.width(), outer.height());
    w->move(r.x, r.y);  // a top-level widget's position is that of its frame
}

QWidget* QtUserInterface::widget(Window window) {
    if (QWidget* w = existing(window)) return w;
    const WindowRow* entry = window_row(window);
    if (!entry) return nullptr;
    UserInterface& view = for_window(window);
    std::unique_ptr<QWidget> made = entry->make(models_, view);
    QWidget* w = made.get();
    name_controls(w);
    forms_[window] = std::move(made);
    placed_.erase(window);
    if (auto* main = qobject_cast<MainForm*>(w)) {
        QObject::connect(main, &MainForm::unloaded, main, [this] { quit(); });
    }
    install_window_keys(w, window, models_.main, view, for_window(Window::Main));
    return w;
}

namespace {

// A window that grew as it was drawn (a leg added) is moved back onto the
// screen, as far as it fits there; its frame is taken to be as thick as
// the main window's.
void keep_on_screen(QWidget* w, const QWidget* main) {
    if (!w->isVisible() || !w->screen() || !main || main == w) return;
    if (w->layout()) w->layout()->activate();
    const QRect room = w->screen()->availableGeometry();
    const QRect frame = window_frame(*w);
    const QSize outer = w->size() + (window_frame(*main).size() - main->size());
    const int x = std::max(room.left(), std::min(frame.x(), room.right() + 1 - outer.width()));
    const int y = std::max(room.top(), std::min(frame.y(), room.bottom() + 1 - outer.height()));
    if (x != frame.x() || y != frame.y()) w->move(x, y);
}

}  // namespace

void QtUserInterface::refresh(Window window) {
    QWidget* w = existing(window);
    if (auto* view = dynamic_cast<FormView*>(w)) {
        view->draw();
        keep_on_screen(w, existing(Window::Main));
    }
}

void QtUserInterface::show(Window window) {
    QWidget* w = widget(window);
    if (!w) return;
    refresh(window);
    const WindowRow* entry = window_row(window);
    const bool takes_focus = entry == nullptr || entry->takes_focus;
    if (entry != nullptr && entry->above_main) keep_above_main(w);
    QWidget* const active = QApplication::activeWindow();
    if (entry != nullptr && entry->placement == Placement::FreeSpot && placed_.insert(window).second) place_first(w);
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

QWidget* QtUserInterface::box_parent(std::optional<Window> asker) const {
    if (asker) {
        QWidget* w = existing(*asker);
        if (w && w->isVisible()) return w;
    }
    if (QWidget* active = QApplication::activeWindow()) return active;
    QWidget* main = existing(Window::Main);
    return main && main->isVisible() ? main : nullptr;
}

Answer QtUserInterface::message_box(const std::string& title, Icon icon, const std::string& text, Buttons buttons) {
    return show_message_box(box_parent(std::nullopt), title, icon, text, buttons);
}

Answer QtUserInterface::message_box_from(Window asker, const std::string& title, Icon icon, const std::string& text,
                                         Buttons buttons) {
    return show_message_box(box_parent(asker), title, icon, text, buttons);
}

std::optional<std::string> QtUserInterface::input_box(const std::string& title, const std::string& prompt,
                                                      const std::string& default_text) {
    return show_input_box(box_parent(std::nullopt), title, prompt, default_text);
}

std::optional<std::string> QtUserInterface::input_box_from(Window asker, const std::string& title,
                                                           const std::string& prompt, const std::string& default_text) {
    return show_input_box(box_parent(asker), title, prompt, default_text);
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
    // A control that is not a text field (a button to press) just takes
    // the focus.
    QWidget* target = edit ? edit : w->findChild<QWidget*>(QString::fromStdString(control));
    if (!target) return;
    w->activateWindow();
    target->setFocus(Qt::OtherFocusReason);
    if (edit) edit->selectAll();
}

void QtUserInterface::record(const HistoryRow& row) {
    keep_row(models_.history, row, models_.main.precision == Precision::Exact);
    refresh(Window::History);
}

void QtUserInterface::yield() { QCoreApplication::processEvents(); }

void QtUserInterface::show_help(const std::string& help_file, int topic) { show_help_for(*this, help_file, topic); }

void QtUserInterface::show_help_for(UserInterface& asker, const std::string& help_file, int topic) {
    const std::filesystem::path exe_dir = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    open_help(models_.help, help_places(exe_dir, help_file), topic, asker);
}

}  // namespace tvx
