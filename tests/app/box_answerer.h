// Answers every modal box a command opens (message boxes with their first
// button, input boxes by accepting them), from a timer inside the boxes' own
// event loops, and records where each box stood.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QList>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

struct AnsweredBox {
    QString title;
    QString owner;  // object name of the window the box belongs to
    int width = 0;  // the box's own width
};

class BoxAnswerer {
public:
    // `inside` runs while each box is up, before it is answered.
    explicit BoxAnswerer(std::function<void(QDialog*)> inside = {}) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this, inside] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            QWidget* owner = box->parentWidget();
            seen.append({box->windowTitle(), owner ? owner->window()->objectName() : QString(), box->width()});
            if (inside) inside(box);
            if (!box->isVisible()) return;  // answered inside
            if (auto* message = qobject_cast<QMessageBox*>(box)) {
                message->buttons().value(0)->click();
            } else {
                box->accept();
            }
        });
        timer_.start();
    }
    QList<AnsweredBox> seen;

private:
    QTimer timer_;
};
