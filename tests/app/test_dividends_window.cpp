// The main window's expiry date and "Dividends..." dialog, and a
// calculator's expiry date: typed, picked and applied as a user does,
// against the figures the library's tests establish (Hull's exercise on
// dates counted Actual/360, 3.6712). With TVX_SCREENSHOTS set to a folder,
// the windows are also saved there as pictures for the user guide.
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "app/dividends_dialog.h"
#include "app/main_window_fixture.h"
#include "app/modal_answerer.h"
#include "charts/chart_text.h"
#include "core/numbers.h"
#include "options/dividend_schedule.h"

using namespace tvx;

namespace {

// Types into a field of an active window as a user does: focus, the text
// over what was there, then Tab to leave it.
void enter(QWidget* window, const char* field, const QString& text) {
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    auto* edit = window->findChild<QLineEdit*>(QString::fromLatin1(field));
    QVERIFY(edit);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

void shoot(QWidget* w, const char* name) {
    const QByteArray folder = qgetenv("TVX_SCREENSHOTS");
    if (folder.isEmpty() || !w) return;
    QTest::qWait(100);
    w->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
}

}  // namespace

class DividendsWindowTest : public QObject, MainWindowFixture {
    Q_OBJECT

private slots:
    void init() { open_main(); }
    void cleanup() { close_all(); }

    void the_expiry_date_fills_the_years_and_typed_years_show_their_date() {
        enter(main, "txtValuationDate", QStringLiteral("2027-01-01"));
        child<QComboBox>("cboDayCount")->setCurrentIndex(1);  // Actual/360
        emit child<QComboBox>("cboDayCount")->activated(1);
        // 90 days on Actual/360.
        enter(main, "txtExpiry", QStringLiteral("2027-04-01"));
        QCOMPARE(child<QLineEdit>("time")->text(), QStringLiteral("0.25"));
        QCOMPARE(models->main.time, std::string("0.25"));
        // Another day count gives the same dates their years again: 90 / 365.
        child<QComboBox>("cboDayCount")->setCurrentIndex(0);
        emit child<QComboBox>("cboDayCount")->activated(0);
        QCOMPARE(models->main.time, exact_text(90.0 / 365.0));
        child<QComboBox>("cboDayCount")->setCurrentIndex(1);
        emit child<QComboBox>("cboDayCount")->activated(1);
        // Years typed: the date they come to, 270 days on Actual/360.
        type("time", QStringLiteral("0.75"));
        QCOMPARE(child<QLineEdit>("txtExpiry")->text(), QStringLiteral("2027-09-28"));
    }

    void a_same_day_expiry_is_refused_and_the_years_stay() {
        ModalAnswerer answer(QMessageBox::Ok);
        enter(main, "txtValuationDate", QStringLiteral("2027-06-18"));
        enter(main, "txtExpiry", QStringLiteral("2027-06-18"));
        QTRY_COMPARE(answer.seen.size(), 1);
        QCOMPARE(answer.seen[0].text, QString::fromUtf8(date_text::same_day));
        QCOMPARE(child<QLineEdit>("time")->text(), QStringLiteral("0.5"));
    }

    void the_dialog_writes_the_schedule_and_compute_values_it() {
        models->main.current = "40", models->main.strike = "40", models->main.irate = "9";
        models->main.dividend = "0", models->main.qqq = "0.3";
        models->main.dates = {"2027-06-30", "2027-01-01", "act360", ""};
        ui->refresh(Window::Main);
        DividendsDialog dialog(models->main, *ui, main);
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("tblDividends"));
        table->item(0, 0)->setText(QStringLiteral("2027-03-02"));
        table->item(0, 1)->setText(QStringLiteral("0.50"));
        dialog.add_row(QStringLiteral("2027-05-31"), QStringLiteral("0.5"));
        dialog.findChild<QRadioButton*>(QStringLiteral("optEscrowedModel"))->setChecked(true);
        dialog.show();
        shoot(&dialog, "dates-and-dividends-dialog.png");
        QVERIFY(dialog.apply());
        dialog.close();
        QCOMPARE(models->main.dividends, std::string("2027-03-02:0.5,2027-05-31:0.5"));
        QCOMPARE(models->main.dividend_model, std::string("escrowed"));
        ui->refresh(Window::Main);
        QCOMPARE(child<QLabel>("lblDividends")->text(), QStringLiteral("2 cash dividends, escrowed model"));

