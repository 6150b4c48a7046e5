#pragma once
// The staff list or the school calendar as rows of text, the way the office edits them: a
// cell holds what was typed until the list is saved, when every row must read as a line
// (the first row that does not is named, and nothing is written).

#include "ledger/ledger.h"

#include <QAbstractTableModel>
#include <QDir>
#include <QStringList>
#include <optional>

namespace velmora {

class LedgerSheet : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class Kind { Staff, Calendar };
    explicit LedgerSheet(Kind kind, QObject* parent = nullptr);

    QString title() const; // 職員, 年間予定
    QString fileName() const;
    // The lines as read; the rows are no longer modified.
    void setLines(const Ledger& ledger);
    // The file's lines in place of the rows, unsaved; the lines it skipped are returned.
    QList<LedgerProblem> import(const QByteArray& bytes, const QString& file);
    void appendRow();
    void removeRowAt(int row);
    bool modified() const { return modified_; }

    // The rows as lines, or why a row cannot be one ("職員 3行目: …").
    std::optional<QString> staffLines(QList<StaffLine>& lines) const;
    std::optional<QString> calendarLines(QList<CalendarLine>& lines) const;
    // The whole file written into `folder` from the rows, or the fault that kept it from
    // being written. Throws Failure from the writing.
    std::optional<QString> save(const QDir& folder);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void setRows(const QList<QStringList>& rows);
    const QStringList& columns() const;
    // "職員 3行目: 月「7:4x」は…": the message `text` about a cell.
    QString cellFault(const QString& text, int row, int column) const;

    Kind kind_;
    QList<QStringList> rows_;
    bool modified_ = false;
};

} // namespace velmora
