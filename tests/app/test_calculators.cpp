// The four calculator windows on screen: opened from the main window's
// menu, one instance each, default texts and captions, layout and tab
// order, Return and the close box, Cancel, and the main window beside them.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "app/main_window_fixture.h"
#include "app/modal_answerer.h"
#include "app/qt_user_interface.h"

using namespace tvx;

namespace {

struct Calculator {
    const char* menu;     // the main window's menu item
    const char* name;     // the window's object name
    const char* caption;  // its title
    Window id;
};

const Calculator kCalculators[] = {
    {"mnuWarrants", "frmWarrants", "Warrants", Window::Warrants},
    {"mnuAdvancedFutures", "frmFutures", "Futures Calculator", Window::Futures},
    {"mnuCbonds", "frmBonds", "Convertible Bonds", Window::Bonds},
    {"mnusbonds", "frmBonds2", "Straight Bonds", Window::Bonds2},
};

const Calculator& calculator(const QString& name) {
    for (const Calculator& c : kCalculators)
        if (name == QLatin1String(c.name)) return c;
    qFatal("no calculator %s", qPrintable(name));
}

QString shown_text(QWidget* w) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    return {};
}

void flush_deletions() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace

class CalculatorsTest : public QObject, MainWindowFixture {
    Q_OBJECT

    // Opens the window through its menu item, as the user does.
    QWidget* open(const Calculator& c) {
        auto* item = main->findChild<QAction*>(QString::fromLatin1(c.menu));
        if (!item) qFatal("no menu item %s", c.menu);
        item->trigger();
        return top_level(QString::fromLatin1(c.name));
    }
    QWidget* open(const char* name) { return open(calculator(QString::fromLatin1(name))); }

