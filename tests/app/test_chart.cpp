// The chart window on screen (offscreen): the Charts menu opens one window,
// the chart follows Compute in the main window and the straight bond
// window, hover shows a point's coordinates, Copy and Save work, and the
// scenario table is filled.
#include <QAction>
#include <QChartView>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app/chart_form.h"
#include "app/main_window_fixture.h"
#include "app/modal_answerer.h"
#include "app/qt_user_interface.h"

using namespace tvx;

class ChartTest : public QObject, MainWindowFixture {
    Q_OBJECT

    QAction* item(const char* name) {
        auto* a = main->findChild<QAction*>(QString::fromLatin1(name));
        if (!a) qFatal("no %s", name);
        return a;
    }
    QWidget* chart_window() { return top_level(QStringLiteral("frmChart")); }
    template <class T>
    T* in_chart(const char* name) {
        T* w = chart_window()->findChild<T*>(QString::fromLatin1(name));
        if (!w) qFatal("no %s", name);
        return w;
    }
    QString caption() { return in_chart<QLabel>("lblCaption")->text(); }

private slots:
    void init() { open_main(); }
    void cleanup() {
        close_all();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void charts_menu_stands_between_view_and_help() {
        QStringList titles;
        for (QAction* a : main->findChild<QMenuBar*>()->actions()) titles << a->text();
        QCOMPARE(titles, (QStringList{"&File", "&Advanced", "&View", "&Charts", "&Help"}));
    }

    void every_entry_opens_the_one_chart_window() {
        for (const char* name :
             {"mnuChartsOption", "mnuChartsScenario", "mnuChartsBond", "mnuChartsConvertible", "mnuChartsBoundary"}) {
            item(name)->trigger();
            QWidget* w = chart_window();
            QVERIFY2(w && w->isVisible(), name);
            QCOMPARE(w->windowTitle(), QStringLiteral("Chart"));
            QVERIFY2(!caption().isEmpty(), name);
        }
        item("mnuChartsScenario")->trigger();
        auto* table = in_chart<QTableWidget>("tblScenario");
        QCOMPARE(table->rowCount(), 9);
        QCOMPARE(table->columnCount(), 7);
        QCOMPARE(table->item(4, 3)->text(), QStringLiteral("2.0694"));
    }

    void a_compute_in_the_source_window_redraws_the_chart() {
        item("mnuChartsOption")->trigger();
        QVERIFY(caption().contains(QStringLiteral("spot 30 to 90")));
        auto* spot = main->findChild<QLineEdit*>(QStringLiteral("current"));
        spot->selectAll();
        QTest::keyClicks(spot, QStringLiteral("100"));
        QTest::keyClick(spot, Qt::Key_Return);  // Return runs Compute
        QVERIFY(caption().contains(QStringLiteral("spot 50 to 150")));
        const auto series = in_chart<QChartView>("chtView")->chart()->series();
        QVERIFY(series.size() >= 3);  // European, American, payoff, current terms
        QCOMPARE(static_cast<QLineSeries*>(series[0])->count(), 200);

        // The straight bond window's Compute redraws a bond chart.
        item("mnuChartsBond")->trigger();
        ui->show(Window::Bonds2);
        QWidget* bond = ui->widget(Window::Bonds2);
        auto* rate = bond->findChild<QLineEdit*>(QStringLiteral("ir"));
        rate->selectAll();
        QTest::keyClicks(rate, QStringLiteral("6"));
        ModalAnswerer ok(QMessageBox::Ok);  // the result box
        bond->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        QVERIFY(caption().contains(QStringLiteral("rate 1.2 to 18 %")));
    }

    void hover_copy_and_save() {
        item("mnuChartsOption")->trigger();
        auto* line = static_cast<QLineSeries*>(in_chart<QChartView>("chtView")->chart()->series()[0]);
        emit line->hovered(QPointF(61.23456, 2.5), true);
        QCOMPARE(in_chart<QLabel>("lblHover")->text(), QStringLiteral("Spot price (dollars) 61.2346, European 2.5"));

        in_chart<QPushButton>("cmdCopy")->click();
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY(copied.startsWith(QStringLiteral("Spot price (dollars),European,American,Payoff at expiry\n30,")));
        QCOMPARE(copied.count(QLatin1Char('\n')), 201);

        QTemporaryDir dir;
        auto* form = dynamic_cast<ChartForm*>(chart_window());
        QVERIFY(form->save_to(dir.filePath(QStringLiteral("c.png"))));
        QVERIFY(form->save_to(dir.filePath(QStringLiteral("c.svg"))));
        QVERIFY(form->save_to(dir.filePath(QStringLiteral("c.csv"))));
        QImage png(dir.filePath(QStringLiteral("c.png")));
        QVERIFY(!png.isNull() && png.width() >= 600);
        QFile svg(dir.filePath(QStringLiteral("c.svg")));
        QVERIFY(svg.open(QIODevice::ReadOnly) && svg.readAll().contains("<svg"));
        QFile csv(dir.filePath(QStringLiteral("c.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(csv.readAll()), copied);
        // A folder that does not exist: nothing written, a note.
        QVERIFY(!form->save_to(dir.filePath(QStringLiteral("none/c.png"))));
        QVERIFY(in_chart<QLabel>("lblNote")->text().startsWith(QStringLiteral("The file could not be written: ")));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none/c.png"))));
    }
};

QTEST_MAIN(ChartTest)
#include "test_chart.moc"
