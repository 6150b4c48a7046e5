#include "programs/velmora-report/boardcommand.h"

#include "board/schools.h"
#include "printing/boardsheets.h"
#include "report/daysoff.h"
#include "storage/datafiles.h"
#include "texts/texts.h"

namespace velmora {

namespace {

void say(const Console& console, const QString& message) {
    console.err(QStringLiteral("velmora-report: %1\n").arg(message));
}

} // namespace

int runBoard(BoardRun run, const Console& console, std::shared_ptr<const FileCalls> calls) {
    if (!run.base.month) return say(console, texts::kBoardNeedsMonth), 2;
    try {
        if (run.daysOff) run.base.rules.daysOff = readDaysOff(*run.daysOff);
        const BoardReport board = buildBoard({run.folders, run.base});
        for (const QString& warning : board.warnings) say(console, warning);
        for (const LeftOut& l : board.leftOut)
            say(console, texts::kSchoolLeftOut.arg(l.folder, l.reason));
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
