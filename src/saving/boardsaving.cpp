#include "saving/boardoutput.h"
#include "saving/saving.h"
#include "saving/yearoutput.h"
#include "storage/outputfiles.h"
#include "texts/texts.h"

namespace velmora {

QString boardBaseName(QDate month) {
    return QStringLiteral("在校等時間_%1_%2")
        .arg(texts::kBoardName, month.toString(QStringLiteral("yyyy年MM月")));
}

QStringList boardOutputNames(QDate month, Formats formats) {
    const QString base = boardBaseName(month);
    QStringList names;
    if (formats.csv)
        names << base + QStringLiteral(".csv")
              << base + u'_' + texts::kNoticeSheet + QStringLiteral(".csv");
    if (formats.xlsx) names << base + QStringLiteral(".xlsx");
    if (formats.pdf) names << base + QStringLiteral(".pdf");
    return names;
}

QStringList saveBoard(const BoardReport& board, const QDir& folder, Formats formats,
                      const BoardPdfMaker& pdf, std::shared_ptr<const FileCalls> calls) {
    const QStringList names =
        boardOutputNames(board.month, {.csv = true, .xlsx = true, .pdf = true});
    OutputFiles files(folder, std::move(calls));
    if (formats.csv) {
        files.write(names[0], boardCsv(board));
        files.write(names[1], noticeCsv(board));
    }
    if (formats.xlsx) {
        writeBoardXlsx(board, files.writingPath(names[2]), folder.filePath(names[2]));
        files.add(names[2]);
    }
    if (formats.pdf) files.write(names[3], pdf(board));
    return files.commit();
}

QString boardYearsName(int schoolYear) {
    return QStringLiteral("在校等時間_%1_%2.xlsx")
        .arg(texts::kBoardName, texts::kYearTitle.arg(schoolYear));
}

QString saveBoardYears(const QList<SchoolYear>& schools, const QDir& folder,
                       std::shared_ptr<const FileCalls> calls) {
    const QString name = boardYearsName(schools.value(0).year.year);
    OutputFiles files(folder, std::move(calls));
    writeYearsXlsx(schools, files.writingPath(name), folder.filePath(name));
    files.add(name);
    return files.commit().value(0);
}

} // namespace velmora
