#include "saving/saving.h"

#include "saving/output.h"
#include "storage/outputfiles.h"

namespace velmora {

QString reportBaseName(QDate month) {
    return QStringLiteral("在校等時間_") + month.toString(QStringLiteral("yyyy-MM"));
}

QStringList outputNames(QDate month, Formats formats) {
    const QString base = reportBaseName(month);
    QStringList names;
    if (formats.csv) names << base + QStringLiteral(".csv") << base + QStringLiteral("_集計.csv");
    if (formats.xlsx) names << base + QStringLiteral(".xlsx");
    if (formats.pdf) names << base + QStringLiteral(".pdf");
    return names;
}

QStringList saveReport(const MonthReport& report, const QDir& folder, Formats formats,
                       const PdfMaker& pdf, std::shared_ptr<const FileCalls> calls) {
    const QStringList names = outputNames(report.month, {.csv = true, .xlsx = true, .pdf = true});
    OutputFiles files(folder, std::move(calls));
    if (formats.csv) {
        files.write(names[0], dailyCsv(report));
        files.write(names[1], summaryCsv(report));
    }
    if (formats.xlsx) {
        writeXlsx(report, files.writingPath(names[2]), folder.filePath(names[2]));
        files.add(names[2]);
    }
    if (formats.pdf) files.write(names[3], pdf(report));
    return files.commit();
}

} // namespace velmora
