#pragma once

namespace velmora {

// Qt's own texts (dialogs' buttons, the command line parser's faults) in Japanese, like the
// rest of the interface. Once per program, after its application object is made.
void loadQtJapanese();

// Whether a desktop session shows windows (always on Windows). Without one and without a
// platform of its own (QT_QPA_PLATFORM) Qt aborts with advice about reinstalling, which misleads.
bool hasDesktop();

} // namespace velmora
