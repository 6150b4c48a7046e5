#include "board/schools.h"

#include "ledger/csv.h"
#include "storage/datafiles.h"
#include "texts/texts.h"

#include <QDir>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentMap>
#include <optional>

namespace velmora {

namespace {

struct Outcome {
    std::optional<School> school;
    LeftOut leftOut;
    QStringList warnings;
};

Outcome readSchool(const QString& folder, const ReportRequest& base) {
    Outcome outcome;
    try {
        if (!QFileInfo(folder).isDir()) throw Failure(texts::kMissingFolder.arg(folder));
        const QStringList files = folderRecordFiles(folder);
        if (files.isEmpty()) throw Failure(texts::kNoRecordFilesIn.arg(folder));
        const QString name = schoolName(folder);
        ReportRequest request = base;
        request.files = files;
        request.ledgerFolder = folder;
        const MonthReport report = buildReport(request);
        outcome.school = schoolOf(name, folder, report);
        for (const QString& w : report.warnings)
            outcome.warnings << name + QStringLiteral(": ") + w;
        for (const LedgerProblem& p : report.ledger.problems)
            outcome.warnings << name + QStringLiteral(": ") + p.text();
    } catch (const Failure& failure) {
        outcome.leftOut = {folder, failure.message()};
    }
    return outcome;
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

BoardReport buildBoard(const BoardRequest& request) {
    const QList<Outcome> outcomes =
        QtConcurrent::blockingMapped(request.folders, [&request](const QString& folder) {
            return readSchool(folder, request.base);
        });
    QList<School> schools;
    QList<LeftOut> leftOut;
    QStringList warnings;
    for (const Outcome& o : outcomes) {
        if (o.school)
            schools << *o.school;
        else
            leftOut << o.leftOut;
        warnings << o.warnings;
    }
    BoardReport board = boardReport(*request.base.month, schools, leftOut);
    board.warnings = warnings;
    return board;
}

} // namespace velmora
