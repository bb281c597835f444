// A combo box as screen readers should meet it on this desktop: named by
// its accessible name (or its label), its current item as its value. Qt's
// own interface names a combo box by its current item on Linux, so two
// legs' "Position" boxes would both be called "Long".
#pragma once

namespace tvx {

// Installs the interface for every QComboBox made afterwards; once is
// enough, a second call does nothing.
void install_accessible_combo();

}  // namespace tvx
