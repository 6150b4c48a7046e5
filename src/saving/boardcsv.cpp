#include "saving/boardoutput.h"

#include "report/closing.h"
#include "saving/output.h"
#include "texts/texts.h"

namespace velmora {

namespace {

BoardCell text(const QString& t) { return {BoardCell::Kind::Text, t, 0}; }
BoardCell count(qint64 n) { return {BoardCell::Kind::Count, {}, n}; }
BoardCell minutes(qint64 m) { return {BoardCell::Kind::Minutes, {}, m}; }

BoardRow schoolRow(const SchoolRow& r) {
    BoardRow row{text(r.name), count(r.teachers), count(r.toCorrect)};
    for (const Spread& s : {r.inSchool, r.beyond})
        row << minutes(s.total) << minutes(s.mean) << minutes(s.median) << minutes(s.largest);
    for (int n : r.bands) row << count(n);
    row << count(r.over360) << count(r.over720);
    return row << text(r.closing ? closingStateText(*r.closing) : QString()) << text({});
}

QByteArray csvOf(const QStringList& header, const QList<BoardRow>& rows) {
    QList<QStringList> lines{header};
    for (const BoardRow& row : rows) {
        QStringList cells;
        for (const BoardCell& cell : row) cells << cellText(cell);
        lines << cells;
    }
    return csvFile(lines);
}

} // namespace

QString cellText(const BoardCell& cell) {
    switch (cell.kind) {
    case BoardCell::Kind::Count:
        return QString::number(cell.value);
    case BoardCell::Kind::Minutes:
        return hoursText(int(cell.value));
    case BoardCell::Kind::Text:
        break;
    }
    return cell.text;
}

QList<BoardRow> schoolRows(const BoardReport& board) {
    QList<BoardRow> rows;
    for (const SchoolRow& r : board.rows) rows << schoolRow(r);
    rows << schoolRow(board.total);
    for (const LeftOut& l : board.leftOut) {
        BoardRow row{text(l.folder)};
        while (row.size() + 1 < texts::kBoardColumns.size()) row << text({});
        rows << (row << text(l.reason));
    }
    return rows;
}

QList<BoardRow> noticeRows(const BoardReport& board) {
    QList<BoardRow> rows;
    for (const Notice& n : board.notices)
        rows << BoardRow{text(n.school),
                         text(n.teacher.name),
                         minutes(n.teacher.inSchool),
                         minutes(n.teacher.beyond),
                         minutes(n.teacher.yearBeyond),
                         text(flagsText(n.limits)),
                         text(flagsText(n.teacher.flags))};
    return rows;
}

QByteArray boardCsv(const BoardReport& board) {
    return csvOf(texts::kBoardColumns, schoolRows(board));
}

QByteArray noticeCsv(const BoardReport& board) {
    return csvOf(texts::kNoticeColumns, noticeRows(board));
}

} // namespace velmora
