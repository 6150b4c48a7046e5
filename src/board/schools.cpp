#include "board/schools.h"

#include "ledger/csv.h"
#include "report/year.h"
#include "storage/datafiles.h"
#include "texts/texts.h"

#include <QDir>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentMap>
#include <optional>

namespace velmora {

namespace {

template <class Kept> struct Outcome {
    std::optional<Kept> kept;
    LeftOut leftOut;
    QStringList warnings;
};

// The school's report, built as its own window would build it, handed to `keep` so that only
// what the board shows outlives the reading.
template <class Keep>
auto readSchool(const QString& folder, const ReportRequest& base, const Keep& keep) {
    Outcome<decltype(keep(QString(), QString(), MonthReport()))> outcome;
    try {
        if (!QFileInfo(folder).isDir()) throw Failure(texts::kMissingFolder.arg(folder));
        const QStringList files = folderRecordFiles(folder);
        if (files.isEmpty()) throw Failure(texts::kNoRecordFilesIn.arg(folder));
        const QString name = schoolName(folder);
        ReportRequest request = base;
        request.files = files;
        request.ledgerFolder = folder;
        const MonthReport report = buildReport(request);
        outcome.kept = keep(name, folder, report);
        for (const QString& w : report.warnings)
            outcome.warnings << name + QStringLiteral(": ") + w;
        for (const LedgerProblem& p : report.ledger.problems)
            outcome.warnings << name + QStringLiteral(": ") + p.text();
    } catch (const Failure& failure) {
        outcome.leftOut = {folder, failure.message()};
    }
    return outcome;
}

// Every folder read, two or more at a time; the kept ones in the folders' order.
template <class Keep>
void readSchools(const BoardRequest& request, const Keep& keep,
                 QList<decltype(keep(QString(), QString(), MonthReport()))>& kept,
                 QList<LeftOut>& leftOut, QStringList& warnings) {
    const auto outcomes = QtConcurrent::blockingMapped(request.folders, [&](const QString& folder) {
        return readSchool(folder, request.base, keep);
    });
    for (const auto& o : outcomes) {
        if (o.kept)
            kept << *o.kept;
        else
            leftOut << o.leftOut;
        warnings << o.warnings;
    }
}

} // namespace

QString schoolName(const QString& folder) {
    const std::optional<QByteArray> line = DataFolder(QDir(folder)).firstLine(kSchoolNameFile);
    const QString named = line ? ledger::decodeLine(*line).trimmed() : QString();
    return named.isEmpty() ? QFileInfo(QDir(folder).absolutePath()).fileName() : named;
}

QStringList folderRecordFiles(const QString& folder) {
    QStringList files;
    for (const QFileInfo& f :
         QDir(folder).entryInfoList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name))
        files << f.absoluteFilePath();
    return recordFiles(files);
}

QStringList schoolFolders(const QString& folder) {
    QStringList schools;
    for (const QFileInfo& f :
         QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (!folderRecordFiles(f.absoluteFilePath()).isEmpty()) schools << f.absoluteFilePath();
    return schools;
}

BoardReport buildBoard(const BoardRequest& request) {
    QList<School> schools;
    QList<LeftOut> leftOut;
    QStringList warnings;
    readSchools(
        request,
        [](const QString& name, const QString& folder, const MonthReport& report) {
            return schoolOf(name, folder, report);
        },
        schools, leftOut, warnings);
    BoardReport board = boardReport(*request.base.month, schools, leftOut);
    board.warnings = warnings;
    return board;
}

BoardYears buildBoardYears(BoardRequest request) {
    request.base.wholeYear = true;
    BoardYears years;
    readSchools(
        request,
        [](const QString& name, const QString&, const MonthReport& report) {
            return NamedYear{name, yearReport(report)};
        },
        years.schools, years.leftOut, years.warnings);
    return years;
}

} // namespace velmora
