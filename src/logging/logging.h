#pragma once
// The program's log categories. Warnings and worse are written by default (to stderr, which
// the journal keeps for a program started from the desktop's menu); the rest is turned on
// with QT_LOGGING_RULES, for example "velmora.*.info=true".

#include <QLoggingCategory>

namespace velmora {

// velmora.card: the card reader library, and the reader's faults and its coming back.
Q_DECLARE_LOGGING_CATEGORY(lcCard)
// velmora.files: faults of the data files and the working folder.
Q_DECLARE_LOGGING_CATEGORY(lcFiles)
// velmora.shutdown: power-off requests and their refusals.
Q_DECLARE_LOGGING_CATEGORY(lcShutdown)

} // namespace velmora
