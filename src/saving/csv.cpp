#include "saving/output.h"

#include "texts/texts.h"

namespace velmora {
namespace {

// RFC 4180: a field holding a comma, a quote or a line end is quoted, quotes doubled. A field
// that Excel or LibreOffice would take for a formula gets an apostrophe first: names and
// notes come from the terminals, and a file handed on must not compute anything.
void addField(QByteArray& out, const QString& text, bool last) {
    QByteArray bytes = text.toUtf8();
    if (!bytes.isEmpty() && QByteArray("=+-@\t\r").contains(bytes[0])) bytes.prepend('\'');
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') ||
        bytes.contains('\n')) {
        bytes.replace("\"", "\"\"");
        bytes = '"' + bytes + '"';
    }
    out += bytes;
    out += last ? "\r\n" : ",";
}

void addRow(QByteArray& out, const QStringList& fields) {
    for (qsizetype i = 0; i < fields.size(); ++i) addField(out, fields[i], i + 1 == fields.size());
}

QByteArray withBom() { return QByteArray("\xEF\xBB\xBF"); }

} // namespace

QByteArray csvStart() { return withBom(); }
void addCsvRow(QByteArray& out, const QStringList& fields) { addRow(out, fields); }

QString weekdayName(QDate date) {
    static const char16_t* const names[] = {u"月", u"火", u"水", u"木", u"金", u"土", u"日"};
    return QString::fromUtf16(names[date.dayOfWeek() - 1]);
}

QString monthTitle(QDate month) { return texts::kMonthTitle.arg(month.year()).arg(month.month()); }

QStringList dayCells(const Day& d) {
    return {d.date.toString(Qt::ISODate),
            weekdayName(d.date),
            durationText(d.arrival),
            durationText(d.leaving),
            durationText(d.inSchool),
            durationText(d.beyond),
            dayNotesText(d),
            hoursText(d.regular),
            durationText(d.outside),
            durationText(d.takenOut),
            dayClosingCell(d)};
}

QStringList totalCells(const TeacherMonth& t) {
    return {QString::number(t.workedDays), QString::number(t.toCorrect),
            hoursText(t.inSchool),         hoursText(t.beyond),
            hoursText(t.yearBeyond),       flagsText(t.flags),
            hoursText(t.regular),          closingCell(t)};
}

QByteArray csvFile(const QList<QStringList>& rows) {
    QByteArray out = withBom();
    for (const QStringList& row : rows) addRow(out, row);
    return out;
}

QByteArray dailyCsv(const MonthReport& report) {
    QByteArray out = withBom();
    addRow(out, QStringList{texts::kName} + texts::kDayColumns + texts::kDayFigureColumns
                    << texts::kClosingColumn);
    for (const TeacherMonth& t : report.teachers)
        for (const Day& d : t.days) addRow(out, QStringList{t.name} + dayCells(d));
    return out;
}

QByteArray summaryCsv(const MonthReport& report) {
    QByteArray out = withBom();
    addRow(out, QStringList{texts::kName} + texts::kTotalColumns << texts::kRegularTotal
                                                                 << texts::kClosingColumn);
    for (const TeacherMonth& t : report.teachers) addRow(out, QStringList{t.name} + totalCells(t));
    return out;
}

} // namespace velmora
