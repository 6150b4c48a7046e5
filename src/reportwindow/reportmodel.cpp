#include "reportwindow/reportmodel.h"

#include "saving/output.h"
#include "texts/texts.h"

#include <QBrush>
#include <QColor>

namespace velmora {

namespace {

const QStringList kSummary = QStringList{texts::kName} + texts::kTotalColumns
                             << texts::kRegularTotal << texts::kClosingColumn;
const QStringList kDays = texts::kDayColumns + texts::kDayFigureColumns << texts::kClosingColumn;
// 締め, red where the figures changed since the closing.
const int kSummaryClosing = 8, kDayClosing = 10;

} // namespace

void ReportModel::setReport(const MonthReport& report) {
    beginResetModel();
    report_ = report;
    teacher_ = -1;
    cells_ = QList<QStringList>(report_.teachers.size());
    endResetModel();
}

void ReportModel::showTeacher(int teacher) {
    beginResetModel();
    teacher_ = teacher >= 0 && teacher < report_.teachers.size() ? teacher : -1;
    cells_ = QList<QStringList>(rowCount());
    endResetModel();
}

const QStringList& ReportModel::cells(int row) const {
    QStringList& cells = cells_[row];
    if (cells.isEmpty()) {
        if (teacher_ >= 0) {
            cells = dayCells(report_.teachers[teacher_].days[row]);
        } else {
            const TeacherMonth& t = report_.teachers[row];
            cells = QStringList{t.name} + totalCells(t);
        }
    }
    return cells;
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
        // Red where the library flagged: the month's hours once over 45:00, and the flags; and
        // the days to correct, whose row stands out too, so that nobody has to open every
        // teacher to find a forgotten leaving.
        if (role == Qt::ForegroundRole)
            return (c == 6 && t.flags.toInt() != 0) || (c == 4 && t.flags.testFlag(Flag::Over45)) ||
                           (c == 2 && t.toCorrect > 0) ||
                           (c == kSummaryClosing && t.closing == ClosingState::Changed)
                       ? QVariant(QBrush(Qt::red))
                       : QVariant();
        if (role == Qt::BackgroundRole)
            return t.toCorrect > 0 ? QVariant(QBrush(QColor(0xff, 0xf0, 0xc8))) : QVariant();
        if (role == Qt::TextAlignmentRole)
            return c == 0 || c == 6 || c == kSummaryClosing
                       ? QVariant()
                       : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole) return {};
        return cells(index.row()).value(c);
    }
    const Day& d = report_.teachers[teacher_].days[index.row()];
    if (role == Qt::ForegroundRole)
        return (c == 6 && hasMark(d.notes)) || (c == kDayClosing && d.closedAs)
                   ? QVariant(QBrush(Qt::red))
                   : QVariant();
    if (role == Qt::BackgroundRole)
        return d.offDay ? QVariant(QBrush(QColor(0xe8, 0xe8, 0xe8))) : QVariant();
    if (role == Qt::TextAlignmentRole)
        return c >= 2 && c != 6 && c != kDayClosing ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                    : QVariant();
    if (role != Qt::DisplayRole) return {};
    return cells(index.row()).value(c);
}

} // namespace velmora
