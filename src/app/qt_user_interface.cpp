#include "app/qt_user_interface.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

#include "app/main_form.h"
#include "app/output_form.h"
#include "app/progress_forms.h"

namespace tvx {

QtUserInterface::QtUserInterface(Models& models) : models_(models) {}

QtUserInterface::~QtUserInterface() { set_pointer(Pointer::Normal); }

QWidget* QtUserInterface::existing(Window window) const {
    switch (window) {
        case Window::Main: return main_.get();
        case Window::Output: return output_.get();
        case Window::Pacifier: return pacifier_.get();
        case Window::Pmeter: return pmeter_.get();
    }
    return nullptr;
}

namespace {

// Where a window first appears: the output window to the right of the main
// window, so that both stay readable; a progress window over its middle.
void place_first(QWidget* w, const QWidget* main, bool beside) {
    if (!main || !main->isVisible()) return;
    const QRect frame = main->frameGeometry();
    w->adjustSize();
    if (beside) {
        w->move(frame.right() + 12, frame.top());
    } else {
        w->move(frame.center() - QPoint(w->width() / 2, w->height() / 2));
    }
}

}  // namespace

QWidget* QtUserInterface::widget(Window window) {
    if (QWidget* w = existing(window)) return w;
    switch (window) {
        case Window::Main:
            main_ = std::make_unique<MainForm>(models_, *this);
            QObject::connect(main_.get(), &MainForm::unloaded, main_.get(), [this] { quit(); });
            break;
        case Window::Output:
            output_ = std::make_unique<OutputForm>(models_.output);
            place_first(output_.get(), main_.get(), true);
            break;
        case Window::Pacifier:
            if (!models_.pacifier.loaded) Form_Load(models_.pacifier);
            pacifier_ = std::make_unique<PacifierForm>(models_.pacifier);
            place_first(pacifier_.get(), main_.get(), false);
            break;
        case Window::Pmeter:
            if (!models_.pmeter.loaded) Form_Load(models_.pmeter);
            pmeter_ = std::make_unique<PmeterForm>(models_.pmeter);
            place_first(pmeter_.get(), main_.get(), false);
            break;
    }
    return existing(window);
}

void QtUserInterface::refresh(Window window) {
    switch (window) {
        case Window::Main:
            if (main_) main_->draw();
            break;
        case Window::Output:
            if (output_) output_->draw();
            break;
        case Window::Pacifier:
            if (pacifier_) pacifier_->draw();
            break;
        case Window::Pmeter:
            if (pmeter_) pmeter_->draw();
            break;
    }
}

void QtUserInterface::show(Window window) {
    QWidget* w = widget(window);
    refresh(window);
    w->show();
    w->raise();
    w->activateWindow();
}

void QtUserInterface::hide(Window window) { widget(window)->hide(); }

void QtUserInterface::quit() {
    // The main window has gone: the others go with it. A computation still
    // waiting in yield() sees the unloaded model and returns before the
    // main event loop ends; every window outlives it.
    for (QWidget* w : {existing(Window::Output), existing(Window::Pacifier), existing(Window::Pmeter)}) {
        if (w) w->hide();
    }
    QCoreApplication::exit(0);
}

Answer QtUserInterface::message_box(const std::string& title, Icon icon, const std::string& text,
                                    Buttons buttons) {
    QString lines = QString::fromStdString(text);
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QMessageBox::Icon kind = QMessageBox::NoIcon;
    if (icon == Icon::Exclamation) kind = QMessageBox::Warning;
    if (icon == Icon::Critical) kind = QMessageBox::Critical;
    const QMessageBox::StandardButtons choice =
        buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok;

    QWidget* parent = main_ && main_->isVisible() ? main_.get() : nullptr;
    QMessageBox box(kind, QString::fromStdString(title), lines, choice, parent);
    box.setTextFormat(Qt::PlainText);
    const int answer = box.exec();
    if (buttons == Buttons::Ok) return Answer::Ok;
    return answer == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

std::optional<std::string> QtUserInterface::input_box(const std::string& title, const std::string& prompt,
                                                      const std::string& default_text) {
    bool ok = false;
    const QString text = QInputDialog::getText(main_ && main_->isVisible() ? main_.get() : nullptr,
                                               QString::fromStdString(title), QString::fromStdString(prompt),
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

void QtUserInterface::yield() { QCoreApplication::processEvents(); }

void QtUserInterface::show_help(const std::string& help_file, int /*topic*/) {
    // The desktop opens the file with its own viewer, which has no notion of
    // the numbered topics; the file beside the program is all it is given.
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromStdString(help_file));
    if (QFileInfo::exists(path)) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
        return;
    }
    QMessageBox::information(main_.get(), QString::fromUtf8(kAppTitle),
                             QString::fromUtf8(kHelpFileMissing) + QLatin1Char('\n') + QDir::toNativeSeparators(path));
}

}  // namespace tvx
