#pragma once
// velmora-report's command line, apart from the program around it: tested through a table.

#include <QStringList>
#include <functional>

namespace velmora {

// Where the command's words go, as they are (line ends included).
struct Console {
    std::function<void(const QString&)> out, err;
    bool progress = false; // err is a terminal: the reading's progress is shown on it
};

// velmora-report run on `arguments` (the program's name first): the month's files written,
// or the help or the version shown. A fault is one message on err, and no file is written.
// Returns the exit status: 0, or 2.
int runReport(const QStringList& arguments, const Console& console);

} // namespace velmora
