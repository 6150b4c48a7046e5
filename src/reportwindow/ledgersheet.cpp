#include "reportwindow/ledgersheet.h"

#include "ledger/csv.h"
#include "storage/datafiles.h"
#include "texts/texts.h"

#include <QBrush>
#include <QColor>

namespace velmora {

LedgerSheet::LedgerSheet(Kind kind, QObject* parent) : QAbstractTableModel(parent), kind_(kind) {}

QString LedgerSheet::title() const {
    return kind_ == Kind::Staff ? texts::kStaffTab : texts::kCalendarTab;
}

QString LedgerSheet::fileName() const { return kind_ == Kind::Staff ? kStaffFile : kCalendarFile; }

const QStringList& LedgerSheet::columns() const {
    return kind_ == Kind::Staff ? texts::kStaffColumns : texts::kCalendarColumns;
}

void LedgerSheet::setModified(bool modified) {
    if (modified == modified_) return;
    modified_ = modified;
    emit modifiedChanged(modified);
}

void LedgerSheet::setRows(const QList<Row>& rows, bool modified) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
    setModified(modified);
}

void LedgerSheet::load(const QDir& folder) {
    const ListFile file = readListFile(folder, fileName());
    version_ = file.version;
    unreadable_ = file.unreadable;
    QList<Row> rows;
    rows.reserve(file.lines.size());
    for (const ListLine& line : file.lines) rows.append({line.fields, line.bytes, line.problem});
    setRows(rows, false);
}

void LedgerSheet::clear() {
    version_ = {};
    unreadable_.clear();
    setRows({}, false);
}

bool LedgerSheet::changedSince(const QDir& folder) const {
    try {
        const std::optional<FileStamp> now = DataFolder(folder).stamp(fileName());
        if (!now) return version_.exists;
        return !version_.exists || now->size != version_.size || now->modified != version_.modified;
    } catch (const Failure&) {
        return unreadable_.isEmpty();
    }
}

void LedgerSheet::reloadKeepingEdits(const QDir& folder) {
    QList<Row> aside;
    for (const Row& row : rows_)
        if (row.edited) aside << row;
    load(folder);
    if (aside.isEmpty() || !unreadable_.isEmpty()) return;
    beginInsertRows({}, int(rows_.size()), int(rows_.size() + aside.size() - 1));
    rows_ << aside;
    endInsertRows();
    setModified(true);
}

void LedgerSheet::setImported(const QList<ListLine>& lines) {
    QList<Row> rows;
    rows.reserve(lines.size());
    for (const ListLine& line : lines) rows.append({line.fields, line.bytes, line.problem});
    setRows(rows, true);
}

QList<LedgerProblem> LedgerSheet::import(const QByteArray& bytes, const QString& file) {
    const QList<ListLine> lines = listLines(bytes, fileName());
    setImported(lines);
    QList<LedgerProblem> problems;
    for (const ListLine& line : lines)
        if (!line.problem.isEmpty()) problems.append({file, line.number, line.problem});
    return problems;
}

void LedgerSheet::appendRow() {
    beginInsertRows({}, int(rows_.size()), int(rows_.size()));
    Row row;
    for (qsizetype i = 0; i < columns().size(); ++i) row.cells << QString();
    row.edited = true;
    rows_ << row;
    endInsertRows();
    setModified(true);
}

void LedgerSheet::removeRowAt(int row) {
    if (row < 0 || row >= rows_.size()) return;
    beginRemoveRows({}, row, row);
    rows_.removeAt(row);
    endRemoveRows();
    setModified(true);
}

// Written, then read back by the ledger's reader: a row is saved only as it will be read.
std::optional<QString> LedgerSheet::fileBytes(QByteArray& bytes) const {
    bytes = listHeader(fileName());
    const auto refused = [&](qsizetype row, const QString& why) {
        return texts::kRowRefused.arg(title()).arg(row + 1).arg(why);
    };
    for (qsizetype r = 0; r < rows_.size(); ++r) {
        const Row& row = rows_[r];
        if (!row.edited && !row.bytes.isEmpty()) {
            bytes += row.bytes + "\r\n";
            continue;
        }
        QStringList cells;
        for (qsizetype c = 0; c < row.cells.size(); ++c) {
            cells << row.cells[c].trimmed();
            if (!ledger::writable(cells.last()) || ledger::hasControl(cells.last()))
                return refused(r, texts::kLedgerUnwritable.arg(columns()[c], cells.last()));
        }
        bytes += *ledger::quotedCp932(cells);
    }
    // Line 1 is the header; row r is line r + 2.
    for (const ListLine& line : listLines(bytes, fileName())) {
        const Row& row = rows_[line.number - 2];
        if (!line.problem.isEmpty() && (row.edited || row.problem.isEmpty()))
            return refused(line.number - 2, line.problem);
    }
    return std::nullopt;
}

LedgerSheet::Saving LedgerSheet::save(const QDir& folder) {
    if (!unreadable_.isEmpty()) return {Saving::Refused, texts::kListUnreadable.arg(unreadable_)};
    QByteArray bytes;
    if (std::optional<QString> fault = fileBytes(bytes)) return {Saving::Refused, *fault};
    try {
        replaceListFile(folder, fileName(), bytes, version_);
    } catch (const ChangedFile&) {
        return {Saving::Changed, texts::kListChanged.arg(fileName())};
    } catch (const Failure& failure) {
        return {Saving::Refused, failure.message()};
    }
    load(folder);
    return {Saving::Saved, {}};
}

int LedgerSheet::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

// The list's columns, then why a line could not be used.
int LedgerSheet::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns().size()) + 1;
}

QVariant LedgerSheet::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const Row& row = rows_[index.row()];
    const bool problemColumn = index.column() == columns().size();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return problemColumn ? row.problem : row.cells.value(index.column());
    case Qt::ToolTipRole:
        return row.problem.isEmpty() ? QVariant() : texts::kRowKept.arg(row.problem);
    case Qt::BackgroundRole:
        return row.problem.isEmpty() ? QVariant() : QBrush(QColor(255, 224, 224));
    default:
        return {};
    }
}

bool LedgerSheet::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || index.column() >= columns().size())
        return false;
    Row& row = rows_[index.row()];
    QString& cell = row.cells[index.column()];
    if (cell == value.toString()) return true;
    cell = value.toString();
    // Edited, the line is the office's anew: written from its cells and read back.
    row.edited = true;
    row.problem.clear();
    setModified(true);
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columns().size()));
    return true;
}

Qt::ItemFlags LedgerSheet::flags(const QModelIndex& index) const {
    const Qt::ItemFlags base = QAbstractTableModel::flags(index);
    return index.column() < columns().size() ? base | Qt::ItemIsEditable : base;
}

QVariant LedgerSheet::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return section < columns().size() ? columns()[section] : texts::kProblemColumn;
}

} // namespace velmora
