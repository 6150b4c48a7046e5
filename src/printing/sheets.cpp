#include "printing/sheets.h"

#include "report/closing.h"
#include "saving/output.h"
#include "saving/saving.h"
#include "texts/texts.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

namespace velmora {

namespace {

// The page in tenths of a millimetre: A4 less 12 mm margins.
constexpr int kWidth = 1860;
constexpr int kHeight = 2730;
constexpr int kRow = 52;
const QColor kRed(0xc0, 0x10, 0x10);
const QColor kFlagFill(0xfb, 0xe0, 0xe0);
const QColor kOffFill(0xe8, 0xe8, 0xe8);
const QColor kBar(0x4a, 0x6f, 0xa5);

QFont font(int size, bool bold = false) {
    QFont f;
    f.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("MS Gothic")}); // MS: Windows'
    f.setPixelSize(size);
    f.setBold(bold);
    return f;
}

// Draws `text` in `box`, in smaller type than the painter's when it would not fit.
void fitText(QPainter& p, const QRect& box, int flags, const QString& text) {
    const QFont normal = p.font();
    const int wide = p.fontMetrics().horizontalAdvance(text);
    if (wide > box.width())
        p.setFont(font(std::max(8, normal.pixelSize() * box.width() / wide), normal.bold()));
    p.drawText(box, flags, text);
    p.setFont(normal);
}

struct Column {
    QString title;
    int width;
    Qt::Alignment align;
};

// One row of cells from x = 0; a red `text` colour for the flagged cells.
void row(QPainter& p, int y, const QList<Column>& columns, const QStringList& cells,
         const QList<bool>& red = {}) {
    int x = 0;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const QRect cell(x, y, columns[i].width, kRow);
        p.setPen(QPen(Qt::gray, 2));
        p.drawRect(cell);
        p.setPen(red.value(i) ? kRed : Qt::black);
        // A long list of flags goes over two lines, in smaller type, rather than being cut.
        const QRect inner = cell.adjusted(10, 0, -10, 0);
        QString text = cells.value(i);
        const QFont normal = p.font();
        int wide = p.fontMetrics().horizontalAdvance(text);
        if (wide > inner.width()) {
            const qsizetype middle = text.indexOf(u'・', text.size() / 2 - 2);
            if (middle > 0) {
                text.insert(middle + 1, u'\n');
                wide = 0;
                for (const QString& line : text.split(u'\n'))
                    wide = std::max(wide, p.fontMetrics().horizontalAdvance(line));
            }
            const int fits = normal.pixelSize() * inner.width() / wide;
            p.setFont(font(std::min(middle > 0 ? 21 : fits, fits), normal.bold()));
        }
        p.drawText(inner, int(columns[i].align | Qt::AlignVCenter), text);
        p.setFont(normal);
        x += columns[i].width;
    }
}

void header(QPainter& p, int y, const QList<Column>& columns) {
    int x = 0;
    p.setFont(font(30, true));
    for (const Column& c : columns) {
        p.fillRect(x, y, c.width, kRow, QColor(0xdd, 0xe4, 0xee));
        p.setPen(QPen(Qt::gray, 2));
        p.drawRect(x, y, c.width, kRow);
        p.setPen(Qt::black);
        fitText(p, QRect(x + 4, y, c.width - 8, kRow), Qt::AlignCenter, c.title);
        x += c.width;
    }
    p.setFont(font(30));
}

struct Bar {
    QString label;
    int minutes;
    bool red;
};

// Horizontal bars of `bar` height on a scale of `hours`, with a labelled line at each of
// `marks` (in hours), from `top`.
void barChart(QPainter& p, int top, int bar, int hours, const QList<Bar>& bars,
              const QList<int>& marks) {
    const int labelWidth = 360;
    top += 50;
    const double perHour = double(kWidth - labelWidth - 130) / hours; // room for the value
    const int left = labelWidth;
    p.setFont(font(std::min(26, bar * 2 / 3)));
    for (qsizetype i = 0; i < bars.size(); ++i) {
        const int y = top + int(i) * bar;
        p.setPen(Qt::black);
        fitText(p, QRect(0, y, labelWidth - 16, bar), Qt::AlignRight | Qt::AlignVCenter,
                bars[i].label);
        const int w = int(bars[i].minutes / 60.0 * perHour);
        p.fillRect(left, y + bar / 6, w, bar * 2 / 3, bars[i].red ? kRed : kBar);
        p.drawText(QRect(left + w + 8, y, 200, bar), Qt::AlignLeft | Qt::AlignVCenter,
                   hoursText(bars[i].minutes));
    }
    const int bottom = top + int(bars.size()) * bar;
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(left, top - 10, left, bottom);
    for (int h = 0; h <= hours; h += 20) {
        const int x = left + int(h * perHour);
        p.drawText(QRect(x - 60, bottom + 4, 120, 34), Qt::AlignCenter, QString::number(h));
    }
    for (int mark : marks) {
        const int x = left + int(mark * perHour);
        p.setPen(QPen(kRed, 3, Qt::DashLine));
        p.drawLine(x, top - 10, x, bottom);
        p.setPen(kRed);
        p.drawText(QRect(x - 100, top - 48, 200, 36), Qt::AlignCenter, texts::kHoursMark.arg(mark));
    }
}