    template <class T>
    static T* child(QWidget* form, const char* name) {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        if (!w) qFatal("no %s", name);
        return w;
    }
    static void type(QWidget* form, const char* field, const QString& text) {
        auto* edit = child<QLineEdit>(form, field);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

private slots:
    void init() { open_main(); }
    void cleanup() {
        close_all();
        flush_deletions();
    }

    void each_menu_item_opens_one_modeless_instance() {
        for (const Calculator& c : kCalculators) {
            QWidget* w = open(c);
            QVERIFY2(w, c.name);
            QVERIFY(w->isVisible());
            QCOMPARE(w->windowTitle(), QString::fromUtf8(c.caption));
            QCOMPARE(w->windowModality(), Qt::NonModal);
            QVERIFY(w->isWindow());
            QCOMPARE(ui->existing(c.id), w);

            // A second choice brings the same window, with what was typed.
            auto* first = w->findChildren<QLineEdit*>().value(0);
            first->setText(QStringLiteral("42"));
            Q_EMIT first->textEdited(first->text());
            QCOMPARE(open(c), w);
            QCOMPARE(first->text(), QStringLiteral("42"));
        }
        // All four stay open together with the main window, which still works.
        for (const Calculator& c : kCalculators) QVERIFY(top_level(QString::fromLatin1(c.name))->isVisible());
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(main->isEnabled());
        QTest::mouseClick(main->findChild<QPushButton*>(QStringLiteral("cmdCompute")), Qt::LeftButton);
        QVERIFY(top_level(QStringLiteral("frmOutput"))->isVisible());
    }

    void defaults_and_captions_are_on_screen_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        const char* rows[][3] = {
            {"frmWarrants", "share", "12.0"},
            {"frmWarrants", "exercise", "15.0"},
            {"frmWarrants", "warrant", "2.0"},
            {"frmWarrants", "time", "0.5"},
            {"frmWarrants", "shareLabel", "Share Price (in dollars)"},
            {"frmWarrants", "exerciseLabel", "Exercise Price (in dollars)"},
            {"frmWarrants", "warrantLabel", "Warrant Price (in dollars)"},
            {"frmWarrants", "timeLabel", "Time to Maturity (in years)"},
            {"frmWarrants", "Command1", "Compute"},
            {"frmWarrants", "Command2", "Cancel"},
            {"frmFutures", "ir", "4.5"},
            {"frmFutures", "time", "0.5"},
            {"frmFutures", "spot", "264.0"},
            {"frmFutures", "delivery", "270.0"},
            {"frmFutures", "yield", "1.1"},
            {"frmFutures", "pvalue", "20.0"},
            {"frmFutures", "irLabel", "Current Risk-free Interest Rate (percentage)"},
            {"frmFutures", "timeLabel", "Time to Maturity (in years)"},
            {"frmFutures", "spotLabel", "Spot Price of Asset (in dollars)"},
            {"frmFutures", "deliveryLabel", "Delivery Price (in dollars)"},
            {"frmFutures", "yieldLabel", "Dividend Yield on Asset (percentage)"},
            {"frmFutures", "pvalueLabel", "Present Value of Known Income (in dollars)"},
            {"frmFutures", "Command1", "Calculate"},
            {"frmFutures", "Command2", "Cancel"},
            {"frmBonds2", "pvalue", "1000.0"},
            {"frmBonds2", "coup", "8.5"},
            {"frmBonds2", "ttm", "3.5"},
            {"frmBonds2", "ir", "4.5"},
            {"frmBonds2", "pvalueLabel", "Par Value (in dollars)"},
            {"frmBonds2", "coupLabel", "Coupon (percentage)"},
            {"frmBonds2", "ttmLabel", "Time to Maturity (in years)"},
            {"frmBonds2", "irLabel", "Risk-free Interest Rate (percentage)"},
            {"frmBonds2", "Frame1", "Payment Type"},
            {"frmBonds2", "payment", "Annual"},
            {"frmBonds2", "Option2", "Semi-Annual"},
            {"frmBonds2", "mprice", "100.0"},
            {"frmBonds2", "mpriceLabel", "Market Price (%)"},
            {"frmBonds2", "Command1", "Compute"},
            {"frmBonds2", "cmdYield", "Yield"},
            {"frmBonds2", "cmdRisk", "Risk"},
            {"frmBonds2", "Command2", "Cancel"},
            {"frmBonds", "pvalue", "1000.0"},
            {"frmBonds", "coup", "8.5"},
            {"frmBonds", "conr", "100"},
            {"frmBonds", "ttm", "3.5"},
            {"frmBonds", "sprice", "9.5"},
            {"frmBonds", "ir", "4.5"},
            {"frmBonds", "vol", "0.3"},
            {"frmBonds", "del", "2.1"},
            {"frmBonds", "pvalueLabel", "Par Value (in dollars)"},
            {"frmBonds", "coupLabel", "Coupon (percentage)"},
            {"frmBonds", "conrLabel", "Conversion Ratio"},
            {"frmBonds", "ttmLabel", "Time to Maturity (in years)"},
            {"frmBonds", "spriceLabel", "Share Price (in dollars)"},
            {"frmBonds", "irLabel", "Risk-free Interest Rate (percentage)"},
            {"frmBonds", "volLabel", "Share Price Volatility"},
            {"frmBonds", "delLabel", "Annual Dividend Yield (percentage)"},
            {"frmBonds", "Frame1", "Payment Type"},
            {"frmBonds", "payment", "Annual"},
            {"frmBonds", "Option2", "Semi-Annual"},
            {"frmBonds", "Command1", "Compute"},
            {"frmBonds", "cmdAnalytics", "Analytics"},
            {"frmBonds", "Command2", "Cancel"},
        };
        for (const auto& r : rows)
            QTest::addRow("%s %s", r[0], r[1])
                << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]) << QString::fromLatin1(r[2]);
    }
    void defaults_and_captions_are_on_screen() {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, text);
        QWidget* form = open(calculator(window));
        QVERIFY(form);
        QWidget* w = form->findChild<QWidget*>(control);
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QVERIFY(w->isEnabled());
        QCOMPARE(shown_text(w), text);
    }

    void annual_is_selected_and_the_pair_is_bound() {
        for (const char* name : {"frmBonds", "frmBonds2"}) {
            QWidget* form = open(name);
            auto* annual = child<QRadioButton>(form, "payment");
            auto* semi = child<QRadioButton>(form, "Option2");
            QCOMPARE(annual->parentWidget(), child<QGroupBox>(form, "Frame1"));
            QCOMPARE(semi->parentWidget(), child<QGroupBox>(form, "Frame1"));
            QVERIFY(annual->isChecked());
            QTest::mouseClick(semi, Qt::LeftButton);
            QVERIFY(semi->isChecked());
            QVERIFY(!annual->isChecked());
        }
        QVERIFY(!models->calculator<ConvertibleBondsWindow>().payment);
        QVERIFY(!models->calculator<StraightBondsWindow>().payment);
    }

    void tab_order_follows_the_reading_order_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("order");
        // The expiry date's controls follow the years field they fill (the
        // holiday file's button only on business days).
        const QStringList dates{"txtExpiry", "cmdCalendar", "txtValuationDate", "cboDayCount"};
        QTest::newRow("warrants") << "frmWarrants"
                                  << QStringList{"share", "exercise", "warrant", "time"} + dates +
                                         QStringList{"Command1", "Command2"};
        QTest::newRow("futures") << "frmFutures"
                                 << QStringList{"ir", "time"} + dates +
                                        QStringList{"spot", "delivery", "yield", "pvalue", "Command1", "Command2"};
        QTest::newRow("straight") << "frmBonds2"
                                  << QStringList{"pvalue", "coup", "payment", "Option2", "ttm"} + dates +
                                         QStringList{"ir", "mprice", "Command1", "cmdYield", "cmdRisk", "Command2"};
        QTest::newRow("convertible") << "frmBonds"
                                     << QStringList{"pvalue", "coup", "payment", "Option2", "conr", "ttm"} + dates +
                                            QStringList{"sprice",   "ir",           "vol",     "del",
                                                        "Command1", "cmdAnalytics", "Command2"};
    }
    void tab_order_follows_the_reading_order() {
        QFETCH(QString, window);
        QFETCH(QStringList, order);
        QWidget* form = open(calculator(window));
        QWidget* w = form->findChild<QWidget*>(order.front());
        QStringList seen{w->objectName()};
        for (qsizetype i = 1; i < order.size(); ++i) {
            do w = w->nextInFocusChain();
            while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisible());
            seen << w->objectName();
        }
        QCOMPARE(seen, order);
    }

    void futures_fields_stand_in_two_columns() {
        QWidget* form = open("frmFutures");
        const auto x = [form](const char* name) { return child<QWidget>(form, name)->mapTo(form, QPoint()).x(); };
        const auto y = [form](const char* name) { return child<QWidget>(form, name)->mapTo(form, QPoint()).y(); };
        QCOMPARE(x("time"), x("ir"));
        QCOMPARE(x("spot"), x("ir"));
        QCOMPARE(x("yield"), x("delivery"));
        QCOMPARE(x("pvalue"), x("delivery"));
        QVERIFY(x("delivery") > x("ir") + child<QWidget>(form, "ir")->width());
        QVERIFY(y("ir") < y("time"));
        QVERIFY(y("time") < y("spot"));
        QCOMPARE(y("delivery"), y("ir"));
    }

    void minimum_size_shows_every_control_whole() {
        for (const Calculator& c : kCalculators) {
            QWidget* form = open(c);
            form->resize(form->minimumSizeHint().boundedTo(QSize(1, 1)));
            QCoreApplication::processEvents();
            QVERIFY2(form->width() >= form->minimumSizeHint().width(), c.name);
            const QRect inside = form->rect();
            for (QWidget* w : form->findChildren<QWidget*>()) {
                if (!w->isVisible()) continue;
                const QString what = QString::fromLatin1(c.name) + QLatin1Char(' ') + w->objectName();
                const QRect r(w->mapTo(form, QPoint()), w->size());
                QVERIFY2(inside.contains(r), qPrintable(what));
                // Captions at their full length, fields at least as wide as they ask.
                const bool caption = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w);
                const QSize need = caption ? w->sizeHint() : w->minimumSizeHint();
                QVERIFY2(w->width() >= need.width(), qPrintable(what));
                QVERIFY2(w->height() >= need.height(), qPrintable(what));
            }
            // A wider window gives its width to the fields.
            auto* field = form->findChildren<QLineEdit*>().value(0);
            const int narrow = field->width();
            form->resize(form->width() + 200, form->height());
            QCoreApplication::processEvents();
            QVERIFY2(field->width() > narrow + 50, c.name);
        }
    }

    void return_in_a_field_runs_the_window_command_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("result");
        QTest::newRow("warrants") << "frmWarrants"
                                  << "time"
                                  << "The intrinsic value is 0\nThe time value is 2\nThe premium is "
                                     "0.416666666666667\nThe leverage is 6";
        QTest::newRow("futures") << "frmFutures"
                                 << "yield"
                                 << "The value of the forward contract is -1.4408 dollars\nThe forward price is "
                                    "268.5264 dollars";
        QTest::newRow("straight") << "frmBonds2"
                                  << "pvalue"
                                  << "The fair value for this bond is 114.3501%";
        QTest::newRow("convertible") << "frmBonds"
                                     << "del"
                                     << "The fair value for this convertible bond is 134.9954%";
    }
    void return_in_a_field_runs_the_window_command() {
        QFETCH(QString, window);
        QFETCH(QString, field);
        QFETCH(QString, result);
        QWidget* form = open(calculator(window));
        ModalAnswerer answerer(QMessageBox::Ok);
        QTest::keyClick(form->findChild<QLineEdit*>(field), Qt::Key_Return);
        QCOMPARE(answerer.seen.size(), 1);
        QCOMPARE(answerer.seen[0].title, QStringLiteral("Tarvenix"));
        QCOMPARE(answerer.seen[0].icon, QMessageBox::NoIcon);
        QCOMPARE(answerer.seen[0].text, result);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(form->isVisible());

        // Return on the Cancel button is Cancel, not the command.
        QTest::keyClick(child<QPushButton>(form, "Command2"), Qt::Key_Return);
        QCOMPARE(answerer.seen.size(), 1);
        QVERIFY(!ui->existing(calculator(window).id));
    }

    void return_on_an_option_button_runs_compute() {
        QWidget* form = open("frmBonds2");
        ModalAnswerer answerer(QMessageBox::Ok);
        QTest::keyClick(child<QRadioButton>(form, "payment"), Qt::Key_Return);
        QCOMPARE(answerer.seen.size(), 1);
        QCOMPARE(answerer.seen[0].text, QStringLiteral("The fair value for this bond is 114.3501%"));
    }

    void failed_check_puts_the_focus_on_the_first_failed_field() {
        QWidget* form = open("frmFutures");
        type(form, "spot", QStringLiteral("-5"));
        type(form, "pvalue", QStringLiteral("0"));
        ModalAnswerer answerer(QMessageBox::Ok);
        QTest::mouseClick(child<QPushButton>(form, "Command1"), Qt::LeftButton);
        QStringList texts;
        for (const SeenBox& b : answerer.seen) {
            texts << b.text;
            QCOMPARE(b.icon, QMessageBox::Warning);
        }
        QCOMPARE(texts, (QStringList{"Spot Price must be positive", "Present Value must be positive"}));
        auto* spot = child<QLineEdit>(form, "spot");
        QCOMPARE(form->focusWidget(), spot);
        QCOMPARE(spot->selectedText(), QStringLiteral("-5"));

        QWidget* bonds = open("frmBonds");
        type(bonds, "conr", QStringLiteral("0.4"));
        QTest::mouseClick(child<QPushButton>(bonds, "Command1"), Qt::LeftButton);
        QCOMPARE(answerer.seen.back().text, QStringLiteral("Error: Conversion Ratio must be greater than zero"));
        QCOMPARE(bonds->focusWidget(), child<QLineEdit>(bonds, "conr"));
    }

    void cancel_unloads_and_the_next_opening_shows_defaults() {
        for (const Calculator& c : kCalculators) {
            QPointer<QWidget> form = open(c);
            auto* first = form->findChildren<QLineEdit*>().value(0);
            const QString default_text = first->text();
            type(form, qPrintable(first->objectName()), QStringLiteral("77"));
            for (auto* b : form->findChildren<QRadioButton*>())
                if (b->objectName() == QLatin1String("Option2")) QTest::mouseClick(b, Qt::LeftButton);

            QTest::mouseClick(child<QPushButton>(form, "Command2"), Qt::LeftButton);
            QVERIFY(!form->isVisible());
            QVERIFY(!ui->existing(c.id));
            flush_deletions();
            QVERIFY(form.isNull());

            QWidget* again = open(c);
            QVERIFY(again);
            QCOMPARE(again->findChildren<QLineEdit*>().value(0)->text(), default_text);
            if (auto* annual = again->findChild<QRadioButton*>(QStringLiteral("payment"))) QVERIFY(annual->isChecked());
        }
        QVERIFY(main->isVisible());
    }

    void close_box_does_what_cancel_does() {
        QWidget* form = open("frmWarrants");
        type(form, "share", QStringLiteral("30"));
        QCOMPARE(models->calculator<WarrantsWindow>().share, std::string("30"));
        QVERIFY(form->close());
        QVERIFY(!ui->existing(Window::Warrants));
        QCOMPARE(models->calculator<WarrantsWindow>().share, std::string("12.0"));
        QVERIFY(main->isVisible());
        flush_deletions();
        QCOMPARE(child<QLineEdit>(open("frmWarrants"), "share")->text(), QStringLiteral("12.0"));
    }
};

QTEST_MAIN(CalculatorsTest)
#include "test_calculators.moc"
