#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>
#include <memory>

#include "app/modal_answerer.h"
#include "app/qt_user_interface.h"
#include "app/window_checks.h"
#include "options/compute.h"

using namespace tvx;

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Models> models;
    std::unique_ptr<QtUserInterface> ui;
    QWidget* main = nullptr;

    template <class T>
    T* child(const char* name) {
        T* w = main->findChild<T*>(QString::fromLatin1(name));
        if (!w) qFatal("no %s", name);
        return w;
    }
    void type(const char* field, const QString& text) {
        auto* edit = child<QLineEdit>(field);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    QString output_line(int n) {
        QWidget* out = top_level(QStringLiteral("frmOutput"));
        return out->findChild<QLabel*>(QStringLiteral("Label%1").arg(n))->text();
    }

private slots:
    void init() {
        models = std::make_unique<Models>();
        ui = std::make_unique<QtUserInterface>(*models);
        Form_Load(models->main);
        ui->show(Window::Main);
        main = ui->widget(Window::Main);
    }
    void cleanup() {
        ui.reset();
        models.reset();
    }

    void defaults_are_on_screen_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const char* rows[][2] = {
            {"current", "60.0"},
            {"strike", "64.0"},
            {"dividend", "2.1"},
            {"time", "0.5"},
            {"irate", "4.5"},
            {"qqq", "0.2"},
            {"qqq2", "3.45"},
            {"cor", "0.0"},
            {"Label1", "Spot Price (in dollars)"},
            {"Label2", "Strike Price (in dollars)"},
            {"Label7", "Annual Dividend (percentage)"},
            {"Label8", "Time to Expiry (in years)"},
            {"Label9", "Current Interest Rate"},
            {"Label3", "Volatility"},
            {"Label4", "Option Price"},
            {"Label5", "Spot Price/Interest Rate Correlation"},
            {"Frame3", "Option Type"},
            {"Frame2", "Option Style"},
            {"fraCalType", "Calculation Type"},
            {"Frame4", "Advanced Preferences (for European Options)"},
            {"optCall", "Call"},
            {"optPut", "Put"},
            {"optEuro", "European"},
            {"optAmer", "American"},
            {"optPrice", "Theoretical Option Price"},
            {"optVol", "Implied Volatility"},
            {"svol", "Stochastic Volatility"},
            {"srate", "Stochastic Interest Rates"},
            {"cmdCompute", "Compute"},
        };
        for (const auto& r : rows) QTest::newRow(r[0]) << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]);
    }
    void defaults_are_on_screen() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QWidget* w = main->findChild<QWidget*>(name);
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QVERIFY(w->isEnabled());
        QString shown;
        if (auto* e = qobject_cast<QLineEdit*>(w)) shown = e->text();
        if (auto* l = qobject_cast<QLabel*>(w)) shown = l->text();
        if (auto* g = qobject_cast<QGroupBox*>(w)) shown = g->title();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) shown = b->text();
        QCOMPARE(shown, text);
    }

    void window_title_and_initial_choices() {
        QCOMPARE(main->objectName(), QStringLiteral("frmBrantholm"));
        QCOMPARE(main->windowTitle(), QStringLiteral("Tarvenix"));

        QVERIFY(child<QRadioButton>("optCall")->isChecked());
        QVERIFY(child<QRadioButton>("optEuro")->isChecked());
        QVERIFY(child<QRadioButton>("optPrice")->isChecked());
        QVERIFY(!child<QCheckBox>("svol")->isChecked());
        QVERIFY(!child<QCheckBox>("srate")->isChecked());
    }

    void scale_stands_under_the_slider() {
        auto* scale = child<QLabel>("Label6");
        auto* slider = child<QSlider>("Slider1");
        QCOMPARE(scale->text(), QStringLiteral("-1                      0                     1"));
        QCOMPARE(scale->text().size(), 47);
        const QFontMetrics pitch(scale->font());  // every character of the scale as wide as the others
        for (QChar c : {QChar('-'), QChar('1'), QChar('0')})
            QCOMPARE(pitch.horizontalAdvance(c), pitch.horizontalAdvance(' '));
        QCOMPARE(slider->orientation(), Qt::Horizontal);
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 200);
        QCOMPARE(slider->value(), 100);
        QCOMPARE(slider->width(), scale->width());
        QCOMPARE(slider->mapTo(main, QPoint(0, 0)).x(), scale->mapTo(main, QPoint(0, 0)).x());
    }

    void option_pairs_are_exclusive_and_bound() {
        const char* pairs[][2] = {{"optCall", "optPut"}, {"optEuro", "optAmer"}, {"optPrice", "optVol"}};
        for (const auto& p : pairs) {
            auto* first = child<QRadioButton>(p[0]);
            auto* second = child<QRadioButton>(p[1]);
            QTest::mouseClick(second, Qt::LeftButton);
            QVERIFY(second->isChecked());
            QVERIFY(!first->isChecked());
        }
        QVERIFY(!models->main.optCall);
        QVERIFY(!models->main.optEuro);
        QVERIFY(!models->main.optPrice);

        // American leaves the advanced preferences usable.
        QVERIFY(child<QGroupBox>("Frame4")->isEnabled());
        QVERIFY(child<QSlider>("Slider1")->isEnabled());
        QTest::mouseClick(child<QCheckBox>("srate"), Qt::LeftButton);
        QVERIFY(models->main.srate);

        QTest::mouseClick(child<QRadioButton>("optCall"), Qt::LeftButton);
        QVERIFY(models->main.optCall);
        QVERIFY(!child<QRadioButton>("optPut")->isChecked());
    }

    void slider_writes_cor_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("cor");
        QTest::newRow("left end") << 0 << "-1";
        QTest::newRow("middle") << 100 << "0";
        QTest::newRow("133") << 133 << "0.33";
        QTest::newRow("150") << 150 << "0.5";
        QTest::newRow("right end") << 200 << "1";
    }
    void slider_writes_cor() {
        QFETCH(int, position);
        QFETCH(QString, cor);
        auto* slider = child<QSlider>("Slider1");
        slider->setValue(position == 0 ? 1 : 0);
        slider->setValue(position);
        QCOMPARE(child<QLineEdit>("cor")->text(), cor);
        QCOMPARE(QString::fromStdString(models->main.cor), cor);
        QCOMPARE(models->main.Slider1, position);
    }

    void typing_in_cor_does_not_move_the_slider() {
        type("cor", QStringLiteral("0.7"));
        QCOMPARE(models->main.cor, std::string("0.7"));
        QCOMPARE(child<QSlider>("Slider1")->value(), 100);

        QTest::keyClick(child<QSlider>("Slider1"), Qt::Key_Right);
        QCOMPARE(child<QSlider>("Slider1")->value(), 101);
        QCOMPARE(child<QLineEdit>("cor")->text(), QStringLiteral("0.01"));
        QCOMPARE(models->main.cor, std::string("0.01"));
    }

    void refresh_redraws_without_disturbing_typing() {
        auto* spot = child<QLineEdit>("current");
        type("current", QStringLiteral("61.25"));
        QCOMPARE(models->main.current, std::string("61.25"));
        spot->setCursorPosition(2);
        ui->refresh(Window::Main);
        QCOMPARE(spot->cursorPosition(), 2);

        models->main.cmdCompute_enabled = false;
        models->main.strike = "70";
        ui->refresh(Window::Main);
        QVERIFY(!child<QPushButton>("cmdCompute")->isEnabled());
        QCOMPARE(child<QLineEdit>("strike")->text(), QStringLiteral("70"));
        QCOMPARE(child<QLineEdit>("cor")->text(), QStringLiteral("0.0"));  // drawing the slider is no move

        models->main.cmdCompute_enabled = true;
        ui->refresh(Window::Main);
        QVERIFY(child<QPushButton>("cmdCompute")->isEnabled());
    }

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

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
