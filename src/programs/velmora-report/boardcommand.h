#pragma once
// velmora-report --board: the board's month over school folders, apart from the school's own
// command line.

#include "programs/velmora-report/commandline.h"
#include "report/report.h"
#include "saving/saving.h"

#include <QDir>
#include <QStringList>
#include <optional>

namespace velmora {

struct BoardRun {
    QStringList folders;
    ReportRequest base; // the options' month, rules and year, for every school
    Formats formats;
    QDir outDir;
    std::optional<QString> daysOff;
    bool year = false; // -f year: one workbook of every school's year in place of the month's
};

// The board's files written from the schools that could be read, each one left out named on
// err. Returns 0, 1 when a school was left out, 2 when none could be read or the files could
// not be written (then none is).
int runBoard(BoardRun run, const Console& console, std::shared_ptr<const FileCalls> calls);

} // namespace velmora
