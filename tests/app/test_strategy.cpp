// The strategy window on screen (offscreen): Advanced > Strategy Builder
// opens one window on the main window's terms, a preset fills the legs
// and draws the chart and the grid, a refused field takes the cursor, and
// the chart is copied and saved as the chart window's is.
#include <QAction>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "app/main_window_fixture.h"
#include "app/modal_answerer.h"
#include "app/strategy_form.h"

using namespace tvx;

class StrategyTest : public QObject, MainWindowFixture {
    Q_OBJECT

    QWidget* window() { return top_level(QStringLiteral("frmStrategy")); }
    template <class T>
    T* in_window(const QString& name) {
        T* w = window()->findChild<T*>(name);
        if (!w) qFatal("no %s", qPrintable(name));
        return w;
    }
    void open() {
        auto* a = main->findChild<QAction*>(QStringLiteral("mnuStrategy"));
        QVERIFY(a);
        a->trigger();
        QVERIFY(window() && window()->isVisible());
    }
    void choose(const QString& preset) {
        auto* combo = in_window<QComboBox>(QStringLiteral("cboPreset"));
        const int i = combo->findText(preset);
        QVERIFY(i > 0);
        combo->setCurrentIndex(i);
        emit combo->activated(i);
    }

private slots:
    void init() { open_main(); }
    void cleanup() {
        close_all();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void opens_once_on_the_main_windows_terms() {
        type("current", QStringLiteral("61"));
        open();
        QCOMPARE(window()->windowTitle(), QStringLiteral("Strategy Builder"));
        QCOMPARE(in_window<QLineEdit>(QStringLiteral("spot"))->text(), QStringLiteral("61"));
        QCOMPARE(in_window<QLineEdit>(QStringLiteral("strike1"))->text(), QStringLiteral("64.0"));
        QVERIFY(!in_window<QLineEdit>(QStringLiteral("strike2"))->isVisible());
        open();  // the same window again
        QCOMPARE(in_window<QLineEdit>(QStringLiteral("spot"))->text(), QStringLiteral("61"));
    }

    void iron_condor_fills_the_legs_and_draws() {
        open();
        choose(QStringLiteral("Iron condor"));
        QCOMPARE(in_window<QLineEdit>(QStringLiteral("strike4"))->text(), QStringLiteral("66"));
        const QString results = in_window<QLabel>(QStringLiteral("lblResults"))->text();
        QVERIFY(results.startsWith(QStringLiteral("The net premium is a credit of 1.7505 dollars")));
        QVERIFY(results.contains(QStringLiteral("The breakevens are 55.2495 and 64.7505")));
        QCOMPARE(in_window<QLabel>(QStringLiteral("value1"))->text(), QStringLiteral("0.9018"));
        // All four expire at the horizon: the curve at expiry and today's.
        const auto series = in_window<QChartView>(QStringLiteral("chtStrategy"))->chart()->series();
        int curves = 0;
        for (QAbstractSeries* s : series) {
            auto* line = qobject_cast<QLineSeries*>(s);
            if (line && line->count() == 200) ++curves;
        }
        QCOMPARE(curves, 2);
        auto* grid = in_window<QTableWidget>(QStringLiteral("tblGrid"));
        QCOMPARE(grid->rowCount(), 9);
        QCOMPARE(grid->columnCount(), 5);
        QCOMPARE(grid->item(4, 2)->text(), QStringLiteral("0.0000"));  // today's spot and volatilities
    }

    void a_refused_leg_field_takes_the_cursor() {
        open();
        choose(QStringLiteral("Bull call spread"));
        auto* strike = in_window<QLineEdit>(QStringLiteral("strike2"));
        strike->selectAll();
        QTest::keyClicks(strike, QStringLiteral("-5"));
        ModalAnswerer ok(QMessageBox::Ok);
        QTest::keyClick(in_window<QLineEdit>(QStringLiteral("spot")), Qt::Key_Return);  // Return runs Compute
        QCOMPARE(ok.seen.size(), 1);
        QCOMPARE(ok.seen[0].text, QStringLiteral("Leg 2: Strike Price must be positive"));
        QCOMPARE(ok.seen[0].icon, QMessageBox::Warning);
        QCOMPARE(QApplication::focusWidget(), strike);
        QCOMPARE(strike->selectedText(), QStringLiteral("-5"));
    }

    void chart_copies_and_saves() {
        open();
        choose(QStringLiteral("Long straddle"));
        auto* form = dynamic_cast<StrategyForm*>(window());
        QVERIFY(form);
        in_window<QPushButton>(QStringLiteral("cmdCopyChart"))->click();
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY(copied.startsWith(QStringLiteral("Spot price (dollars),At expiry and horizon,Today\n")));
        QCOMPARE(copied.count(QLatin1Char('\n')), 201);
        QTemporaryDir dir;
        QVERIFY(form->save_chart_to(dir.filePath(QStringLiteral("s.png"))));
        QVERIFY(form->save_chart_to(dir.filePath(QStringLiteral("s.svg"))));
        QVERIFY(form->save_chart_to(dir.filePath(QStringLiteral("s.csv"))));
        QVERIFY(!QImage(dir.filePath(QStringLiteral("s.png"))).isNull());
        QFile csv(dir.filePath(QStringLiteral("s.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(csv.readAll()), copied);
        QVERIFY(!form->save_chart_to(dir.filePath(QStringLiteral("none/s.png"))));
        QVERIFY(in_window<QLabel>(QStringLiteral("lblNote"))->text().startsWith(QStringLiteral("The file could not")));

        // The grid's tab copies the grid.
        in_window<QTabWidget>(QStringLiteral("tabChart"))->setCurrentIndex(1);
        in_window<QPushButton>(QStringLiteral("cmdCopyChart"))->click();
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("P&L: spot \\ volatility factor\t0.5")));
    }

    void cancel_forgets_the_entries() {
        open();
        choose(QStringLiteral("Collar"));
        {
            // The preset's legs are not the ones it opened with: it asks first.
            ModalAnswerer discard(QMessageBox::Yes);
            in_window<QPushButton>(QStringLiteral("cmdCancel"))->click();
            QCOMPARE(discard.seen.size(), 1);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!top_level(QStringLiteral("frmStrategy")));
        QCOMPARE(models->strategy.leg_count, 0);
        open();
        QCOMPARE(in_window<QComboBox>(QStringLiteral("cboPreset"))->currentIndex(), 0);
        QCOMPARE(models->strategy.leg_count, 1);  // the main window's option again
    }
};

QTEST_MAIN(StrategyTest)
#include "test_strategy.moc"
