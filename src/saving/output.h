#pragma once
// The report's files: the days and the summary as CSV (UTF-8 with a BOM, RFC 4180, CR LF,
// as Excel opens them) and one XLSX workbook.

#include "report/report.h"

#include <QByteArray>
#include <QSet>
#include <QString>

namespace velmora {

// A day's cells under texts::kDayColumns, kDayFigureColumns and kClosingColumn, and a
// teacher's under texts::kTotalColumns, kRegularTotal and kClosingColumn, as every output
// shows them.
QStringList dayCells(const Day& day);
QStringList totalCells(const TeacherMonth& teacher);

// 締め: a teacher's state (empty while the month is open), a changed day's figures at closing
// beside today's.
QString closingCell(const TeacherMonth& teacher);
QString dayClosingCell(const Day& day);
// The marks beside the figures on a teacher's page and in the window: the state with when and
// by whom the month was closed, and the teacher's fingerprint (at closing → today's when
// changed); the month's state alone. Empty for a month never closed and without fingerprints.
QString teacherClosingText(const MonthReport& report, const TeacherMonth& teacher);
QString monthClosingText(const MonthReport& report);
// The rows as one CSV file, a BOM first.
QByteArray csvFile(const QList<QStringList>& rows);

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
