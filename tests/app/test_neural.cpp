// The two neural-net windows on screen: opened from the menu as single
// instances, Train disabled while it runs, the progress window's Cancel,
// Return, the prediction's input box, and the main window closed during a
// training.
#include <QAction>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <memory>

#include "app/modal_answerer.h"
#include "app/qt_user_interface.h"

using namespace tvx;

namespace {

// The next control that Tab reaches.
QWidget* next_tab_stop(QWidget* w) {
    do w = w->nextInFocusChain();
    while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisible() || !w->isEnabled());
    return w;
}

void flush_deletions() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

void write_file(const QString& path, const std::string& text) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << text;
}

const std::string kTrain = "10,0\r\n10,0\r\n10,0\r\n1,0\r\n2,4,6,0.5\r\n3,5,7,0.4\r\n1,1,1,0.1\r\n";
const std::string kNet = "1\r\n1\r\n1\r\n10\r\n0\r\n100\r\n0\r\n2\r\n3\r\n";

// Answers the input box from a timer inside its own event loop.
class InputAnswerer {
public:
    explicit InputAnswerer(bool accept) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this, accept] {
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            seen.append(box->labelText() + QLatin1Char('|') + box->textValue());
            accept ? box->accept() : box->reject();
        });
        timer_.start();
    }
    QStringList seen;

private:
    QTimer timer_;
};

}  // namespace

class NeuralTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    QString old_dir;
    std::unique_ptr<Models> models;
    std::unique_ptr<QtUserInterface> ui;
    QWidget* main = nullptr;

    QWidget* open(const char* menu, const char* name) {
        main->findChild<QAction*>(QString::fromLatin1(menu))->trigger();
        return top_level(QString::fromLatin1(name));
    }
    template <class T>
    static T* child(QWidget* form, const char* name) {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        if (!w) qFatal("no %s", name);
        return w;
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        old_dir = QDir::currentPath();
        QDir::setCurrent(dir->path());
        models = std::make_unique<Models>();
        ui = std::make_unique<QtUserInterface>(*models);
        Form_Load(models->main);
        ui->show(Window::Main);
        main = ui->widget(Window::Main);
    }
    void cleanup() {
        ui.reset();
        models.reset();
        flush_deletions();
        QDir::setCurrent(old_dir);
        dir.reset();
    }

    void the_menu_opens_one_instance_of_each_window() {
        QWidget* create = open("mnuNeuralCreate", "frmNeural1");
        QVERIFY(create && create->isVisible());
        QCOMPARE(create->windowTitle(), QStringLiteral("Neural Net - Create"));
        QCOMPARE(open("mnuNeuralCreate", "frmNeural1"), create);
        QWidget* predict = open("mnuNeuralPredict", "frmNeural3");
        QVERIFY(predict && predict->isVisible());
        QCOMPARE(predict->windowTitle(), QStringLiteral("Neural Net Input"));
        QCOMPARE(open("mnuNeuralPredict", "frmNeural3"), predict);
        QVERIFY(create->isVisible());

        QCOMPARE(child<QLineEdit>(create, "inputbox")->text(), QStringLiteral("3"));
        QCOMPARE(child<QLineEdit>(create, "ofile1")->text(), QStringLiteral("neural.net"));
        QCOMPARE(child<QLabel>(create, "popLabel")->text(), QStringLiteral("Population size"));
        QVERIFY(child<QRadioButton>(create, "Option1")->isChecked());
        QCOMPARE(child<QRadioButton>(create, "Option2")->text(), QStringLiteral("Agoric"));
        QCOMPARE(child<QPushButton>(create, "Command1")->text(), QStringLiteral("Train"));
        QCOMPARE(child<QLineEdit>(predict, "Text10")->text(), QStringLiteral("0.0"));
        QCOMPARE(child<QLabel>(predict, "Text10Label")->text(), QStringLiteral("Input Node 10"));
        QCOMPARE(child<QPushButton>(predict, "Command1")->text(), QStringLiteral("Predict"));

        // Tab order of the creation window.
        const char* order[] = {"inputbox", "outputbox", "hidden", "gen",    "ifile1",
                               "examples", "ofile1",    "pop",    "Option1"};
        for (std::size_t k = 1; k < std::size(order); ++k)
            QCOMPARE(next_tab_stop(child<QWidget>(create, order[k - 1])), child<QWidget>(create, order[k]));
        // The columns: gen under hidden on the left, pop under ofile1 on the right.
        QVERIFY(child<QWidget>(create, "gen")->x() < child<QWidget>(create, "ifile1")->x());
        QVERIFY(child<QWidget>(predict, "Text5")->x() < child<QWidget>(predict, "Text6")->x());
        QCOMPARE(child<QWidget>(predict, "Text6")->y(), child<QWidget>(predict, "Text1")->y());
    }

    void train_is_disabled_while_running_and_the_progress_cancel_stops_it() {
        write_file(QStringLiteral("train.dat"), kTrain);
        write_file(QStringLiteral("neural.net"), "an earlier network\r\n");
        QWidget* create = open("mnuNeuralCreate", "frmNeural1");
        auto* train = child<QPushButton>(create, "Command1");
        child<QLineEdit>(create, "gen")->setText(QStringLiteral("30000"));
        Q_EMIT child<QLineEdit>(create, "gen")->textEdited(QStringLiteral("30000"));

        bool disabled = false;
        bool bar_moved = false;
        QTimer canceller;
        canceller.setInterval(20);
        connect(&canceller, &QTimer::timeout, [&] {
            QWidget* pm = top_level(QStringLiteral("pmeter"));
            if (!pm || !pm->isVisible()) return;
            bar_moved = child<QProgressBar>(pm, "pbar")->value() > 0;
            if (!bar_moved) return;
            disabled = !train->isEnabled();
            child<QPushButton>(pm, "Command1")->click();
        });
        canceller.start();
        ModalAnswerer answerer(QMessageBox::Ok);
        train->click();  // returns when the run has ended
        QVERIFY(bar_moved);
        QVERIFY(disabled);
        QVERIFY(answerer.seen.isEmpty());
        QVERIFY(train->isEnabled() || !create->isVisible());
        QVERIFY(!ui->widget(Window::Pmeter)->isVisible());
        std::ifstream in("neural.net", std::ios::binary);
        std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        QCOMPARE(QString::fromStdString(kept), QStringLiteral("an earlier network\r\n"));
        QVERIFY(!QApplication::overrideCursor());
    }

    void return_trains_and_reports() {
        write_file(QStringLiteral("train.dat"), kTrain);
        QWidget* create = open("mnuNeuralCreate", "frmNeural1");
        child<QLineEdit>(create, "gen")->setText(QStringLiteral("10"));
        Q_EMIT child<QLineEdit>(create, "gen")->textEdited(QStringLiteral("10"));
        ModalAnswerer answerer(QMessageBox::Ok);
        QTest::keyClick(child<QLineEdit>(create, "pop"), Qt::Key_Return);
        QCOMPARE(answerer.seen.size(), 1);
        QVERIFY(answerer.seen[0].text.startsWith(QStringLiteral("Evolution complete, average error remaining is ")));
        QVERIFY(QFileInfo::exists(QStringLiteral("neural.net")));
        QVERIFY(!create->isVisible());
    }

    void gradient_is_the_third_choice_and_the_errors_per_output_follow_the_box() {
        write_file(QStringLiteral("train.dat"), kTrain);
        QWidget* create = open("mnuNeuralCreate", "frmNeural1");
        auto* gradient = child<QRadioButton>(create, "Option3");
        QCOMPARE(gradient->text(), QStringLiteral("Gradient"));
        QVERIFY(!gradient->isChecked());
        auto* details = child<QLabel>(create, "details");
        QVERIFY(!details->isVisible());  // nothing trained yet

        gradient->click();
        QVERIFY(models->neural1.Option3);
        QVERIFY(!models->neural1.Option1);
        child<QRadioButton>(create, "Option2")->click();  // Agoric clears it again
        QVERIFY(!models->neural1.Option3);
        QVERIFY(!models->neural1.Option1);
        gradient->click();
        child<QLineEdit>(create, "gen")->setText(QStringLiteral("50"));
        Q_EMIT child<QLineEdit>(create, "gen")->textEdited(QStringLiteral("50"));

        // While the completion box is up, the window shows the errors per
        // output beside it.
        QString shown;
        QStringList boxes;
        QTimer answerer;
        answerer.setInterval(5);
        connect(&answerer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            boxes.append(box->text());
            if (details->isVisible()) shown = details->text();
            box->button(QMessageBox::Ok)->click();
        });
        answerer.start();
        child<QPushButton>(create, "Command1")->click();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].startsWith(QStringLiteral("Gradient training complete, average error remaining is ")));
        QVERIFY(!boxes[0].contains(QStringLiteral("Output node")));
        QVERIFY(shown.startsWith(QStringLiteral("Output node 1: root mean square error ")));
        QCOMPARE(shown, QString::fromStdString(models->neural1.details));

        // Reopened, the window still selects Gradient and shows the figures.
        QWidget* again = open("mnuNeuralCreate", "frmNeural1");
        QVERIFY(child<QRadioButton>(again, "Option3")->isChecked());
        QVERIFY(child<QLabel>(again, "details")->isVisible());
    }

    void predict_asks_for_the_file_and_shows_the_outputs() {
        write_file(QStringLiteral("neural.net"), kNet);
        QWidget* predict = open("mnuNeuralPredict", "frmNeural3");
        auto* text1 = child<QLineEdit>(predict, "Text1");
        text1->selectAll();
        QTest::keyClicks(text1, QStringLiteral("5"));
        InputAnswerer input(true);
        ModalAnswerer answerer(QMessageBox::Ok);
        QTest::keyClick(text1, Qt::Key_Return);
        QCOMPARE(input.seen, QStringList{QStringLiteral("Enter the filename of the neural net below:|neural.net")});
        QCOMPARE(answerer.seen.size(), 1);
        QCOMPARE(answerer.seen[0].text, QStringLiteral("The output for node 1 is 60.0018\n"));
        QCOMPARE(answerer.seen[0].icon, QMessageBox::NoIcon);
        flush_deletions();
        QVERIFY(!top_level(QStringLiteral("frmNeural3")));  // closed after the result
        QCOMPARE(models->neural3.Text[0], std::string("0.0"));
    }

    void cancelling_the_input_box_is_quiet_and_a_bad_input_takes_the_focus() {
        write_file(QStringLiteral("neural.net"), kNet);
        QWidget* predict = open("mnuNeuralPredict", "frmNeural3");
        {
            InputAnswerer input(false);
            ModalAnswerer answerer(QMessageBox::Ok);
            child<QPushButton>(predict, "Command1")->click();
            QCOMPARE(input.seen.size(), 1);
            QVERIFY(answerer.seen.isEmpty());
            QVERIFY(predict->isVisible());
            QVERIFY(!QApplication::overrideCursor());
        }
        InputAnswerer input(true);
        ModalAnswerer answerer(QMessageBox::Ok);
        child<QPushButton>(predict, "Command1")->click();  // "0.0" is the lower bound
        QCOMPARE(answerer.seen.size(), 1);
        QCOMPARE(answerer.seen[0].text, QStringLiteral("Error: Input values lie outside of range"));
        QVERIFY(predict->isVisible());
        QCOMPARE(predict->focusWidget(), child<QWidget>(predict, "Text1"));
    }

    void closing_the_main_window_during_a_training_ends_cleanly() {
        write_file(QStringLiteral("train.dat"), kTrain);
        QWidget* create = open("mnuNeuralCreate", "frmNeural1");
        child<QLineEdit>(create, "gen")->setText(QStringLiteral("30000"));
        Q_EMIT child<QLineEdit>(create, "gen")->textEdited(QStringLiteral("30000"));
        QTimer closer;
        closer.setInterval(20);
        connect(&closer, &QTimer::timeout, [&] {
            QWidget* pm = top_level(QStringLiteral("pmeter"));
            if (pm && pm->isVisible() && main->isVisible()) main->close();
        });
        closer.start();
        ModalAnswerer answerer(QMessageBox::Yes);
        bool returned = false;
        QEventLoop loop;
        QTimer::singleShot(0, [&] {
            child<QPushButton>(create, "Command1")->click();
            returned = true;
        });
        QTimer::singleShot(60000, [&] { loop.exit(1); });
        QCOMPARE(loop.exec(), 0);
        QVERIFY(returned);
        QCOMPARE(answerer.seen.size(), 1);
        QCOMPARE(answerer.seen[0].text, QStringLiteral("Are you sure?"));
        QVERIFY(!QFileInfo::exists(QStringLiteral("neural.net")));
        QVERIFY(!QApplication::overrideCursor());
    }

    void each_window_is_at_least_as_large_as_its_contents() {
        for (auto [menu, name] :
             {std::pair{"mnuNeuralCreate", "frmNeural1"}, std::pair{"mnuNeuralPredict", "frmNeural3"}}) {
            QWidget* w = open(menu, name);
            w->resize(10, 10);
            QVERIFY(w->width() >= w->minimumSizeHint().width());
            for (QLabel* l : w->findChildren<QLabel*>()) QVERIFY(l->width() >= l->sizeHint().width());
        }
    }
};

QTEST_MAIN(NeuralTest)
#include "test_neural.moc"
