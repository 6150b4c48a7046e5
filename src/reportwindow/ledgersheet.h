#pragma once
// The staff list or the school calendar as rows of text, the way the office edits them: every
// line of the file is a row, those the reader cannot use marked with the reason and written
// back as they were until the office edits or deletes them. A cell holds what was typed until
// the list is saved, when the rows are written and read back by the ledger's own reader: a
// row it would refuse is named, and nothing is written. The file is replaced only while it is
// still the one read.

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
    Kind kind() const { return kind_; }
    QString fileName() const;
    // The folder's file afresh, every line a row; the rows no longer modified. A file that
    // cannot be read leaves no rows, and unreadable() says why.
    void load(const QDir& folder);
    // No folder: no rows, nothing to save.
    void clear();
    const QString& unreadable() const { return unreadable_; }
    // Whether the file's size or time of change differ from those loaded.
    bool changedSince(const QDir& folder) const;
    // The file as it is now, then the rows added or edited here after it, still unsaved.
    void reloadKeepingEdits(const QDir& folder);
    // The lines in place of the rows, unsaved (a CSV taken in).
    void setImported(const QList<ListLine>& lines);
    // The same from bytes; the lines it cannot use are returned (and kept as rows).
    QList<LedgerProblem> import(const QByteArray& bytes, const QString& file);
    void appendRow();
    void removeRowAt(int row);
    bool modified() const { return modified_; }
    // Whether the row is a line the reader could not use, kept as it was.
    QString problemAt(int row) const { return rows_.value(row).problem; }

    // The whole file the rows make, or why a row cannot be written ("職員 3行目: …").
    std::optional<QString> fileBytes(QByteArray& bytes) const;
    struct Saving {
        enum Status { Saved, Refused, Changed } status;
        QString message; // why not
    };
    // The file replaced from the rows, or why not; Changed: another PC saved it since it was
    // read, and nothing was written.
    Saving save(const QDir& folder);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    void modifiedChanged(bool modified);

private:
    struct Row {
        QStringList cells;
        QByteArray bytes; // as read; empty for a row added here
        QString problem;  // why the reader skipped it
        bool edited = false;
    };
    void setRows(const QList<Row>& rows, bool modified);
    void setModified(bool modified);
    const QStringList& columns() const;

    Kind kind_;
    QList<Row> rows_;
    FileVersion version_;
    QString unreadable_;
    bool modified_ = false;
};

} // namespace velmora
