// How the windows behave as a desktop user expects, under the offscreen
// platform with a screen of 1600 x 1000: where new windows appear, which
// window a box belongs to and where the focus goes after it, and the keys
// Esc, F1 and Ctrl+Q.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <fstream>
#include <memory>

#include "app/box_answerer.h"
#include "app/main_window_fixture.h"
#include "app/qt_user_interface.h"

using namespace tvx;

namespace {

void flush_deletions() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// The shown top-level window of that name.
QWidget* visible_top_level(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

QString text_of(const QRect& r) {
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

}  // namespace

class WindowBehaviourTest : public QObject, MainWindowFixture {
    Q_OBJECT

    QWidget* open(const char* menu, const char* name) {
        auto* item = main->findChild<QAction*>(QString::fromLatin1(menu));
        if (!item) qFatal("no menu item %s", menu);
        item->trigger();
        QWidget* w = visible_top_level(QString::fromLatin1(name));
        if (w && !QTest::qWaitForWindowActive(w)) qWarning("%s is not active", name);
        return w;
    }
    template <class T = QLineEdit>
    static T* child(QWidget* form, const char* name) {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        if (!w) qFatal("no %s", name);
        return w;
    }
    // Gives a window the focus as a click into it would.
    static void activate(QWidget* w, QWidget* focus = nullptr) {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        if (focus) focus->setFocus(Qt::MouseFocusReason);
    }
    static void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    }

private slots:
    void init() {
        open_main();
        main->move(0, 0);
        QVERIFY(QTest::qWaitForWindowExposed(main));
    }
    void cleanup() {
        close_all();
        flush_deletions();
    }

    void new_windows_cover_neither_the_main_window_nor_each_other() {
        QTest::mouseClick(child<QPushButton>(main, "cmdCompute"), Qt::LeftButton);
        QList<QWidget*> shown{main, visible_top_level(QStringLiteral("frmOutput"))};
        shown << open("mnuWarrants", "frmWarrants") << open("mnuAdvancedFutures", "frmFutures")
              << open("mnuCbonds", "frmBonds");
        const QRect screen = main->screen()->availableGeometry();
        // The help viewer opens no smaller than a topic needs to be read
        // (on this small screen, that leaves it no room beside the others).
        press(shown.last(), Qt::Key_F1);
        QWidget* help = visible_top_level(QStringLiteral("frmHelp"));
        QVERIFY(help);
        QVERIFY(screen.contains(help->frameGeometry()));
        QVERIFY(help->width() >= help->minimumSizeHint().width() && help->height() >= help->minimumSizeHint().height());
        for (int i = 0; i < shown.size(); ++i) {
            QVERIFY(shown[i]);
            QVERIFY2(screen.contains(shown[i]->frameGeometry()), qPrintable(shown[i]->objectName()));
            for (int j = 0; j < i; ++j) {
                QVERIFY2(!shown[i]->frameGeometry().intersects(shown[j]->frameGeometry()),
                         qPrintable(QStringLiteral("%1 %2 covers %3 %4")
                                        .arg(shown[i]->objectName())
                                        .arg(text_of(shown[i]->frameGeometry()))
                                        .arg(shown[j]->objectName())
                                        .arg(text_of(shown[j]->frameGeometry()))));
            }
        }
    }

    void a_window_brought_forward_stays_where_the_user_put_it() {
        QWidget* warrants = open("mnuWarrants", "frmWarrants");
        warrants->move(300, 500);
        const QPoint put = warrants->pos();
        open("mnuAdvancedFutures", "frmFutures");
        QCOMPARE(open("mnuWarrants", "frmWarrants"), warrants);
        QCOMPARE(warrants->pos(), put);
        // The output window, hidden by OK and shown by the next Compute.
        QTest::mouseClick(child<QPushButton>(main, "cmdCompute"), Qt::LeftButton);
        QWidget* output = visible_top_level(QStringLiteral("frmOutput"));
        output->move(900, 600);
        child<QPushButton>(output, "Command1")->click();
        QTest::mouseClick(child<QPushButton>(main, "cmdCompute"), Qt::LeftButton);
        QCOMPARE(output->pos(), QPoint(900, 600));
    }

    void a_box_belongs_to_the_window_that_asked_and_gives_it_back_the_focus() {
        // The window system may still report the main window active while a
        // click in another window runs its command.
        QWidget* futures = open("mnuAdvancedFutures", "frmFutures");
        QLineEdit* yield = child(futures, "yield");
        activate(futures, yield);
        activate(main);
        {
            BoxAnswerer answers;
            child<QPushButton>(futures, "Command1")->click();
            QCOMPARE(answers.seen.size(), 1);
            QCOMPARE(answers.seen[0].owner, QStringLiteral("frmFutures"));
        }
        QTRY_COMPARE(QApplication::activeWindow(), futures);
        QTRY_COMPARE(QApplication::focusWidget(), yield);

        // The prediction window's input box and its error box.
        QWidget* predict = open("mnuNeuralPredict", "frmNeural3");
        activate(main);
        BoxAnswerer answers([](QDialog* box) {
            if (auto* input = qobject_cast<QInputDialog*>(box)) input->setTextValue(QStringLiteral("absent.net"));
        });
        child<QPushButton>(predict, "Command1")->click();
        QCOMPARE(answers.seen.size(), 2);
        for (const AnsweredBox& box : answers.seen) QCOMPARE(box.owner, QStringLiteral("frmNeural3"));
        QTRY_COMPARE(QApplication::activeWindow(), predict);
    }

    void after_the_generic_box_the_field_that_is_no_number_has_the_focus() {
        QLineEdit* strike = child(main, "strike");
        strike->setText(QStringLiteral("abc"));
        Q_EMIT strike->textEdited(strike->text());
        QLineEdit* time = child(main, "time");
        activate(main, time);
        BoxAnswerer answers;
        press(time, Qt::Key_Return);
        QCOMPARE(answers.seen.size(), 1);
        QTRY_COMPARE(QApplication::focusWidget(), strike);
        QCOMPARE(strike->selectedText(), QStringLiteral("abc"));
    }

    void escape_cancels_or_closes() {
        for (const auto& [menu, name] :
             {std::pair{"mnuAdvancedFutures", "frmFutures"}, std::pair{"mnuNeuralCreate", "frmNeural1"},
              std::pair{"mnuNeuralPredict", "frmNeural3"}}) {
            QWidget* w = open(menu, name);
            QLineEdit* first = w->findChildren<QLineEdit*>().value(0);
            first->setText(QStringLiteral("7"));
            Q_EMIT first->textEdited(first->text());
            activate(w, first);
            press(first, Qt::Key_Escape);
            flush_deletions();
            QVERIFY2(!visible_top_level(QString::fromLatin1(name)), name);
            // Cancel unloaded it: it comes back with its default texts.
            QVERIFY(open(menu, name)->findChildren<QLineEdit*>().value(0)->text() != QStringLiteral("7"));
        }
        QTest::mouseClick(child<QPushButton>(main, "cmdCompute"), Qt::LeftButton);
        QWidget* output = visible_top_level(QStringLiteral("frmOutput"));
        activate(output);
        press(output, Qt::Key_Escape);
        QVERIFY(!output->isVisible());
        activate(main);
        press(main, Qt::Key_F1);
        QWidget* help = visible_top_level(QStringLiteral("frmHelp"));
        QVERIFY(help);
        activate(help);
        press(help, Qt::Key_Escape);
        QVERIFY(!help->isVisible());
        activate(main);
        press(main, Qt::Key_Escape);  // the main window stays
        QVERIFY(main->isVisible());
    }

    void f1_opens_the_topic_of_the_window_in_front() {
        const struct {
            const char* menu;
            const char* name;
            int topic;
        } windows[] = {{"mnuWarrants", "frmWarrants", 300},    {"mnuAdvancedFutures", "frmFutures", 200},
                       {"mnusbonds", "frmBonds2", 400},        {"mnuCbonds", "frmBonds", 500},
                       {"mnuNeuralCreate", "frmNeural1", 600}, {"mnuNeuralPredict", "frmNeural3", 700},
                       {"mnuChartsOption", "frmChart", 900}};
        for (const auto& w : windows) {
            QWidget* form = open(w.menu, w.name);
            press(form->findChildren<QLineEdit*>().value(0), Qt::Key_F1);
            QCOMPARE(models->help.topic, w.topic);
        }
        QTest::mouseClick(child<QPushButton>(main, "cmdCompute"), Qt::LeftButton);
        activate(visible_top_level(QStringLiteral("frmOutput")));
        press(visible_top_level(QStringLiteral("frmOutput")), Qt::Key_F1);
        QCOMPARE(models->help.topic, 100);
        models->help.topic = 0;
        activate(main);
        press(child(main, "current"), Qt::Key_F1);
        QCOMPARE(models->help.topic, 100);
        QVERIFY(visible_top_level(QStringLiteral("frmHelp")));
    }

    void ctrl_q_asks_the_exit_question_and_the_menu_is_as_it_was() {
        QWidget* futures = open("mnuAdvancedFutures", "frmFutures");
        for (QWidget* from : {main, futures}) {
            activate(from);
            BoxAnswerer answers([](QDialog* box) {
                auto* message = qobject_cast<QMessageBox*>(box);
                QVERIFY(message);
                QCOMPARE(message->text(), QStringLiteral("Are you sure?"));
                message->button(QMessageBox::No)->click();
            });
            press(from, Qt::Key_Q, Qt::ControlModifier);
            QCOMPARE(answers.seen.size(), 1);
            QVERIFY(main->isVisible());
            QVERIFY(futures->isVisible());
        }
        auto* exit = main->findChild<QAction*>(QStringLiteral("mnuFileExit"));
        QCOMPARE(exit->text(), QStringLiteral("&Exit"));
    }
};

int main(int argc, char* argv[]) {
    // An offscreen screen the size of a desktop monitor, so that there is
    // room beside the main window.
    const std::string config = QDir::tempPath().toStdString() + "/tvx-offscreen-screen.json";
    std::ofstream(config) << R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1600, "height": 1000,
        "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QByteArray::fromStdString(config));
    QApplication app(argc, argv);
    WindowBehaviourTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_window_behaviour.moc"