        // Return in the expiry fills the years, then runs Compute.
        QTest::keyClick(child<QLineEdit>("txtExpiry"), Qt::Key_Return);
        QCOMPARE(child<QLineEdit>("time")->text(), QStringLiteral("0.5"));
        QCOMPARE(output_line(1), QStringLiteral("The option value is 3.6712 dollars"));
        QWidget* out = top_level(QStringLiteral("frmOutput"));
        auto* line = out->findChild<QLabel*>(QStringLiteral("lblDividends"));
        QCOMPARE(line->text(), QStringLiteral("Cash dividends: 2 before expiry, escrowed model"));
        QVERIFY(!line->isHidden());
        shoot(main, "dates-and-dividends-main.png");
        shoot(out, "dates-and-dividends-output.png");
    }

    void a_row_that_is_not_a_dividend_keeps_the_dialog_and_the_schedule() {
        ModalAnswerer answer(QMessageBox::Ok);
        models->main.dividends = "0.25:1";
        DividendsDialog dialog(models->main, *ui, main);
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("tblDividends"));
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("0.25"));
        table->item(0, 1)->setText(QStringLiteral("one dollar"));
        QVERIFY(!dialog.apply());
        QCOMPARE(answer.seen.size(), 1);
        QCOMPARE(answer.seen[0].text, QString::fromUtf8(dividend_text::not_a_schedule));
        QCOMPARE(models->main.dividends, std::string("0.25:1"));
    }

    void the_strategy_builder_values_its_legs_with_the_schedule() {
        // Haug, Haug and Lewis's call as the Strategy Builder's one leg:
        // 11.1062 under the spot model, 10.6932 escrowed.
        models->main.current = "100", models->main.strike = "100", models->main.irate = "6";
        models->main.dividend = "0", models->main.time = "1", models->main.qqq = "0.3";
        ui->refresh(Window::Main);
        main->findChild<QAction*>(QStringLiteral("mnuStrategy"))->trigger();
        QWidget* strategy = top_level(QStringLiteral("frmStrategy"));
        QVERIFY(strategy);
        enter(strategy, "dividends", QStringLiteral("0.5:7"));
        QTest::mouseClick(strategy->findChild<QPushButton*>(QStringLiteral("cmdCompute")), Qt::LeftButton);
        QCOMPARE(strategy->findChild<QLabel*>(QStringLiteral("value1"))->text(), QStringLiteral("11.1062"));
        auto* model = strategy->findChild<QComboBox*>(QStringLiteral("dividend_model"));
        model->setCurrentIndex(1);
        emit model->activated(1);
        QCOMPARE(models->strategy.dividend_model, std::string("escrowed"));
        QTest::mouseClick(strategy->findChild<QPushButton*>(QStringLiteral("cmdCompute")), Qt::LeftButton);
        QCOMPARE(strategy->findChild<QLabel*>(QStringLiteral("value1"))->text(), QStringLiteral("10.6932"));
        shoot(strategy, "dates-and-dividends-strategy.png");
    }

    void a_chart_against_the_time_marks_the_ex_dates() {
        models->main.current = "100", models->main.strike = "100", models->main.irate = "6";
        models->main.dividend = "0", models->main.time = "1", models->main.qqq = "0.3";
        models->main.optCall = false, models->main.optEuro = false;
        models->main.dividends = "0.25:2,0.75:2";
        ui->refresh(Window::Main);
        models->chart.x = OptionX::Time;
        main->findChild<QAction*>(QStringLiteral("mnuChartsOption"))->trigger();
        QWidget* chart = top_level(QStringLiteral("frmChart"));
        QVERIFY(chart);
        int marks = 0;
        for (QAbstractSeries* series : chart->findChild<QChartView*>(QStringLiteral("chtView"))->chart()->series())
            marks += series->name() == QString::fromUtf8(chart_text::ex_dates) ? 1 : 0;
        QCOMPARE(marks, 2);
        shoot(chart, "dates-and-dividends-chart.png");
    }

    void a_calculator_takes_an_expiry_date_for_its_time() {
        ui->show(Window::Futures);
        QWidget* futures = ui->widget(Window::Futures);
        // 2027 has 365 days: a year on Actual/365 Fixed.
        enter(futures, "txtValuationDate", QStringLiteral("2027-01-01"));
        enter(futures, "txtExpiry", QStringLiteral("2028-01-01"));
        QCOMPARE(futures->findChild<QLineEdit*>(QStringLiteral("time"))->text(), QStringLiteral("1"));
    }
};

QTEST_MAIN(DividendsWindowTest)
#include "test_dividends_window.moc"
