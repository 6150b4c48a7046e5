#pragma once
// velmora-report's --close and --verify: a month closed from the command line, and checked
// against its closing, its fingerprints printed for whoever holds the sheets.

#include "programs/velmora-report/commandline.h"
#include "report/report.h"

#include <QCommandLineParser>
#include <functional>

namespace velmora {

void addClosingOptions(QCommandLineParser& parser);
// Whether the options ask to close or to verify rather than for the report's files.
bool isClosingCommand(const QCommandLineParser& parser);
// Closes or verifies the month `build` gives. Returns the exit status: --close 0 or 2;
// --verify 0 when every teacher matches the latest closing, 1 when one differs or the month
// is not closed, 2 on a fault.
int runClosingCommand(const QCommandLineParser& parser, const std::function<MonthReport()>& build,
                      const Console& console);
// Each teacher and day changed since the month's latest closing, on err, before → after.
void tellChanges(const MonthReport& report, const Console& console);

} // namespace velmora
