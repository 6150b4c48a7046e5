#pragma once
// velmora-report's command line, apart from the program around it: tested through a table.

#include "console/console.h"

#include <QStringList>
#include <memory>

namespace velmora {

struct FileCalls;

// Whether `arguments` choose the PDF, as runReport() reads them: only its painting needs a
// QGuiApplication.
bool needsPdf(const QStringList& arguments);

// velmora-report run on `arguments` (the program's name first): the month's files written,
// or the help or the version shown. A fault is one message on err, and no file is written.
// Returns the exit status: 0, or 2. The files are synced and renamed through `calls`, the
// system's own when none are given.
int runReport(const QStringList& arguments, const Console& console,
              std::shared_ptr<const FileCalls> calls = nullptr);

} // namespace velmora
