#include "app/app_icon.h"

#include <QApplication>
#include <QIcon>

namespace tvx {

void set_application_icon() { QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tarvenix.svg"))); }

}  // namespace tvx
