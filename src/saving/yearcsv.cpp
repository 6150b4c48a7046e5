#include "saving/output.h"
#include "saving/yearoutput.h"
#include "storage/outputfiles.h"
#include "texts/texts.h"

namespace velmora {

QString yearBaseName(int schoolYear) {
    return QStringLiteral("在校等時間_") + texts::kYearTitle.arg(schoolYear);
}

QStringList yearOutputNames(int schoolYear, Formats formats) {
    const QString base = yearBaseName(schoolYear);
    QStringList names;
    if (formats.csv) names << base + QStringLiteral(".csv");
    if (formats.xlsx) names << base + QStringLiteral(".xlsx");
    if (formats.pdf) names << base + QStringLiteral(".pdf");
    return names;
}

QStringList yearColumns() {
    QStringList columns{texts::kName};
    for (int i = 0; i < 12; ++i) {
        const int month = (i + 3) % 12 + 1;
        columns << texts::kYearMonthInSchool.arg(month) << texts::kYearMonthBeyond.arg(month);
    }
    return columns + texts::kYearTotalColumns;
}

QStringList yearCells(const TeacherYear& t) {
    QStringList cells{t.name};
    for (const MonthFigures& m : t.months)
        cells << durationText(m.inSchool) << durationText(m.beyond);
    cells << hoursText(t.inSchool) << hoursText(t.beyond);
    for (int average : t.highestAverage) cells << hoursText(average);
    return cells << QString::number(t.over45) << flagsText(t.flags);
}

QByteArray yearCsv(const YearReport& year) {
    QByteArray out = csvStart();
    addCsvRow(out, yearColumns());
    for (const TeacherYear& t : year.teachers) addCsvRow(out, yearCells(t));
    return out;
}

QStringList saveYear(const SchoolYear& school, const QDir& folder, Formats formats,
                     const YearPdfMaker& pdf, std::shared_ptr<const FileCalls> calls) {
    const QStringList names =
        yearOutputNames(school.year.year, {.csv = true, .xlsx = true, .pdf = true});
    OutputFiles files(folder, std::move(calls));
    if (formats.csv) files.write(names[0], yearCsv(school.year));
    if (formats.xlsx) {
        writeYearsXlsx({school}, files.writingPath(names[1]), folder.filePath(names[1]));
        files.add(names[1]);
    }
    if (formats.pdf) files.write(names[2], pdf({school}));
    return files.commit();
}

} // namespace velmora