void title(QPainter& p, const QString& text, const QString& right) {
    p.setPen(Qt::black);
    p.setFont(font(28));
    const int rightWidth = p.fontMetrics().horizontalAdvance(right) + 40;
    p.drawText(QRect(0, 0, kWidth, 80), Qt::AlignRight | Qt::AlignBottom, right);
    p.setFont(font(56, true));
    fitText(p, QRect(0, 0, kWidth - rightWidth, 80), Qt::AlignLeft | Qt::AlignVCenter, text);
}

void summaryPages(QPainter& p, QPagedPaintDevice& device, const MonthReport& report) {
    const QStringList& names = texts::kTotalColumns;
    const QList<Column> columns = {
        {texts::kName, 330, Qt::AlignLeft}, {names[0], 140, Qt::AlignRight},
        {names[1], 110, Qt::AlignRight},    {names[2], 210, Qt::AlignRight},
        {names[3], 180, Qt::AlignRight},    {names[4], 210, Qt::AlignRight},
        {names[5], 520, Qt::AlignLeft},     {texts::kClosingColumn, 160, Qt::AlignLeft},
    };
    const QString heading = texts::kSummaryHeading.arg(monthTitle(report.month));
    const QString printed = texts::kTeachers.arg(report.teachers.size());
    title(p, heading, printed);
    int y = 130;
    header(p, y, columns);
    QList<Bar> bars;
    for (const TeacherMonth& t : report.teachers) {
        y += kRow;
        if (y + kRow > kHeight) {
            device.newPage();
            title(p, heading, printed);
            y = 130;
            header(p, y, columns);
            y += kRow;
        }
        const bool flagged = t.flags.toInt() != 0;
        const bool over45 = t.flags.testFlag(Flag::Over45);
        if (flagged) p.fillRect(0, y, kWidth, kRow, kFlagFill);
        row(p, y, columns,
            QStringList{(flagged ? QStringLiteral("▲ ") : QString()) + t.name} +
                    totalCells(t).mid(0, 6)
                << closingCell(t),
            {flagged, false, t.toCorrect > 0, false, over45, false, true,
             t.closing == ClosingState::Changed});
        bars << Bar{t.name, t.beyond, over45};
    }
    y += kRow + 20;
    p.setPen(Qt::black);
    p.setFont(font(26));
    p.drawText(0, y, kWidth, 40, Qt::AlignLeft, texts::kFlagLegend);
    if (const QString closing = monthClosingText(report); !closing.isEmpty()) {
        y += 44;
        p.drawText(0, y, kWidth, 40, Qt::AlignLeft, closing);
    }
    y += 80;
    // One scale on every page of the chart; as many bars on a page as fit, none overlapping.
    int most = 100 * 60;
    for (const Bar& b : bars) most = std::max(most, b.minutes);
    const int hours = (most / 60 + 19) / 20 * 20;
    const int bar = bars.size() > 30 ? 40 : 60;
    for (qsizetype next = 0; next < bars.size();) {
        const qsizetype room = (kHeight - y - 60 - 50 - 40) / bar;
        if (room < std::min<qsizetype>(5, bars.size() - next)) {
            device.newPage();
            title(p, heading, printed);
            y = 130;
            continue;
        }
        const qsizetype n = std::min(room, bars.size() - next);
        p.setPen(Qt::black);
        p.setFont(font(34, true));
        p.drawText(0, y, kWidth, 50, Qt::AlignLeft, texts::kChartTitle);
        barChart(p, y + 60, bar, hours, bars.mid(next, n), {kOver45Hours, kOver80Hours});
        next += n;
        y += 60 + 50 + int(n) * bar + 40 + 60;
    }
}

