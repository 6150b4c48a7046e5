#include "reportwindow/ledgersheet.h"

#include "ledger/csv.h"
#include "texts/texts.h"

namespace velmora {

namespace {

// Cells as the files hold them: the window saves only what the files read back the same.
std::optional<int> minutesOf(const QString& text) { return ledger::parseTime(text); }
QDate dateOf(const QString& text) { return ledger::parseDate(text).value_or(QDate()); }
using ledger::dateText;
using ledger::timeText;

// The rows a file's lines become.
QList<QStringList> staffRows(const QList<StaffLine>& staff) {
    QList<QStringList> rows;
    for (const StaffLine& s : staff) {
        QStringList row{s.name};
        for (int m : s.weekday) row << timeText(m);
        rows << row + QStringList{dateText(s.from), dateText(s.to)};
    }
    return rows;
}

QList<QStringList> calendarRows(const QList<CalendarLine>& calendar) {
    QList<QStringList> rows;
    for (const CalendarLine& c : calendar)
        rows << QStringList{dateText(c.date), timeText(c.minutes), c.title};
    return rows;
}

} // namespace

LedgerSheet::LedgerSheet(Kind kind, QObject* parent) : QAbstractTableModel(parent), kind_(kind) {}

QString LedgerSheet::title() const {
    return kind_ == Kind::Staff ? texts::kStaffTab : texts::kCalendarTab;
}

QString LedgerSheet::fileName() const { return kind_ == Kind::Staff ? kStaffFile : kCalendarFile; }

const QStringList& LedgerSheet::columns() const {
    return kind_ == Kind::Staff ? texts::kStaffColumns : texts::kCalendarColumns;
}

void LedgerSheet::setRows(const QList<QStringList>& rows) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

void LedgerSheet::setLines(const Ledger& ledger) {
    setRows(kind_ == Kind::Staff ? staffRows(ledger.staff) : calendarRows(ledger.calendar));
    modified_ = false;
}

QList<LedgerProblem> LedgerSheet::import(const QByteArray& bytes, const QString& file) {
    QList<LedgerProblem> problems;
    setRows(kind_ == Kind::Staff ? staffRows(parseStaff(bytes, file, problems))
                                 : calendarRows(parseCalendar(bytes, file, problems)));
    modified_ = true;
    return problems;
}

void LedgerSheet::appendRow() {
    beginInsertRows({}, int(rows_.size()), int(rows_.size()));
    QStringList row;
    for (qsizetype i = 0; i < columns().size(); ++i) row << QString();
    rows_ << row;
    endInsertRows();
    modified_ = true;
}

void LedgerSheet::removeRowAt(int row) {
    if (row < 0 || row >= rows_.size()) return;
    beginRemoveRows({}, row, row);
    rows_.removeAt(row);
    endRemoveRows();
    modified_ = true;
}

std::optional<QString> LedgerSheet::staffLines(QList<StaffLine>& lines) const {
    lines.clear();
    for (int r = 0; r < rows_.size(); ++r) {
        const QStringList& row = rows_[r];
        const auto fault = [&](const QString& text, int c) { return cellFault(text, r, c); };
        StaffLine line;
        line.name = row[0].trimmed();
        if (line.name.isEmpty()) return fault(texts::kEmptyCell, 0);
        for (int d = 0; d < 5; ++d) {
            const QString cell = row[1 + d].trimmed();
            if (cell.isEmpty()) continue;
            const std::optional<int> m = minutesOf(cell);
            if (!m) return fault(texts::kBadTimeCell, 1 + d);
            line.weekday[d] = *m;
        }
        for (int c : {6, 7}) {
            const QString cell = row[c].trimmed();
            const QDate date = dateOf(cell);
            if (!cell.isEmpty() && !date.isValid()) return fault(texts::kBadDateCell, c);
            (c == 6 ? line.from : line.to) = date;
        }
        if (line.from.isValid() && line.to.isValid() && line.from > line.to)
            return texts::kDatesReversed.arg(title()).arg(r + 1);
        lines << line;
    }
    return std::nullopt;
}

std::optional<QString> LedgerSheet::calendarLines(QList<CalendarLine>& lines) const {
    lines.clear();
    for (int r = 0; r < rows_.size(); ++r) {
        const QStringList& row = rows_[r];
        const auto fault = [&](const QString& text, int c) { return cellFault(text, r, c); };
        CalendarLine line;
        line.date = dateOf(row[0].trimmed());
        if (row[0].trimmed().isEmpty()) return fault(texts::kEmptyCell, 0);
        if (!line.date.isValid()) return fault(texts::kBadDateCell, 0);
        if (row[1].trimmed().isEmpty()) return fault(texts::kEmptyCell, 1);
        const std::optional<int> m = minutesOf(row[1].trimmed());
        if (!m) return fault(texts::kBadTimeCell, 1);
        line.minutes = *m;
        line.title = row[2].trimmed();
        lines << line;
    }
    return std::nullopt;
}

std::optional<QString> LedgerSheet::save(const QDir& folder) {
    if (kind_ == Kind::Staff) {
        QList<StaffLine> lines;
        if (auto fault = staffLines(lines)) return fault;
        writeStaff(folder, lines);
    } else {
        QList<CalendarLine> lines;
        if (auto fault = calendarLines(lines)) return fault;
        writeCalendar(folder, lines);
    }
    modified_ = false;
    return std::nullopt;
}

QString LedgerSheet::cellFault(const QString& text, int row, int column) const {
    const QString named = text.arg(title()).arg(row + 1).arg(columns()[column]);
    return named.contains(QStringLiteral("%4")) ? named.arg(rows_[row][column].trimmed()) : named;
}

int LedgerSheet::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int LedgerSheet::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns().size());
}

QVariant LedgerSheet::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return rows_[index.row()].value(index.column());
}

bool LedgerSheet::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    QString& cell = rows_[index.row()][index.column()];
    if (cell == value.toString()) return true;
    cell = value.toString();
    modified_ = true;
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags LedgerSheet::flags(const QModelIndex& index) const {
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

QVariant LedgerSheet::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    return orientation == Qt::Horizontal ? QVariant(columns().value(section))
                                         : QVariant(section + 1);
}

} // namespace velmora
