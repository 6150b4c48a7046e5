#include "reportwindow/reportmodel.h"

#include "report/output.h"

#include <QBrush>
#include <QColor>

namespace velmora {

namespace {

const QStringList kSummary = {QStringLiteral("氏名"),           QStringLiteral("出勤日数"),
                              QStringLiteral("在校等時間合計"), QStringLiteral("時間外合計"),
                              QStringLiteral("年度累計時間外"), QStringLiteral("判定")};
const QStringList kDays = {QStringLiteral("日付"),       QStringLiteral("曜日"),
                           QStringLiteral("出"),         QStringLiteral("退"),
                           QStringLiteral("在校等時間"), QStringLiteral("時間外"),
                           QStringLiteral("備考")};

QString duration(int minutes) { return minutes < 0 ? QString() : hoursText(minutes); }

bool hasMark(const Day& d) {
    for (const QString& n : d.notes)
        if (n != QStringLiteral("祝日") && n != QStringLiteral("休業日")) return true;
    return false;
}

} // namespace

void ReportModel::setReport(const MonthReport& report) {
    beginResetModel();
    report_ = report;
    teacher_ = -1;
    endResetModel();
}

void ReportModel::showTeacher(int teacher) {
    beginResetModel();
    teacher_ = teacher >= 0 && teacher < report_.teachers.size() ? teacher : -1;
    endResetModel();
}

int ReportModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return int(teacher_ < 0 ? report_.teachers.size() : report_.teachers[teacher_].days.size());
}

int ReportModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(teacher_ < 0 ? kSummary.size() : kDays.size());
}

QVariant ReportModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return (teacher_ < 0 ? kSummary : kDays).value(section);
}

QVariant ReportModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int c = index.column();
    if (teacher_ < 0) {
        const TeacherMonth& t = report_.teachers[index.row()];
        if (role == Qt::ForegroundRole)
            return (c == 5 && !t.flags.isEmpty()) || (c == 3 && t.beyond > 45 * 60)
                       ? QVariant(QBrush(Qt::red))
                       : QVariant();
        if (role == Qt::TextAlignmentRole)
            return c == 0 || c == 5 ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole) return {};
        const QStringList cells = {t.name,
                                   QString::number(t.workedDays),
                                   hoursText(t.inSchool),
                                   hoursText(t.beyond),
                                   hoursText(t.yearBeyond),
                                   t.flags.join(u'・')};
        return cells.value(c);
    }
    const Day& d = report_.teachers[teacher_].days[index.row()];
    if (role == Qt::ForegroundRole)
        return c == 6 && hasMark(d) ? QVariant(QBrush(Qt::red)) : QVariant();
    if (role == Qt::BackgroundRole)
        return d.offDay ? QVariant(QBrush(QColor(0xe8, 0xe8, 0xe8))) : QVariant();
    if (role == Qt::TextAlignmentRole)
        return c >= 2 && c <= 5 ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    if (role != Qt::DisplayRole) return {};
    const QStringList cells = {d.date.toString(QStringLiteral("yyyy-MM-dd")),
                               weekdayName(d.date),
                               duration(d.arrival),
                               duration(d.leaving),
                               duration(d.inSchool),
                               duration(d.beyond),
                               d.notes.join(u' ')};
    return cells.value(c);
}

} // namespace velmora
