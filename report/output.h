#pragma once
// The report's files: the days and the summary as CSV (UTF-8 with a BOM, RFC 4180, CR LF,
// as Excel opens them) and one XLSX workbook.

#include "report/report.h"

#include <QByteArray>
#include <QString>

namespace velmora {

// "在校等時間_2026-07": the files' names add ".csv", "_集計.csv" or ".xlsx".
QString reportBaseName(QDate month);

// One row per teacher and day: 氏名,日付,曜日,出,退,在校等時間,時間外,備考.
QByteArray dailyCsv(const MonthReport& report);
// One row per teacher: 氏名,出勤日数,在校等時間合計,時間外合計,年度累計時間外,判定.
QByteArray summaryCsv(const MonthReport& report);

// Writes the workbook under a temporary name beside `path` and renames it into place, so
// that a fault leaves no partial file. Throws Failure.
void writeXlsx(const MonthReport& report, const QString& path);

// "水" for a date.
QString weekdayName(QDate date);

} // namespace velmora
