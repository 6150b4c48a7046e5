#include "report/output.h"

namespace velmora {
namespace {

// RFC 4180: a field holding a comma, a quote or a line end is quoted, quotes doubled.
void addField(QByteArray& out, const QString& text, bool last) {
    QByteArray bytes = text.toUtf8();
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

QString timeOrEmpty(int minutes) { return minutes < 0 ? QString() : hoursText(minutes); }

QByteArray withBom() { return QByteArray("\xEF\xBB\xBF"); }

} // namespace

QString reportBaseName(QDate month) {
    return QStringLiteral("在校等時間_") + month.toString(QStringLiteral("yyyy-MM"));
}

QString weekdayName(QDate date) {
    static const char16_t* const names[] = {u"月", u"火", u"水", u"木", u"金", u"土", u"日"};
    return QString::fromUtf16(names[date.dayOfWeek() - 1]);
}

QByteArray dailyCsv(const MonthReport& report) {
    QByteArray out = withBom();
    addRow(out, {QStringLiteral("氏名"), QStringLiteral("日付"), QStringLiteral("曜日"),
                 QStringLiteral("出"), QStringLiteral("退"), QStringLiteral("在校等時間"),
                 QStringLiteral("時間外"), QStringLiteral("備考")});
    for (const TeacherMonth& t : report.teachers) {
        for (const Day& d : t.days) {
            addRow(out, {t.name, d.date.toString(Qt::ISODate), weekdayName(d.date),
                         timeOrEmpty(d.arrival), timeOrEmpty(d.leaving), timeOrEmpty(d.inSchool),
                         timeOrEmpty(d.beyond), d.notes.join(u'・')});
        }
    }
    return out;
}

QByteArray summaryCsv(const MonthReport& report) {
    QByteArray out = withBom();
    addRow(out, {QStringLiteral("氏名"), QStringLiteral("出勤日数"),
                 QStringLiteral("在校等時間合計"), QStringLiteral("時間外合計"),
                 QStringLiteral("年度累計時間外"), QStringLiteral("判定")});
    for (const TeacherMonth& t : report.teachers) {
        addRow(out, {t.name, QString::number(t.workedDays), hoursText(t.inSchool),
                     hoursText(t.beyond), hoursText(t.yearBeyond), t.flags.join(u'・')});
    }
    return out;
}

} // namespace velmora
