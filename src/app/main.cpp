#include <QApplication>
#include <QLocale>
#include <cstdio>
#include <cstring>

#include "app/app_icon.h"
#include "app/locale_numbers.h"
#include "app/qt_user_interface.h"

int main(int argc, char* argv[]) {
    // The version, without a window (and without a display).
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("tarvenix %s\n", TVX_VERSION);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(tvx::kAppTitle));
    // The desktop entry's name: the task bar matches windows to it.
    QApplication::setDesktopFileName(QStringLiteral("tarvenix"));
    tvx::set_application_icon();
    // "60,5" in every field where the user's language writes a decimal comma.
    tvx::use_locale_decimal_mark(QLocale());
    // Closing the main window ends the program (after its confirmation),
    // whatever else is still open.
    QApplication::setQuitOnLastWindowClosed(false);

    tvx::Models models;
    tvx::QtUserInterface ui(models);
    tvx::Form_Load(models.main);
    ui.show(tvx::Window::Main);
    return QApplication::exec();
}
