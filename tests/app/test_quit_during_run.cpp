// Closing the main window while a simulation waits in the event loop: the
// run is abandoned at its next batch, every window survives it, and the
// event loop ends once the Compute command has returned.
#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

#include "app/modal_answerer.h"
#include "app/qt_user_interface.h"

using namespace tvx;

class QuitDuringRunTest : public QObject {
    Q_OBJECT

private slots:
    void yes_during_a_simulation_ends_the_program_cleanly() {
        Models models;
        QtUserInterface ui(models);
        Form_Load(models.main);
        ui.show(Window::Main);
        QWidget* main = ui.widget(Window::Main);
        QTest::mouseClick(main->findChild<QCheckBox*>(QStringLiteral("svol")), Qt::LeftButton);
        auto* compute = main->findChild<QPushButton*>(QStringLiteral("cmdCompute"));

        bool compute_disabled_while_running = false;
        QTimer closer;
        closer.setInterval(5);
        connect(&closer, &QTimer::timeout, [&] {
            QWidget* pac = top_level(QStringLiteral("pacifier"));
            if (!pac || !pac->isVisible() || !main->isVisible()) return;
            compute_disabled_while_running = !compute->isEnabled();
            main->close();
        });
        closer.start();

        ModalAnswerer answerer(QMessageBox::Yes);
        bool command_returned = false;
        QEventLoop loop;  // stands in for the application's main loop
        QTimer::singleShot(0, [&] {
            compute->click();
            command_returned = true;
        });
        QTimer::singleShot(60000, [&] { loop.exit(1); });
        QCOMPARE(loop.exec(), 0);  // ended by the quit, not by the guard

        QVERIFY(command_returned);
        QVERIFY(compute_disabled_while_running);
        QCOMPARE(answerer.seen.size(), 1);
        QCOMPARE(answerer.seen[0].text, QStringLiteral("Are you sure?"));
        QVERIFY(models.main.unloaded);
        QVERIFY(!main->isVisible());
        QVERIFY(!ui.widget(Window::Pacifier)->isVisible());
        QVERIFY(!top_level(QStringLiteral("frmOutput")));  // the abandoned run reports nothing
        QVERIFY(models.main.cmdCompute_enabled);
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(QuitDuringRunTest)
#include "test_quit_during_run.moc"
