#include "app/boxes.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QSpacerItem>
#include <QTimer>
#include <QWindow>
#include <algorithm>

namespace tvx {

QRect window_frame(const QWidget& w) {
    const QWindow* native = w.windowHandle();
    return native && w.isWindow() ? native->frameGeometry() : w.frameGeometry();
}

int title_bar_width(const QString& title) {
    QFont font = QApplication::font();
    font.setBold(true);
    if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * 1.25);
    const QFontMetrics metrics(font);
    // Icon, minimise, maximise and close, each about two lines high, with
    // the frame's padding.
    return metrics.horizontalAdvance(title) + 9 * metrics.height() + 24;
}

namespace {

// Keeps the box's whole frame, title bar included, on its screen. A box is
// centred over its window by its client area before the window manager
// frames it, so over a window at the top edge its title bar could end up
// above the screen; once framed it is moved back where needed. On a busy
// machine the frame may come seconds late, and the window manager may
// place the box again just after framing it: the box waits up to
// kFrameWait ticks for its frame, then watches it for kFrameWatch more.
constexpr int kFrameTick = 25, kFrameWait = 400, kFrameWatch = 80;  // ms; 10 s; 2 s

void keep_frame_on_screen(QDialog& box) {
    auto* timer = new QTimer(&box);
    QObject::connect(timer, &QTimer::timeout, &box, [&box, timer, waited = 0, watched = 0]() mutable {
        const QRect frame = window_frame(box);
        if (frame.top() >= box.geometry().top()) {  // not framed yet
            if (++waited >= kFrameWait) timer->stop();
            return;
        }
        if (++watched >= kFrameWatch) timer->stop();
        if (box.screen() == nullptr) return;
        const QRect room = box.screen()->availableGeometry();
        QPoint at = frame.topLeft();
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() + 1 - frame.width())));
        at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() + 1 - frame.height())));
        if (at != frame.topLeft()) box.move(at);  // a window's position is that of its frame
    });
    timer->start(kFrameTick);
}

}  // namespace

int run_box(QDialog& box, QWidget* owner) {
    QPointer<QWidget> window = owner;
    keep_frame_on_screen(box);
    const int result = box.exec();
    // The window keeps its focus control while it is inactive: activating
    // it puts the focus back there.
    if (window && window->isVisible()) {
        window->raise();
        if (QApplication::activeWindow() != window) {
            window->activateWindow();
            // The activation settles before the command goes on, so that a
            // field it then selects keeps its selection.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }
    return result;
}

Answer show_message_box(QWidget* owner, const std::string& title, Icon icon, const std::string& text, Buttons buttons) {
    QString lines = QString::fromStdString(text);
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QMessageBox::Icon kind = QMessageBox::NoIcon;
    if (icon == Icon::Exclamation) kind = QMessageBox::Warning;
    if (icon == Icon::Critical) kind = QMessageBox::Critical;
    const QMessageBox::StandardButtons choice =
        buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok;

    const QString caption = QString::fromStdString(title);
    QMessageBox box(kind, caption, lines, choice, owner);
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // A message box sizes itself by its text alone: a row as wide as the
    // title needs keeps a short text from clipping a long title.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int margins = grid->contentsMargins().left() + grid->contentsMargins().right();
        grid->addItem(new QSpacerItem(title_bar_width(caption) - margins, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    const int answer = run_box(box, owner);
    if (buttons == Buttons::Ok) return Answer::Ok;
    return answer == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

std::optional<std::string> show_input_box(QWidget* owner, const std::string& title, const std::string& prompt,
                                          const std::string& default_text) {
    QInputDialog box(owner);
    const QString caption = QString::fromStdString(title);
    box.setWindowTitle(caption);
    box.setLabelText(QString::fromStdString(prompt));
    box.setTextEchoMode(QLineEdit::Normal);
    box.setTextValue(QString::fromStdString(default_text));
    box.setMinimumWidth(title_bar_width(caption));
    if (run_box(box, owner) != QDialog::Accepted) return std::nullopt;
    return box.textValue().toStdString();
}

}  // namespace tvx
