#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>
#include <memory>

#include "app/locale_numbers.h"
#include "app/main_window_fixture.h"
#include "app/modal_answerer.h"
#include "app/qt_user_interface.h"
#include "app/window_checks.h"
#include "options/compute.h"
#include "support/decimal_comma.h"

using namespace tvx;

class MainWindowComputeTest : public QObject, MainWindowFixture {
    Q_OBJECT

private slots:
    void init() { open_main(); }
    void cleanup() { close_all(); }

    void compute_shows_one_output_window_refreshed_in_place() {
        QTest::mouseClick(child<QPushButton>("cmdCompute"), Qt::LeftButton);
        QWidget* out = top_level(QStringLiteral("frmOutput"));
        QVERIFY(out);
        QVERIFY(out->isVisible());
        QCOMPARE(out->windowTitle(), QStringLiteral("Computation Output"));
        QCOMPARE(output_line(1), QStringLiteral("The option value is 2.0694 dollars"));
        const char* prefixes[] = {"Delta is ", "Gamma is ", "Theta is ", "Vega is ", "Rho is "};
        for (int n = 2; n <= 6; ++n)
            QVERIFY2(output_line(n).startsWith(QLatin1String(prefixes[n - 2])), qPrintable(output_line(n)));
        QVERIFY(!QApplication::overrideCursor());

        QTest::mouseClick(child<QRadioButton>("optPut"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>("cmdCompute"), Qt::LeftButton);
        QCOMPARE(top_level(QStringLiteral("frmOutput")), out);
        QVERIFY(output_line(1).startsWith(QLatin1String("The option value is ")));
        QVERIFY(output_line(1) != QStringLiteral("The option value is 2.0694 dollars"));

        auto* ok = out->findChild<QPushButton*>(QStringLiteral("Command1"));
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!out->isVisible());
        QVERIFY(main->isVisible());
        QCOMPARE(child<QLineEdit>("current")->text(), QStringLiteral("60.0"));

        QTest::mouseClick(child<QPushButton>("cmdCompute"), Qt::LeftButton);
        QCOMPARE(top_level(QStringLiteral("frmOutput")), out);
        QVERIFY(out->isVisible());
    }

    void exit_answered_no_keeps_everything() {
        QTest::mouseClick(child<QPushButton>("cmdCompute"), Qt::LeftButton);
        QWidget* out = top_level(QStringLiteral("frmOutput"));
        type("strike", QStringLiteral("65"));

        ModalAnswerer answerer(QMessageBox::No);
        child<QAction>("mnuFileExit")->trigger();
        QCOMPARE(answerer.seen.size(), 1);
        QCOMPARE(answerer.seen[0].title, QStringLiteral("Tarvenix"));
        QCOMPARE(answerer.seen[0].text, QStringLiteral("Are you sure?"));
        QCOMPARE(answerer.seen[0].icon, QMessageBox::NoIcon);
        QCOMPARE(answerer.seen[0].buttons, QMessageBox::Yes | QMessageBox::No);

        QVERIFY(!main->close());  // the close box asks the same
        QCOMPARE(answerer.seen.size(), 2);

        QVERIFY(main->isVisible());
        QVERIFY(out->isVisible());
        QVERIFY(!models->main.unloaded);
        QCOMPARE(child<QLineEdit>("strike")->text(), QStringLiteral("65"));
        QCOMPARE(child<QLineEdit>("current")->text(), QStringLiteral("60.0"));
    }

