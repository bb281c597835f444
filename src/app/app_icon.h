// The program's icon, compiled into the program: every window shows it in
// its title bar and the task bar.
#pragma once

namespace tvx {

void set_application_icon();

}  // namespace tvx
