#pragma once
// The data folder of the installation: where the time clock of the menu or the Start menu
// writes its records, and so where the report of the same menu looks first.

#include <QString>

namespace velmora {

// Windows: the installer's choice (HKLM\Software\Velmora, DataFolder). Otherwise, as on Linux,
// ~/Velmora, the folder of the desktop entry's `velmora --menu`.
QString installationDataFolder();

} // namespace velmora
