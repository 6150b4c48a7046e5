#pragma once
// The report's files: the days and the summary as CSV (UTF-8 with a BOM, RFC 4180, CR LF,
// as Excel opens them) and one XLSX workbook.

#include "report/report.h"

#include <QByteArray>
#include <QSet>
#include <QString>

namespace velmora {

// A day's cells under texts::kDayColumns and kDayFigureColumns, and a teacher's under
// texts::kTotalColumns and kRegularTotal, as every output shows them.
QStringList dayCells(const Day& day);
QStringList totalCells(const TeacherMonth& teacher);

// One row per teacher and day: 氏名 and the day's columns.
QByteArray dailyCsv(const MonthReport& report);
// One row per teacher: 氏名 and the totals' columns.
QByteArray summaryCsv(const MonthReport& report);

// Writes the workbook at `path`, libxlsxwriter's own temporary files in its folder. Throws
// Failure naming `shownPath`.
void writeXlsx(const MonthReport& report, const QString& path, const QString& shownPath);

// A CSV file's first bytes, and a row after them, for every CSV file alike.
QByteArray csvStart();
void addCsvRow(QByteArray& out, const QStringList& fields);
// A sheet name Excel accepts for `name`, unique among `used`, which it joins.
QString sheetName(const QString& name, QSet<QString>& used);

// "水" for a date.
QString weekdayName(QDate date);
// "2026年7月".
QString monthTitle(QDate month);

} // namespace velmora
