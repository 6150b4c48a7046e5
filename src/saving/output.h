#pragma once
// The report's files: the days and the summary as CSV (UTF-8 with a BOM, RFC 4180, CR LF,
// as Excel opens them) and one XLSX workbook.

#include "report/report.h"

#include <QByteArray>
#include <QString>

namespace velmora {

// A day's cells under texts::kDayColumns and kDayFigureColumns, and a teacher's under
// texts::kTotalColumns and kRegularTotal, as every output shows them.
QStringList dayCells(const Day& day);
QStringList totalCells(const TeacherMonth& teacher);

// The rows as one CSV file, a BOM first.
QByteArray csvFile(const QList<QStringList>& rows);

// One row per teacher and day: 氏名 and the day's columns.
QByteArray dailyCsv(const MonthReport& report);
// One row per teacher: 氏名 and the totals' columns.
QByteArray summaryCsv(const MonthReport& report);

// Writes the workbook at `path`, libxlsxwriter's own temporary files in its folder. Throws
// Failure naming `shownPath`.
void writeXlsx(const MonthReport& report, const QString& path, const QString& shownPath);

// "水" for a date.
QString weekdayName(QDate date);
// "2026年7月".
QString monthTitle(QDate month);

} // namespace velmora
