#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWindow>
#include <QtTest>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <tuple>

#include "app/modal_answerer.h"
#include "app/qt_user_interface.h"
#include "app/window_checks.h"
#include "neural/training_progress.h"

using namespace tvx;

class ProgressTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Models> models;
    std::unique_ptr<QtUserInterface> ui;

    template <class T>
    T* child(Window w, const char* name) {
        T* c = ui->widget(w)->findChild<T*>(QString::fromLatin1(name));
        if (!c) qFatal("no %s", name);
        return c;
    }

private slots:
    void init() {
        models = std::make_unique<Models>();
        ui = std::make_unique<QtUserInterface>(*models);
    }
    void cleanup() {
        ui.reset();
        models.reset();
    }

    void pacifier_runs_beside_the_computation() {
        Pacifier& pac = models->pacifier;
        progress_message(*ui, pac, "Initializing...");  // before the window exists
        progress_show(*ui, pac);                        // returns: nothing blocks

        QWidget* w = top_level(QStringLiteral("pacifier"));
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Computation Progress"));
        QCOMPARE(child<QLabel>(Window::Pacifier, "olabel")->text(), QStringLiteral("Initializing..."));
        QVERIFY(pac.loaded);
        QCOMPARE(pac.kill, 0);

        auto* cancel = child<QPushButton>(Window::Pacifier, "Command1");
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTest::mouseClick(cancel, Qt::LeftButton);
        QCOMPARE(pac.kill, 1);
        QVERIFY(w->isVisible());  // the computation hides it when it next looks

        const char* longest = "Error in iteration 12 is -0.000170345678901";
        progress_message(*ui, pac, longest);
        auto* olabel = child<QLabel>(Window::Pacifier, "olabel");
        QCOMPARE(olabel->text(), QString::fromLatin1(longest));
        QVERIFY(olabel->width() >= olabel->sizeHint().width());  // not clipped

        progress_hide(*ui, pac);
        QVERIFY(!w->isVisible());
        QCOMPARE(olabel->text(), QString::fromLatin1(longest));
        QCOMPARE(pac.kill, 1);

        progress_show(*ui, pac);  // the next computation starts afresh
        QCOMPARE(top_level(QStringLiteral("pacifier")), w);
        QCOMPARE(pac.kill, 0);
        QCOMPARE(olabel->text(), QString::fromLatin1(longest));
    }

    void hiding_before_any_show_loads_the_window_hidden() {
        progress_hide(*ui, models->pacifier);
        QWidget* w = top_level(QStringLiteral("pacifier"));
        QVERIFY(w);
        QVERIFY(!w->isVisible());
        QVERIFY(models->pacifier.loaded);
    }

    void pmeter_draws_bar_and_message() {
        Pmeter& pm = models->pmeter;
        pm.pbar_min = 0;
        pm.pbar_max = 40;
        pm.pbar_value = 0;
        pm.message = "0% of neural net training complete";
        progress_show(*ui, pm);
        QWidget* w = top_level(QStringLiteral("pmeter"));
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Calculation Progress"));

        // A step drawn within 40 ms of the last drawing shows when those
        // 40 ms are up (QTRY_ waits, running the event loop).
        pm.pbar_value = 10;
        pm.message = "25% of neural net training complete";
        ui->refresh(Window::Pmeter);
        auto* bar = child<QProgressBar>(Window::Pmeter, "pbar");
        QTRY_COMPARE(bar->value(), 10);
        QCOMPARE(bar->maximum(), 40);
        QCOMPARE(child<QLabel>(Window::Pmeter, "message")->text(),
                 QStringLiteral("25% of neural net training complete"));
        QCOMPARE(bar->text(), QStringLiteral("25%"));

        // 7 of 9 steps: the message says 77.78 %; the bar must not say 77.
        training_progress_start(pm, *ui, 9);
        training_progress_step(pm, *ui, 7, 9, std::nullopt);
        QTRY_VERIFY(child<QLabel>(Window::Pmeter, "message")->text().startsWith(QStringLiteral("77.7777777777778%")));
        QCOMPARE(bar->text(), QStringLiteral("78%"));
        const std::tuple<int, int, const char*> shares[] = {
            {1, 3, "33%"}, {2, 3, "67%"}, {1, 200, "1%"}, {3, 3, "100%"}};
        for (const auto& [done, total, shown] : shares) {
            training_progress_start(pm, *ui, total);
            training_progress_step(pm, *ui, done, total, std::nullopt);
            QTRY_COMPARE(bar->text(), QString::fromLatin1(shown));
        }

        // Many steps in quick succession: the bar and the message are drawn
        // far fewer times than the steps, and end at the last state.
        training_progress_start(pm, *ui, 1000);
        auto* message = child<QLabel>(Window::Pmeter, "message");
        int drawn = 0;
        QString last = message->text();
        for (int done = 1; done < 1000; ++done) {
            training_progress_step(pm, *ui, done, 1000, std::nullopt);
            if (message->text() != last) ++drawn, last = message->text();
        }
        QVERIFY(drawn < 100);
        QTRY_VERIFY(message->text().startsWith(QStringLiteral("99.9%")));
        QCOMPARE(bar->text(), QStringLiteral("100%"));

        QTest::mouseClick(child<QPushButton>(Window::Pmeter, "Command1"), Qt::LeftButton);
        QCOMPARE(pm.kill, 1);
        QCOMPARE(models->pacifier.kill, 0);
    }

    void pmeter_draws_the_lowest_error_its_curve_and_the_times() {
        Pmeter& pm = models->pmeter;
        pm.pbar_min = 0;
        pm.pbar_max = 40;
        pm.pbar_value = 3;
        pm.message = "7.5% of neural net training complete";
        pm.curve = {{1, 0.5}, {2, 0.2}, {3, 0.0123456789}};
        pm.elapsed = 6;
        pm.remaining = 74;
        progress_show(*ui, pm);
        QWidget* w = top_level(QStringLiteral("pmeter"));
        QTRY_COMPARE(child<QLabel>(Window::Pmeter, "best")->text(),
                     QStringLiteral("Lowest average error so far: 0.0123457"));
        QCOMPARE(child<QLabel>(Window::Pmeter, "times")->text(), QStringLiteral("Elapsed 0:06, about 1:14 left"));
        QCOMPARE(child<QLabel>(Window::Pmeter, "message")->text(),
                 QStringLiteral("7.5% of neural net training complete"));

        // The curve is painted in the highlight colour, falling from the top
        // left: its first point at the top, its last at the bottom.
        auto* curve = child<QWidget>(Window::Pmeter, "curve");
        QVERIFY(curve->isVisible());
        QVERIFY(curve->width() >= 200 && curve->height() >= 60);
        auto painted_rows = [&] {
            const QImage image = curve->grab().toImage();
            const QColor line = curve->palette().highlight().color();
            int top = image.height(), bottom = -1;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    if (std::abs(c.red() - line.red()) + std::abs(c.green() - line.green()) +
                            std::abs(c.blue() - line.blue()) <
                        40) {
                        top = std::min(top, y);
                        bottom = std::max(bottom, y);
                    }
                }
            return std::pair{top, bottom};
        };
        const auto [top, bottom] = painted_rows();
        QVERIFY(bottom > top + curve->height() / 2);

        // A run starting afresh clears them.
        pm.curve.clear();
        pm.elapsed = 0;
        pm.remaining = -1;
        ui->refresh(Window::Pmeter);
        QTRY_COMPARE(child<QLabel>(Window::Pmeter, "best")->text(), QString());
        QCOMPARE(child<QLabel>(Window::Pmeter, "times")->text(), QStringLiteral("Elapsed 0:00"));
        QCOMPARE(painted_rows().second, -1);
        QVERIFY(w->isVisible());
    }

    // Placed beside the other windows at its first size, the window keeps
    // it while the training fills its lines, so it never grows off the
    // screen.
    void pmeter_keeps_its_size_as_its_lines_fill() {
        Pmeter& pm = models->pmeter;
        training_progress_start(pm, *ui, 30000);
        QWidget* w = top_level(QStringLiteral("pmeter"));
        QTRY_COMPARE(child<QLabel>(Window::Pmeter, "best")->text(), QString());
        const QSize first = w->size();
        pm.curve = {{1, 0.5}, {7, 0.000123456789}};
        training_progress_step(pm, *ui, 1, 30000, 0.000123456789);
        pm.elapsed = 4000;
        pm.remaining = 5000;
        ui->refresh(Window::Pmeter);
        QTRY_COMPARE(child<QLabel>(Window::Pmeter, "times")->text(),
                     QStringLiteral("Elapsed 1:06:40, about 1:23:20 left"));
        QVERIFY(child<QLabel>(Window::Pmeter, "message")->text().startsWith(QStringLiteral("0.00333333333333333%")));
        QCOMPARE(w->size(), first);
    }

    void busy_pointer_never_stacks_or_underflows() {
        QVERIFY(!QApplication::overrideCursor());
        ui->set_pointer(Pointer::Busy);
        ui->set_pointer(Pointer::Busy);
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        ui->set_pointer(Pointer::Normal);
        QVERIFY(!QApplication::overrideCursor());
        ui->set_pointer(Pointer::Normal);
        QVERIFY(!QApplication::overrideCursor());

        // Someone else's cursor is not unwound by a stray Normal.
        QApplication::setOverrideCursor(Qt::CrossCursor);
        ui->set_pointer(Pointer::Normal);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
        QApplication::restoreOverrideCursor();

        // Ending while busy leaves the normal pointer behind.
        ui->set_pointer(Pointer::Busy);
        ui.reset();
        QVERIFY(!QApplication::overrideCursor());
    }

    void message_box_shows_its_lines_icon_and_answer_data() {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("click");
        QTest::addColumn<int>("shownIcon");
        QTest::addColumn<int>("answer");
        QTest::newRow("result") << int(Icon::None) << int(Buttons::Ok) << int(QMessageBox::Ok)
                                << int(QMessageBox::NoIcon) << int(Answer::Ok);
        QTest::newRow("warning") << int(Icon::Exclamation) << int(Buttons::Ok) << int(QMessageBox::Ok)
                                 << int(QMessageBox::Warning) << int(Answer::Ok);
        QTest::newRow("error") << int(Icon::Critical) << int(Buttons::Ok) << int(QMessageBox::Ok)
                               << int(QMessageBox::Critical) << int(Answer::Ok);
        QTest::newRow("yes") << int(Icon::None) << int(Buttons::YesNo) << int(QMessageBox::Yes)
                             << int(QMessageBox::NoIcon) << int(Answer::Yes);
        QTest::newRow("no") << int(Icon::None) << int(Buttons::YesNo) << int(QMessageBox::No)
                            << int(QMessageBox::NoIcon) << int(Answer::No);
    }
    void message_box_shows_its_lines_icon_and_answer() {
        QFETCH(int, icon);
        QFETCH(int, buttons);
        QFETCH(int, click);
        QFETCH(int, shownIcon);
        QFETCH(int, answer);
        ModalAnswerer answerer(static_cast<QMessageBox::StandardButton>(click));
        const Answer got = ui->message_box("Tarvenix", static_cast<Icon>(icon), "First line\rSecond line",
                                           static_cast<Buttons>(buttons));
        QCOMPARE(int(got), answer);
        QCOMPARE(answerer.seen.size(), 1);
        QCOMPARE(answerer.seen[0].title, QStringLiteral("Tarvenix"));
        QCOMPARE(answerer.seen[0].text, QStringLiteral("First line\nSecond line"));
        QCOMPARE(int(answerer.seen[0].icon), shownIcon);
        // The text can be selected and copied.
        QVERIFY(answerer.seen[0].text_flags.testFlag(Qt::TextSelectableByMouse));
        QVERIFY(answerer.seen[0].text_flags.testFlag(Qt::TextSelectableByKeyboard));
    }

    void progress_windows_are_small_fixed_tool_windows_above_the_main_window_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("name");
        QTest::newRow("pacifier") << int(Window::Pacifier) << QStringLiteral("pacifier");
        QTest::newRow("pmeter") << int(Window::Pmeter) << QStringLiteral("pmeter");
    }
    void progress_windows_are_small_fixed_tool_windows_above_the_main_window() {
        QFETCH(int, window);
        QFETCH(QString, name);
        Form_Load(models->main);
        ui->show(Window::Main);
        QWidget* main = ui->widget(Window::Main);
        models->pacifier.olabel = "Error in iteration 100 is -0.000170345678901";  // the longest message
        models->pmeter.message = "100% of neural net training complete";
        ui->show(static_cast<Window>(window));
        QWidget* w = top_level(name);
        QVERIFY(w && w->isVisible());

        QCOMPARE(w->windowType(), Qt::Tool);
        QVERIFY(!w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!w->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(w->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QVERIFY(w->width() < main->width());
        QVERIFY(w->windowHandle()->transientParent() == main->windowHandle());

        shrink_to_minimum(w);
        const QStringList clipped = clipped_controls(w);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral(", "))));
    }
};

QTEST_MAIN(ProgressTest)
#include "test_progress.moc"
