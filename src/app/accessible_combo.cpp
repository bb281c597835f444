#include "app/accessible_combo.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>

#include "app/accessible_names.h"

namespace tvx {

namespace {

class AccessibleCombo final : public QAccessibleWidget {
public:
    explicit AccessibleCombo(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {
        addControllingSignal(QStringLiteral("activated(int)"));
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return combo()->currentText();
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        if (!combo()->accessibleName().isEmpty()) return combo()->accessibleName();
        // A label that stands for it, as for any other control.
        for (const QLabel* label : combo()->window()->findChildren<QLabel*>())
            if (label->buddy() == combo()) return without_access_mark(label->text());
        return combo()->currentText();
    }

    // The list of items, as Qt's own interface has it.
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == combo()->view() ? 0 : -1;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction()) combo()->showPopup();
    }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* combo_factory(const QString& class_name, QObject* object) {
    if (class_name != QLatin1String("QComboBox") || !object || !object->isWidgetType()) return nullptr;
    return new AccessibleCombo(static_cast<QComboBox*>(object));
}

}  // namespace

void install_accessible_combo() {
    static const bool installed = [] {
        QAccessible::installFactory(combo_factory);
        return true;
    }();
    (void)installed;
}

}  // namespace tvx
