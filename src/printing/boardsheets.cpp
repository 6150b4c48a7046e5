#include "printing/boardsheets.h"

#include "printing/sheets.h"
#include "report/closing.h"
#include "saving/boardoutput.h"
#include "saving/output.h"
#include "saving/saving.h"
#include "texts/texts.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <utility>

namespace velmora {

namespace {

// The page in tenths of a millimetre: A4 less 12 mm margins, as the school's sheets.
constexpr int kWidth = 1860;
constexpr int kHeight = 2730;
constexpr int kRow = 52;
constexpr int kNameWidth = 420;
const QColor kBandColours[kBands] = {QColor(0xb8, 0xd0, 0xe8), QColor(0xf0, 0xd0, 0x70),
                                     QColor(0xe8, 0x8a, 0x50), QColor(0xc0, 0x10, 0x10)};

QFont font(int size, bool bold = false) {
    QFont f;
    f.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("MS Gothic")});
    f.setPixelSize(size);
    f.setBold(bold);
    return f;
}

void text(QPainter& p, const QRect& box, int flags, const QString& t) {
    p.drawText(box, flags | Qt::TextSingleLine,
               p.fontMetrics().elidedText(t, Qt::ElideRight, box.width()));
}

// Each band's colour and name, on one line at `y`.
void legend(QPainter& p, int y) {
    p.setFont(font(30));
    int x = 0;
    for (int b = 0; b < kBands; ++b) {
        p.fillRect(x, y + 10, 40, 32, kBandColours[b]);
        const int wide = p.fontMetrics().horizontalAdvance(texts::kBands[b]) + 30;
        p.setPen(Qt::black);
        p.drawText(QRect(x + 50, y, wide, kRow), Qt::AlignVCenter, texts::kBands[b]);
        x += 50 + wide;
    }
}

// One school's teachers as one bar, a band a segment, its count written inside.
void bar(QPainter& p, int y, const SchoolRow& row, double perTeacher) {
    p.setPen(Qt::black);
    // The state keeps its room; a long school name gives way.
    int nameRight = kNameWidth - 20;
    if (row.closing) {
        p.setFont(font(22));
        const QString state = closingStateText(*row.closing);
        const int wide = p.fontMetrics().horizontalAdvance(state);
        text(p, QRect(nameRight - wide, y, wide, kRow), Qt::AlignVCenter, state);
        nameRight -= wide + 10;
    }
    p.setFont(font(30, !row.closing));
    text(p, QRect(0, y, nameRight, kRow), Qt::AlignVCenter | Qt::AlignRight, row.name);
    double x = kNameWidth;
    for (int b = 0; b < kBands; ++b) {
        const double wide = row.bands[b] * perTeacher;
        const QRectF segment(x, y + 6, wide, kRow - 12);
        p.fillRect(segment, kBandColours[b]);
        p.setPen(b == kBands - 1 ? Qt::white : Qt::black);
        if (row.bands[b] > 0 && wide >= 30)
            p.drawText(segment, Qt::AlignCenter, QString::number(row.bands[b]));
        x += wide;
    }
}

// The bars over as many pages as the schools need, on one scale; then the schools left out.
void barPages(QPainter& p, QPagedPaintDevice& device, const BoardReport& board) {
    const QList<SchoolRow> rows = board.rows;
    int most = 1;
    for (const SchoolRow& r : rows) most = std::max(most, r.teachers);
    const double perTeacher = double(kWidth - kNameWidth - 20) / most;
    int y = kHeight;
    bool first = true;
    const auto room = [&](int needed) {
        if (y + needed <= kHeight) return;
        if (!std::exchange(first, false)) device.newPage();
        p.setFont(font(40, true));
        p.setPen(Qt::black);
        p.drawText(QRect(0, 0, kWidth, 70), Qt::AlignLeft,
                   texts::kBoardHeading.arg(monthTitle(board.month)));
        legend(p, 80);
        y = 160;
    };
    for (const SchoolRow& r : rows) {
        room(kRow);
        bar(p, y, r, perTeacher);
        y += kRow;
    }
    // The board's own bar on the scale of its largest school would not fit: its shares instead.
    room(2 * kRow);
    y += kRow / 2;
    bar(p, y, board.total, double(kWidth - kNameWidth - 20) / std::max(1, board.total.teachers));
    y += kRow;
    p.setFont(font(30));
    p.setPen(Qt::black);
    for (const LeftOut& l : board.leftOut) {
        room(kRow);
        text(p, QRect(0, y, kWidth, kRow), Qt::AlignVCenter,
             texts::kSchoolLeftOut.arg(l.folder, l.reason));
        y += kRow;
    }
}

// The teachers to be told as a table, its heading on every page.
void noticePages(QPainter& p, QPagedPaintDevice& device, const BoardReport& board) {
    static const int widths[] = {300, 280, 170, 150, 200, 760};
    const QList<BoardRow> rows = noticeRows(board);
    int y = kHeight;
    const auto header = [&] {
        device.newPage();
        p.setPen(Qt::black);
        p.setFont(font(36, true));
        text(p, QRect(0, 0, kWidth, 70), Qt::AlignLeft,
             texts::kNoticeHeading.arg(monthTitle(board.month)));
        y = 90;
        p.setFont(font(28, true));
        int x = 0;
        for (int c = 0; c < 6; ++c) {
            text(p, QRect(x + 6, y, widths[c] - 12, kRow), Qt::AlignVCenter,
                 texts::kNoticeColumns[c]);
            x += widths[c];
        }
        y += kRow;
        p.setFont(font(28));
    };
    header();
    if (rows.isEmpty()) text(p, QRect(0, y, kWidth, kRow), Qt::AlignVCenter, texts::kNoNotice);
    for (const BoardRow& row : rows) {
        if (y + kRow > kHeight) header();
        int x = 0;
        p.setPen(QPen(Qt::gray, 2));
        p.drawLine(0, y, kWidth, y);
        p.setPen(Qt::black);
        for (int c = 0; c < 6; ++c) {
            const bool figure = row[c].kind != BoardCell::Kind::Text;
            text(p, QRect(x + 6, y, widths[c] - 12, kRow),
                 Qt::AlignVCenter | (figure ? Qt::AlignRight : Qt::AlignLeft), cellText(row[c]));
            x += widths[c];
        }
        y += kRow;
    }
}

} // namespace

QByteArray boardPdfBytes(const BoardReport& board) {
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&bytes);
        writer.setTitle(boardBaseName(board.month));
        writer.setCreator(QStringLiteral("velmora-report"));
        writer.setResolution(600);
        writer.setPageLayout(sheetLayout());
        QPainter p(&writer);
        const QRect paint = writer.pageLayout().paintRectPixels(writer.logicalDpiX());
        const double scale =
            std::min(double(paint.width()) / kWidth, double(paint.height()) / kHeight);
        p.scale(scale, scale);
        p.setRenderHint(QPainter::Antialiasing);
        barPages(p, writer, board);
        noticePages(p, writer, board);
    }
    return bytes.data();
}

} // namespace velmora
