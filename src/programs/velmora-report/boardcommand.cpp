#include "programs/velmora-report/boardcommand.h"

#include "board/schools.h"
#include "printing/boardsheets.h"
#include "report/daysoff.h"
#include "saving/yearoutput.h"
#include "storage/datafiles.h"
#include "texts/texts.h"

namespace velmora {

namespace {

void say(const Console& console, const QString& message) {
    console.err(QStringLiteral("velmora-report: %1\n").arg(message));
}

void tellLeftOut(const QStringList& warnings, const QList<LeftOut>& leftOut,
                 const Console& console) {
    for (const QString& warning : warnings) say(console, warning);
    for (const LeftOut& l : leftOut) say(console, texts::kSchoolLeftOut.arg(l.folder, l.reason));
}

// Every school's year in one workbook, whatever other format was asked for: a board reads a
// year in Excel, school by school.
int runBoardYears(const BoardRun& run, const Console& console,
                  std::shared_ptr<const FileCalls> calls) {
    const BoardYears years = buildBoardYears({run.folders, run.base});
    tellLeftOut(years.warnings, years.leftOut, console);
    if (years.schools.isEmpty()) return say(console, texts::kBoardNoSchool), 2;
    QList<SchoolYear> schools;
    for (const NamedYear& school : years.schools) schools << SchoolYear{school.school, school.year};
    saveBoardYears(schools, run.outDir, std::move(calls));
    console.out(texts::kBoardYearDone.arg(schools[0].year.year)
                    .arg(run.base.month->toString(QStringLiteral("yyyy-MM")))
                    .arg(schools.size())
                    .arg(years.leftOut.size()) +
                u'\n');
    return years.leftOut.isEmpty() ? 0 : 1;
}

} // namespace

int runBoard(BoardRun run, const Console& console, std::shared_ptr<const FileCalls> calls) {
    if (!run.base.month) return say(console, texts::kBoardNeedsMonth), 2;
    try {
        if (run.daysOff) run.base.rules.daysOff = readDaysOff(*run.daysOff);
        if (run.year) return runBoardYears(run, console, std::move(calls));
        const BoardReport board = buildBoard({run.folders, run.base});
        tellLeftOut(board.warnings, board.leftOut, console);
        if (board.rows.isEmpty()) return say(console, texts::kBoardNoSchool), 2;
        saveBoard(board, run.outDir, run.formats, boardPdfBytes, std::move(calls));
        console.out(texts::kBoardDone.arg(board.month.toString(QStringLiteral("yyyy-MM")))
                        .arg(board.rows.size())
                        .arg(board.total.teachers)
                        .arg(board.leftOut.size()) +
                    u'\n');
        return board.leftOut.isEmpty() ? 0 : 1;
    } catch (const Failure& failure) {
        say(console, failure.message());
        return 2;
    }
}

} // namespace velmora
