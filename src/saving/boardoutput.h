#pragma once
// The board's month as files: its cells, which every output shows alike, the two CSV files
// (by school, and the teachers to be told) and its XLSX with a sheet of each.

#include "board/board.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace velmora {

struct BoardCell {
    enum class Kind { Text, Count, Minutes } kind = Kind::Text;
    QString text{};
    qint64 value = 0;
};
using BoardRow = QList<BoardCell>;

QString cellText(const BoardCell& cell);

// Under texts::kBoardColumns: each school, the board's total, then the schools left out with
// their reason and no figures.
QList<BoardRow> schoolRows(const BoardReport& board);
// Under texts::kNoticeColumns.
QList<BoardRow> noticeRows(const BoardReport& board);

QByteArray boardCsv(const BoardReport& board);
QByteArray noticeCsv(const BoardReport& board);

// Writes the workbook at `path`. Throws Failure naming `shownPath`.
void writeBoardXlsx(const BoardReport& board, const QString& path, const QString& shownPath);

} // namespace velmora
