// Answers the modal message boxes a command opens, from a timer that runs
// inside their own event loops, and records what each box said.
#pragma once

#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    Qt::TextInteractionFlags text_flags = {};  // how the text can be selected
};

class ModalAnswerer {
public:
    explicit ModalAnswerer(QMessageBox::StandardButton answer) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            seen.append(
                {box->windowTitle(), box->text(), box->icon(), box->standardButtons(), box->textInteractionFlags()});
            QAbstractButton* button = box->button(answer);
            if (!button) button = box->buttons().value(0);
            button->click();
        });
        timer_.start();
    }

    QList<SeenBox> seen;

private:
    QTimer timer_;
};

// The top-level window with this object name, or null; also checks that
// there is only one.
inline QWidget* top_level(const QString& name) {
    QWidget* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() != name) continue;
        if (found) return nullptr;
        found = w;
    }
    return found;
}
