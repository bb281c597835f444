// Checks on a window's layout shared by the window tests.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QStringList>
#include <QWidget>

// Shrinks the window as far as it lets itself be shrunk.
inline void shrink_to_minimum(QWidget* window) {
    window->resize(1, 1);
    if (window->layout()) window->layout()->activate();
    QApplication::processEvents();
}

// The controls of the window that are not shown whole: smaller than their
// contents need, a text field that cannot show a dozen digits, or a control
// reaching past the window's edge. Empty when every control is whole.
inline QStringList clipped_controls(QWidget* window) {
    QStringList clipped;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->objectName().startsWith(QLatin1String("qt_"))) continue;
        const QString name =
            w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
        QSize need = w->minimumSizeHint();
        const bool text = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                          qobject_cast<QGroupBox*>(w) || qobject_cast<QMenuBar*>(w);
        if (text) need = need.expandedTo(w->sizeHint());
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            // The digits, the frame and the text margins on both sides.
            need.setWidth(edit->fontMetrics().horizontalAdvance(QString(12, QLatin1Char('0'))) + 12);
        }
        const QRect in_window(w->mapTo(window, QPoint(0, 0)), w->size());
        if (w->width() < need.width() || w->height() < need.height() || !window->rect().contains(in_window)) {
            clipped << QStringLiteral("%1 %2x%3 (needs %4x%5)")
                           .arg(name)
                           .arg(w->width())
                           .arg(w->height())
                           .arg(need.width())
                           .arg(need.height());
        }
    }
    return clipped;
}
