// The program with the windows a screen reader's walk looks at open: the
// main window, each calculator, the two neural-net windows, the Strategy
// Builder with three legs and the History. It runs until it is killed or
// its time (the first argument, in seconds) is up; atspi_walk.py walks it
// over the desktop's accessibility bus.
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "app/qt_user_interface.h"
#include "app/windows.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarvenix-probe"));
    tvx::Models models;
    tvx::QtUserInterface ui(models);
    tvx::Form_Load(models.main);
    ui.show(tvx::Window::Main);
    QWidget* main = ui.widget(tvx::Window::Main);
    for (const char* item : {"mnuWarrants", "mnuAdvancedFutures", "mnuCbonds", "mnusbonds", "mnuNeuralCreate",
                             "mnuNeuralPredict", "mnuHistory", "mnuStrategy", "mnuSmile"}) {
        if (auto* a = main->findChild<QAction*>(QString::fromLatin1(item))) a->trigger();
    }
    if (QWidget* strategy = ui.existing(tvx::Window::Strategy)) {
        auto* add = strategy->findChild<QPushButton*>(QStringLiteral("cmdAddLeg"));
        add->click();
        add->click();
    }
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    QTimer::singleShot(seconds * 1000, &app, [] { QCoreApplication::exit(0); });
    return QApplication::exec();
}