    void return_in_any_field_runs_compute_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("key");
        for (const char* f : {"current", "strike", "dividend", "time", "irate", "qqq", "qqq2", "cor"})
            QTest::newRow(f) << QString::fromLatin1(f) << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << QStringLiteral("time") << int(Qt::Key_Enter);
    }
    void return_in_any_field_runs_compute() {
        QFETCH(QString, field);
        QFETCH(int, key);
        auto* edit = main->findChild<QLineEdit*>(field);
        QVERIFY(edit);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key(key));
        QWidget* out = top_level(QStringLiteral("frmOutput"));
        QVERIFY(out && out->isVisible());
        QCOMPARE(output_line(1), QStringLiteral("The option value is 2.0694 dollars"));

        // While a computation waits in the event loop, Return does nothing.
        out->hide();
        models->main.cmdCompute_enabled = false;
        ui->refresh(Window::Main);
        QTest::keyClick(edit, Qt::Key(key));
        QVERIFY(!out->isVisible());
    }

    void focus_stays_in_the_main_window_after_compute() {
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        auto* strike = child<QLineEdit>("strike");
        strike->setFocus();
        QTest::keyClick(strike, Qt::Key_Return);
        QWidget* out = top_level(QStringLiteral("frmOutput"));
        QVERIFY(out && out->isVisible());
        QVERIFY(out->testAttribute(Qt::WA_ShowWithoutActivating));
        QApplication::processEvents();
        QCOMPARE(QApplication::activeWindow(), main);
        QCOMPARE(QApplication::focusWidget(), strike);

        // Change the field and press Return again: the same window, refreshed.
        type("strike", QStringLiteral("60"));
        QTest::keyClick(strike, Qt::Key_Return);
        QCOMPARE(top_level(QStringLiteral("frmOutput")), out);
        QVERIFY(output_line(1) != QStringLiteral("The option value is 2.0694 dollars"));
        QCOMPARE(QApplication::activeWindow(), main);
        QCOMPARE(QApplication::focusWidget(), strike);
    }

    void focus_goes_to_the_first_failed_field() {
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        type("time", QStringLiteral("0"));
        type("strike", QStringLiteral("-64"));
        auto* irate = child<QLineEdit>("irate");
        irate->setFocus();
        {
            ModalAnswerer answerer(QMessageBox::Ok);
            QTest::keyClick(irate, Qt::Key_Return);
            QCOMPARE(answerer.seen.size(), 2);
        }
        QTRY_COMPARE(QApplication::activeWindow(), main);
        auto* strike = child<QLineEdit>("strike");
        QCOMPARE(QApplication::focusWidget(), strike);
        QCOMPARE(strike->selectedText(), QStringLiteral("-64"));
        QVERIFY(!top_level(QStringLiteral("frmOutput")));
    }

    void ctrl_c_copies_the_six_lines() {
        QTest::mouseClick(child<QPushButton>("cmdCompute"), Qt::LeftButton);
        QWidget* out = top_level(QStringLiteral("frmOutput"));
        QVERIFY(out);
        out->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(out));
        QCOMPARE(QApplication::focusWidget(), out->findChild<QPushButton*>(QStringLiteral("Command1")));
        QStringList lines;
        for (int n = 1; n <= 6; ++n) lines << output_line(n);
        QCOMPARE(lines.size(), 6);

        QGuiApplication::clipboard()->clear();
        QTest::keyClick(out, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));

        // Every line can be selected with the mouse and the keyboard; a line
        // reached by Tab, without a selection, still copies all six.
        for (int n = 1; n <= 6; ++n) {
            auto* line = out->findChild<QLabel*>(QStringLiteral("Label%1").arg(n));
            QVERIFY(line->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
            QVERIFY(line->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard));
        }
        auto* delta = out->findChild<QLabel*>(QStringLiteral("Label2"));
        delta->setFocus();
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(delta, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));

        // A selected part of a line copies just that part.
        delta->setSelection(0, 5);
        QTest::keyClick(delta, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Delta"));
    }

    void results_of_earlier_terms_are_greyed_under_a_line_naming_them() {
        QTest::mouseClick(child<QPushButton>("cmdCompute"), Qt::LeftButton);
        QWidget* out = top_level(QStringLiteral("frmOutput"));
        QVERIFY(out);
        auto* earlier = out->findChild<QLabel*>(QStringLiteral("lblEarlier"));
        auto* value = out->findChild<QLabel*>(QStringLiteral("Label1"));
        QVERIFY(earlier->isHidden());
        const QColor black = value->palette().color(QPalette::WindowText);

        // An implied volatility answers in a box: the six lines are the
        // previous option's, and say so.
        child<QRadioButton>("optVol")->click();
        type("current", QStringLiteral("70"));
        {
            ModalAnswerer answerer(QMessageBox::Ok);
            QTest::mouseClick(child<QPushButton>("cmdCompute"), Qt::LeftButton);
            QCOMPARE(answerer.seen.size(), 1);
        }
        QVERIFY(!earlier->isHidden());
        QCOMPARE(earlier->text(), QStringLiteral("From an earlier Compute, for the European call: spot 60.0, strike "
                                                 "64.0, dividend 2.1 %, time 0.5 years, rate 4.5 %, volatility 0.2"));
        QCOMPARE(output_line(1), QStringLiteral("The option value is 2.0694 dollars"));
        QVERIFY(value->palette().color(QPalette::WindowText) != black);
        QGuiApplication::clipboard()->clear();
        out->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(out));
        QTest::keyClick(out, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(earlier->text() + QLatin1Char('\n')));

        // The next value is black again, without the line.
        child<QRadioButton>("optPrice")->click();
        QTest::mouseClick(child<QPushButton>("cmdCompute"), Qt::LeftButton);
        QVERIFY(earlier->isHidden());
        QVERIFY(output_line(1) != QStringLiteral("The option value is 2.0694 dollars"));
        QCOMPARE(value->palette().color(QPalette::WindowText), black);
    }

    void a_decimal_comma_is_read_where_the_locale_writes_one() {
        QCOMPARE(decimal_mark_of(QLocale(QLocale::German, QLocale::Germany)), DecimalMark::PointOrComma);
        QCOMPARE(decimal_mark_of(QLocale(QLocale::French, QLocale::France)), DecimalMark::PointOrComma);
        QCOMPARE(decimal_mark_of(QLocale(QLocale::English, QLocale::UnitedStates)), DecimalMark::Point);
        QCOMPARE(decimal_mark_of(QLocale::c()), DecimalMark::Point);

        DecimalCommaLocale comma;
        type("current", QStringLiteral("60,0"));
        type("qqq", QStringLiteral("0,2"));
        QTest::mouseClick(child<QPushButton>("cmdCompute"), Qt::LeftButton);
        QCOMPARE(output_line(1), QStringLiteral("The option value is 2.0694 dollars"));
        // And in a calculator: 12,5 of a share against an exercise price
        // of 10 is worth 2.5.
        ui->show(Window::Warrants);
        QWidget* warrants = ui->widget(Window::Warrants);
        auto* share = warrants->findChild<QLineEdit*>(QStringLiteral("share"));
        share->selectAll();
        QTest::keyClicks(share, QStringLiteral("12,5"));
        auto* exercise = warrants->findChild<QLineEdit*>(QStringLiteral("exercise"));
        exercise->selectAll();
        QTest::keyClicks(exercise, QStringLiteral("10"));
        ModalAnswerer answerer(QMessageBox::Ok);
        QTest::mouseClick(warrants->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(answerer.seen.size(), 1);
        QVERIFY(answerer.seen[0].text.startsWith(QStringLiteral("The intrinsic value is 2.5\n")));
    }

    void minimum_size_shows_every_control_whole() {
        shrink_to_minimum(main);
        const QStringList clipped = clipped_controls(main);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral(", "))));
        const QSize smallest = main->size();

        // Extra width goes to the fields, not to empty bands; the height stays.
        auto* spot = child<QLineEdit>("current");
        const int field = spot->width();
        main->resize(smallest.width() + 200, smallest.height() + 200);
        QApplication::processEvents();
        QCOMPARE(main->height(), smallest.height());
        QVERIFY(spot->width() > field + 100);
        QVERIFY(child<QLineEdit>("qqq")->width() > field);

        // The output window: the longest value line stays whole.
        QTest::mouseClick(child<QPushButton>("cmdCompute"), Qt::LeftButton);
        QWidget* out = top_level(QStringLiteral("frmOutput"));
        models->output.Label1 = "The option value is -922337203685477.5807 dollars";
        ui->show(Window::Output);
        shrink_to_minimum(out);
        const QStringList out_clipped = clipped_controls(out);
        QVERIFY2(out_clipped.isEmpty(), qPrintable(out_clipped.join(QStringLiteral(", "))));
    }

    void failed_validation_shows_every_message_in_order() {
        for (const char* f : {"irate", "strike", "current", "time"}) type(f, QStringLiteral("0"));
        ModalAnswerer answerer(QMessageBox::Ok);
        QTest::mouseClick(child<QPushButton>("cmdCompute"), Qt::LeftButton);

        QStringList texts;
        for (const SeenBox& b : answerer.seen) {
            texts << b.text;
            QCOMPARE(b.title, QStringLiteral("Tarvenix"));
            QCOMPARE(b.icon, QMessageBox::Warning);
            QCOMPARE(b.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        }
        QCOMPARE(texts, (QStringList{compute_text::rate_not_positive, compute_text::strike_not_positive,
                                     compute_text::spot_not_positive, compute_text::time_not_positive}));
        QVERIFY(!top_level(QStringLiteral("frmOutput")));
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(MainWindowComputeTest)
#include "test_main_window_compute.moc"
