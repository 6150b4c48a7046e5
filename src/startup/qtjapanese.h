#pragma once

namespace velmora {

// Qt's own texts (dialogs' buttons, the command line parser's faults) in Japanese, like the
// rest of the interface. Once per program, after its application object is made.
void loadQtJapanese();

} // namespace velmora
