#include "app/accessible_names.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>
#include <map>

namespace tvx {

QString without_access_mark(const QString& caption) {
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        // "&x" is x with its access key; "&&" is one "&".
        if (caption[i] == QLatin1Char('&') && (i + 1 == caption.size() || caption[++i] != QLatin1Char('&'))) {
            if (i < caption.size() && caption[i] != QLatin1Char('&')) text += caption[i];
            continue;
        }
        text += caption[i];
    }
    return text;
}

void set_accessible(QWidget* control, const QString& name, const QString& description) {
    control->setAccessibleName(name);
    if (!description.isEmpty()) control->setAccessibleDescription(description);
}

namespace {

// The title of the nearest group box around the control, if any.
QString group_title(const QWidget* control, const QWidget* window) {
    for (const QWidget* p = control->parentWidget(); p && p != window->parentWidget(); p = p->parentWidget()) {
        if (const auto* box = qobject_cast<const QGroupBox*>(p)) return without_access_mark(box->title());
    }
    return {};
}

}  // namespace

void name_controls(QWidget* window) {
    // The labels' texts by the control each one stands for.
    std::map<const QWidget*, QString> captions;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->buddy() && !label->text().isEmpty()) captions[label->buddy()] = without_access_mark(label->text());
    }
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w)) continue;
        if (w->accessibleName().isEmpty()) {
            if (const auto it = captions.find(w); it != captions.end()) {
                w->setAccessibleName(it->second);
            } else if (const auto* button = qobject_cast<QAbstractButton*>(w); button && !button->text().isEmpty()) {
                w->setAccessibleName(without_access_mark(button->text()));
            }
        }
        if (w->accessibleDescription().isEmpty() && !w->accessibleName().isEmpty()) {
            const QString group = group_title(w, window);
            if (!group.isEmpty() && group != w->accessibleName()) w->setAccessibleDescription(group);
        }
    }
}

}  // namespace tvx
