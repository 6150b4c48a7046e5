#pragma once
// The window's 教育委員会: a board's folder of schools as rows under the board's columns, read in
// the background as the window reads its month; a row's school to be opened as the window's files.

#include "board/board.h"
#include "saving/boardoutput.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QFutureWatcher>
#include <QStringList>

namespace velmora {

// The 表示 item's data, telling 教育委員会 apart from a teacher of that name.
inline const QString kBoardItem = QStringLiteral("board");

class BoardView : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BoardView(QObject* parent = nullptr);
    ~BoardView() override;

    // True when `folder` holds no record file and some of its sub-folders do: they are then
    // the schools shown.
    bool offer(const QString& folder);
    bool hasSchools() const { return !folders_.isEmpty(); }
    // The schools' month, read anew; a reading under way is read again once it ends.
    void read(QDate month);
    // The school folder of a row; empty for the board's total and a school left out.
    QString folderAt(int row) const;
    // The board's line for the window's status: its schools and teachers.
    QString line() const { return line_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    void shown();

private:
    void start();
    void done();

    QStringList folders_;
    QDate month_;
    bool again_ = false;
    BoardReport board_;
    QList<BoardRow> rows_;
    QString line_;
    QFutureWatcher<BoardReport> reading_;
};

} // namespace velmora
