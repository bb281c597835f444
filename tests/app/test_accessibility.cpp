// Every window as a screen reader meets it, through Qt's accessibility
// interface (the tree the desktop's accessibility bus is fed from): every
// input named, no two inputs of one window by one name, the main window's
// fields by their labels, a leg's controls by the leg, a chart by its
// title and terms with its points as a table.
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QtTest>
#include <map>
#include <vector>

#include "app/main_window_fixture.h"
#include "support/window_table.h"

using namespace tvx;

namespace {

struct Input {
    QAccessible::Role role;
    QString name;
    QString description;
};

bool is_input(QAccessible::Role role) {
    switch (role) {
        case QAccessible::EditableText:
        case QAccessible::ComboBox:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::Slider:
        case QAccessible::SpinBox: return true;
        default: return false;
    }
}

void collect(QAccessibleInterface* node, std::vector<Input>& inputs, int depth = 0) {
    if (!node || !node->isValid() || depth > 40) return;
    if (is_input(node->role()))
        inputs.push_back({node->role(), node->text(QAccessible::Name), node->text(QAccessible::Description)});
    for (int i = 0; i < node->childCount(); ++i) collect(node->child(i), inputs, depth + 1);
}

std::vector<Input> inputs_of(QWidget* window) {
    std::vector<Input> inputs;
    collect(QAccessible::queryAccessibleInterface(window), inputs);
    return inputs;
}

// What is wrong with the window's inputs: one without a name, two by one name.
QStringList faults(const std::vector<Input>& inputs) {
    QStringList found;
    std::map<QString, int> seen;
    for (const Input& in : inputs) {
        if (in.name.trimmed().isEmpty()) found << QStringLiteral("an input of role %1 has no name").arg(in.role);
        if (++seen[in.name] == 2 && !in.name.isEmpty()) found << QStringLiteral("two inputs named \"%1\"").arg(in.name);
    }
    return found;
}

const Input* named(const std::vector<Input>& inputs, const QString& name) {
    for (const Input& in : inputs)
        if (in.name == name) return &in;
    return nullptr;
}

}  // namespace

class AccessibilityTest : public QObject, MainWindowFixture {
    Q_OBJECT

    void open_item(const char* action) {
        auto* a = main->findChild<QAction*>(QString::fromLatin1(action));
        QVERIFY2(a, action);
        a->trigger();
    }

private slots:
    void init() { open_main(); }
    void cleanup() {
        close_all();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void every_window_names_each_input_once() {
        for (const golden::WindowFacts& g : golden::windows) {
            QWidget* w = ui->widget(g.id);
            QVERIFY2(w, g.object_name);
            const std::vector<Input> inputs = inputs_of(w);
            const QStringList wrong = faults(inputs);
            QVERIFY2(wrong.isEmpty(), qPrintable(QString::fromLatin1(g.object_name) + ": " + wrong.join("; ")));
        }
    }

    // The eight text fields and the two date fields by their captions,
    // without the group's title;
    // the slider apart from the field it writes.
    void main_window_fields_are_named_by_their_labels() {
        const std::vector<Input> inputs = inputs_of(main);
        int fields = 0;
        for (const Input& in : inputs) fields += in.role == QAccessible::EditableText ? 1 : 0;
        QCOMPARE(fields, 10);
        for (const char* caption :
             {"Spot Price (in dollars)", "Strike Price (in dollars)", "Annual Dividend (percentage)",
              "Time to Expiry (in years)", "Expiry Date", "Valuation Date", "Current Interest Rate", "Volatility",
              "Option Price", "Spot Price/Interest Rate Correlation"}) {
            const Input* in = named(inputs, QString::fromUtf8(caption));
            QVERIFY2(in && in->role == QAccessible::EditableText, caption);
        }
        QCOMPARE(named(inputs, QStringLiteral("Volatility"))->description, QStringLiteral("Calculation Type"));
        const Input* slider = named(inputs, QStringLiteral("Correlation slider"));
        QVERIFY(slider && slider->role == QAccessible::Slider);
        QCOMPARE(named(inputs, QStringLiteral("Call"))->description, QStringLiteral("Option Type"));
    }

    void a_legs_controls_are_named_by_the_leg() {
        open_item("mnuStrategy");
        QWidget* w = top_level(QStringLiteral("frmStrategy"));
        auto* add = w->findChild<QPushButton*>(QStringLiteral("cmdAddLeg"));
        add->click();
        add->click();
        const std::vector<Input> inputs = inputs_of(w);
        QVERIFY2(faults(inputs).isEmpty(), qPrintable(faults(inputs).join("; ")));
        for (const char* name : {"Leg 2 Strike", "Leg 2 Instrument", "Leg 3 Position", "Leg 3 Premium",
                                 "Leg 1 Time (years)", "Spot Price (in dollars)", "Preset around the spot"})
            QVERIFY2(named(inputs, QString::fromUtf8(name)), name);
    }

    // A chart says its title and terms; its points are a table as Copy
    // gives them.
    void a_chart_has_a_text_alternative_and_its_points_as_a_table() {
        open_item("mnuChartsOption");
        QWidget* w = top_level(QStringLiteral("frmChart"));
        QTRY_VERIFY(w->findChild<QTableWidget*>(QStringLiteral("tblPoints"))->rowCount() == 200);
        QWidget* view = w->findChild<QWidget*>(QStringLiteral("chtView"));
        QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(view);
        QVERIFY(chart->text(QAccessible::Name).startsWith(QStringLiteral("Value")));
        QVERIFY(chart->text(QAccessible::Description).contains(QStringLiteral("64")));
        auto* points = w->findChild<QTableWidget*>(QStringLiteral("tblPoints"));
        QCOMPARE(points->horizontalHeaderItem(0)->text(), QStringLiteral("Spot price (dollars)"));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