// The teacher's days, one row each, under the title; returns where they end.
int dayRows(QPainter& p, const TeacherMonth& t) {
    const QStringList& names = texts::kDayColumns;
    const QList<Column> columns = {
        {names[0], 220, Qt::AlignCenter}, {names[1], 110, Qt::AlignCenter},
        {names[2], 170, Qt::AlignRight},  {names[3], 170, Qt::AlignRight},
        {names[4], 240, Qt::AlignRight},  {names[5], 200, Qt::AlignRight},
        {names[6], 750, Qt::AlignLeft},
    };
    int y = 125;
    header(p, y, columns);
    for (const Day& d : t.days) {
        y += kRow;
        if (d.offDay) p.fillRect(0, y, kWidth, kRow, kOffFill);
        QStringList cells = dayCells(d);
        if (d.closedAs)
            cells[6] = QStringList{cells[6], texts::kChangedMark.arg(dayClosingCell(d))}
                           .join(QStringLiteral("　"))
                           .trimmed();
        row(p, y, columns, cells,
            {false, d.date.dayOfWeek() == 7, false, false, false, false,
             hasMark(d.notes) || d.closedAs});
    }
    return y + kRow;
}

// The month's totals, the flags beside them, from `y`; returns where they end.
int totalsRow(QPainter& p, int y, const TeacherMonth& t) {
    const QStringList& totalNames = texts::kTotalColumns;
    const QList<Column> totals = {
        {totalNames[0], 180, Qt::AlignRight}, {totalNames[1], 130, Qt::AlignRight},
        {totalNames[2], 240, Qt::AlignRight}, {totalNames[3], 240, Qt::AlignRight},
        {totalNames[4], 250, Qt::AlignRight}, {totalNames[5], 820, Qt::AlignLeft},
    };
    header(p, y, totals);
    y += kRow;
    const bool flagged = t.flags.toInt() != 0;
    if (flagged) p.fillRect(0, y, kWidth, kRow, kFlagFill);
    QStringList cells = totalCells(t);
    cells[0] = texts::kDays.arg(cells[0]);
    cells[1] = texts::kDays.arg(cells[1]);
    if (!flagged) cells[5] = texts::kNoFlag;
    row(p, y, totals, cells,
        {false, t.toCorrect > 0, false, t.flags.testFlag(Flag::Over45), false, flagged});
    return y + kRow;
}

// The daily hours beyond regular hours as columns, one per day, from `y`.
void dailyChart(QPainter& p, int y, const TeacherMonth& t) {
    p.setPen(Qt::black);
    p.setFont(font(30, true));
    p.drawText(0, y, kWidth, 44, Qt::AlignLeft, texts::kDailyChartTitle);
    const int chartTop = y + 60, chartHeight = 260, left = 80;
    int most = 4 * 60;
    for (const Day& d : t.days) most = std::max(most, d.beyond);
    const int hours = (most + 59) / 60;
    const double perDay = double(kWidth - left) / 31;
    p.setFont(font(22));
    p.setPen(QPen(Qt::lightGray, 1));
    for (int h = 0; h <= hours; h += std::max(1, hours / 4)) {
        const int ly = chartTop + chartHeight - h * chartHeight / hours;
        p.setPen(QPen(Qt::lightGray, 1));
        p.drawLine(left, ly, kWidth, ly);
        p.setPen(Qt::black);
        p.drawText(QRect(0, ly - 16, left - 10, 32), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(h));
    }
    for (const Day& d : t.days) {
        const int x = left + int((d.date.day() - 1) * perDay);
        if (d.offDay)
            p.fillRect(QRectF(x, chartTop, perDay, chartHeight), QColor(0xf2, 0xf2, 0xf2));
        if (d.beyond > 0) {
            const int h = d.beyond * chartHeight / (hours * 60);
            p.fillRect(QRectF(x + perDay * 0.15, chartTop + chartHeight - h, perDay * 0.7, h),
                       kBar);
        }
        p.setPen(Qt::black);
        p.drawText(QRectF(x, chartTop + chartHeight + 4, perDay, 30), Qt::AlignCenter,
                   QString::number(d.date.day()));
    }
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(left, chartTop + chartHeight, kWidth, chartTop + chartHeight);
}

// 確認印: the teacher's and the principal's seal or signature, at the foot of the page.
void seals(QPainter& p) {
    const int sealTop = kHeight - 230;
    p.setFont(font(32, true));
    p.drawText(QRect(0, sealTop, 400, 200), Qt::AlignLeft | Qt::AlignVCenter, texts::kSeals);
    p.setFont(font(28));
    int x = kWidth - 2 * 330;
    for (const QString& who : {texts::kSealTeacher, texts::kSealPrincipal}) {
        p.setPen(QPen(Qt::black, 2));
        p.drawRect(x, sealTop, 300, 200);
        p.drawLine(x, sealTop + 50, x + 300, sealTop + 50);
        p.drawText(QRect(x, sealTop, 300, 50), Qt::AlignCenter, who);
        x += 330;
    }
}

// 締め済み or 締め後に変更 and the fingerprint a board checks the page against later.
void closingLine(QPainter& p, const MonthReport& report, const TeacherMonth& t) {
    const QString text = teacherClosingText(report, t);
    if (text.isEmpty()) return;
    p.setPen(t.closing == ClosingState::Changed ? kRed : Qt::black);
    p.setFont(font(26));
    fitText(p, QRect(0, 82, kWidth, 40), Qt::AlignLeft | Qt::AlignVCenter, text);
}

void teacherPage(QPainter& p, const MonthReport& report, const TeacherMonth& t) {
    title(p, texts::kSheetTitle.arg(monthTitle(report.month), t.name), texts::kBeyondNote);
    closingLine(p, report, t);
    const int daysEnd = dayRows(p, t);
    const int totalsEnd = totalsRow(p, daysEnd + 30, t);
    dailyChart(p, totalsEnd + 40, t);
    seals(p);
}

QString spanText(const Entry& e) {
    if (e.start < 0 && e.end < 0) return {};
    return velmora::spanText(e.start, e.end);
}

// An entry written after the month was closed says so: the sheet closed did not have it.
QString writtenText(const Entry& e, const MonthReport& report) {
    const QString when = velmora::writtenText(e.written);
    return writtenAfterClosing(e, report) ? when + QStringLiteral(" ") + texts::kAfterClosing
                                          : when;
}

// 変更の記録: the teacher's entries of the month in the order of their days, a cancelled one
// struck through with its cancellation under it, so that the sheet shows what was changed.
void entriesPages(QPainter& p, QPagedPaintDevice& device, const MonthReport& report,
                  const TeacherMonth& t, const QList<EntryState>& entries) {
    const QString heading = texts::kEntriesTitle.arg(monthTitle(report.month), t.name);
    const QStringList& names = texts::kEntryColumns;
    const QList<Column> columns = {
        {names[0], 220, Qt::AlignCenter}, {names[1], 170, Qt::AlignCenter},
        {names[2], 250, Qt::AlignCenter}, {names[3], 650, Qt::AlignLeft},
        {names[4], 230, Qt::AlignLeft},   {names[5], 340, Qt::AlignCenter},
    };
    const QList<Column> under = {{{}, 220, Qt::AlignLeft}, {{}, 1640, Qt::AlignLeft}};
    int y = 120;
    const auto room = [&](int rows) {
        if (y + rows * kRow <= kHeight) return;
        device.newPage();
        title(p, heading, QString());
        y = 120;
        header(p, y, columns);
        y += kRow;
    };
    title(p, heading, QString());
    header(p, y, columns);
    y += kRow;
    for (const EntryState& state : entries) {
        const Entry& e = state.entry;
        room(state.cancelled() ? 2 : 1);
        row(p, y, columns,
            {e.date.toString(Qt::ISODate), entryKindName(e.kind), spanText(e), e.reason, e.writer,
             writtenText(e, report)});
        y += kRow;
        if (!state.cancelled()) continue;
        p.setPen(QPen(Qt::black, 3));
        p.drawLine(10, y - kRow / 2, kWidth - 10, y - kRow / 2);
        const Entry& c = *state.cancelledBy;
        row(p, y, under,
            {QString(), texts::kCancelledBy.arg(entryKindName(c.kind, true), c.writer,
                                                writtenText(c, report), c.reason)});
        y += kRow;
    }
}

} // namespace

QPageLayout sheetLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(12, 12, 12, 12),
                       QPageLayout::Millimeter);
}

void paintSheets(const MonthReport& report, QPagedPaintDevice& device) {
    QPainter p(&device);
    const QPageLayout layout = device.pageLayout();
    const QRect paint = layout.paintRectPixels(device.logicalDpiX());
    const double scale = std::min(double(paint.width()) / kWidth, double(paint.height()) / kHeight);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    summaryPages(p, device, report);
    // Each teacher's entries of the month's days, by day and then as written.
    QHash<QString, QList<EntryState>> entries;
    const QDate monthEnd = report.month.addMonths(1).addDays(-1);
    for (const EntryState& state : report.entries)
        if (state.entry.date >= report.month && state.entry.date <= monthEnd)
            entries[state.entry.name] << state;
    for (const TeacherMonth& t : report.teachers) {
        device.newPage();
        teacherPage(p, report, t);
        QList<EntryState> own = entries.value(t.name);
        if (own.isEmpty()) continue;
        std::stable_sort(own.begin(), own.end(), [](const EntryState& a, const EntryState& b) {
            return a.entry.date < b.entry.date;
        });
        device.newPage();
        entriesPages(p, device, report, t, own);
    }
}

QByteArray pdfBytes(const MonthReport& report) {
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&bytes);
        writer.setTitle(reportBaseName(report.month));
        writer.setCreator(QStringLiteral("velmora-report"));
        writer.setResolution(600);
        writer.setPageLayout(sheetLayout());
        paintSheets(report, writer);
    }
    return bytes.data();
}

} // namespace velmora
