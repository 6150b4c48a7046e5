#include "report/sheets.h"

#include "common/datafiles.h"
#include "common/texts.h"
#include "report/output.h"

#include <QFile>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
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

QString durationText(int minutes) { return minutes < 0 ? QString() : hoursText(minutes); }

QString monthTitle(QDate month) {
    return QStringLiteral("%1年%2月").arg(month.year()).arg(month.month());
}

// The marks of a day (what needs correcting), apart from the kind of day off.
bool isMark(const QString& note) {
    return note != QStringLiteral("祝日") && note != QStringLiteral("休業日");
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
        p.drawText(QRect(x, y, c.width, kRow), Qt::AlignCenter, c.title);
        x += c.width;
    }
    p.setFont(font(30));
}

// Horizontal bars of minutes with a labelled line at each of `marks` (in hours).
void barChart(QPainter& p, const QRect& area, const QStringList& labels, const QList<int>& minutes,
              const QList<int>& marks) {
    const int labelWidth = 360;
    const int top = area.top() + 50;
    const int bar = std::min(60, int((area.height() - 90) / std::max<qsizetype>(1, labels.size())));
    const int most = std::max(100 * 60, *std::max_element(minutes.begin(), minutes.end()));
    const int hours = (most / 60 + 19) / 20 * 20;
    const double perHour = double(area.width() - labelWidth - 130) / hours; // room for the value
    const int left = area.left() + labelWidth;
    p.setFont(font(26));
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const int y = top + int(i) * bar;
        p.setPen(Qt::black);
        p.drawText(QRect(area.left(), y, labelWidth - 16, bar), Qt::AlignRight | Qt::AlignVCenter,
                   labels[i]);
        const int w = int(minutes[i] / 60.0 * perHour);
        p.fillRect(left, y + bar / 6, w, bar * 2 / 3, minutes[i] > 45 * 60 ? kRed : kBar);
        p.drawText(QRect(left + w + 8, y, 200, bar), Qt::AlignLeft | Qt::AlignVCenter,
                   hoursText(minutes[i]));
    }
    const int bottom = top + int(labels.size()) * bar;
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
        p.drawText(QRect(x - 100, top - 48, 200, 36), Qt::AlignCenter,
                   QStringLiteral("%1時間").arg(mark));
    }
}

void title(QPainter& p, const QString& text, const QString& right) {
    p.setPen(Qt::black);
    p.setFont(font(56, true));
    p.drawText(QRect(0, 0, kWidth, 80), Qt::AlignLeft | Qt::AlignVCenter, text);
    p.setFont(font(28));
    p.drawText(QRect(0, 0, kWidth, 80), Qt::AlignRight | Qt::AlignBottom, right);
}

void summaryPages(QPainter& p, QPagedPaintDevice& device, const MonthReport& report) {
    const QList<Column> columns = {
        {QStringLiteral("氏名"), 360, Qt::AlignLeft},
        {QStringLiteral("出勤日数"), 140, Qt::AlignRight},
        {QStringLiteral("在校等時間"), 190, Qt::AlignRight},
        {QStringLiteral("時間外"), 170, Qt::AlignRight},
        {QStringLiteral("年度累計時間外"), 220, Qt::AlignRight},
        {QStringLiteral("判定"), 780, Qt::AlignLeft},
    };
    const QString heading = QStringLiteral("在校等時間 集計 %1").arg(monthTitle(report.month));
    const QString printed = QStringLiteral("教職員 %1名").arg(report.teachers.size());
    title(p, heading, printed);
    int y = 130;
    header(p, y, columns);
    QStringList names;
    QList<int> beyond;
    for (const TeacherMonth& t : report.teachers) {
        y += kRow;
        if (y + kRow > kHeight) {
            device.newPage();
            title(p, heading, printed);
            y = 130;
            header(p, y, columns);
            y += kRow;
        }
        const bool flagged = !t.flags.isEmpty();
        if (flagged) p.fillRect(0, y, kWidth, kRow, kFlagFill);
        row(p, y, columns,
            {(flagged ? QStringLiteral("▲ ") : QString()) + t.name, QString::number(t.workedDays),
             hoursText(t.inSchool), hoursText(t.beyond), hoursText(t.yearBeyond),
             t.flags.join(u'・')},
            {flagged, false, false, t.beyond > 45 * 60, false, true});
        names << t.name;
        beyond << t.beyond;
    }
    y += kRow + 20;
    p.setPen(Qt::black);
    p.setFont(font(26));
    p.drawText(0, y, kWidth, 40, Qt::AlignLeft,
               QStringLiteral("▲ 判定のある教職員。時間外の上限: 月45時間、年360時間"));
    y += 80;
    const int chartHeight = std::max(300, int(names.size()) * 30 + 120);
    if (y + chartHeight > kHeight) {
        device.newPage();
        title(p, heading, printed);
        y = 130;
    }
    p.setFont(font(34, true));
    p.drawText(0, y, kWidth, 50, Qt::AlignLeft, QStringLiteral("時間外（今月、時間）"));
    barChart(p, QRect(0, y + 60, kWidth, std::min(kHeight - y - 60, int(names.size()) * 60 + 120)),
             names, beyond, {45, 80});
}

void teacherPage(QPainter& p, const MonthReport& report, const TeacherMonth& t) {
    title(p, QStringLiteral("在校等時間 %1　%2").arg(monthTitle(report.month), t.name),
          QStringLiteral("時間外は所定の勤務時間を超えた時間"));
    const QList<Column> columns = {
        {QStringLiteral("日"), 110, Qt::AlignRight},
        {QStringLiteral("曜日"), 110, Qt::AlignCenter},
        {QStringLiteral("出"), 200, Qt::AlignRight},
        {QStringLiteral("退"), 200, Qt::AlignRight},
        {QStringLiteral("在校等時間"), 260, Qt::AlignRight},
        {QStringLiteral("時間外"), 220, Qt::AlignRight},
        {QStringLiteral("備考"), 760, Qt::AlignLeft},
    };
    int y = 120;
    header(p, y, columns);
    for (const Day& d : t.days) {
        y += kRow;
        if (d.offDay) p.fillRect(0, y, kWidth, kRow, kOffFill);
        const bool marked = std::any_of(d.notes.begin(), d.notes.end(), isMark);
        row(p, y, columns,
            {QString::number(d.date.day()), weekdayName(d.date), durationText(d.arrival),
             durationText(d.leaving), durationText(d.inSchool), durationText(d.beyond),
             d.notes.join(u' ')},
            {false, d.date.dayOfWeek() == 7, false, false, false, false, marked});
    }
    // The month's totals, the flags beside them.
    y += kRow + 30;
    const QList<Column> totals = {
        {QStringLiteral("出勤日数"), 180, Qt::AlignRight},
        {QStringLiteral("在校等時間合計"), 250, Qt::AlignRight},
        {QStringLiteral("時間外合計"), 250, Qt::AlignRight},
        {QStringLiteral("年度累計時間外"), 260, Qt::AlignRight},
        {QStringLiteral("判定"), 920, Qt::AlignLeft},
    };
    header(p, y, totals);
    y += kRow;
    const bool flagged = !t.flags.isEmpty();
    if (flagged) p.fillRect(0, y, kWidth, kRow, kFlagFill);
    row(p, y, totals,
        {QStringLiteral("%1日").arg(t.workedDays), hoursText(t.inSchool), hoursText(t.beyond),
         hoursText(t.yearBeyond), flagged ? t.flags.join(u'・') : QStringLiteral("なし")},
        {false, false, t.beyond > 45 * 60, false, flagged});
    // The daily hours beyond regular hours as columns, one per day.
    y += kRow + 40;
    p.setPen(Qt::black);
    p.setFont(font(30, true));
    p.drawText(0, y, kWidth, 44, Qt::AlignLeft, QStringLiteral("日ごとの時間外（時間）"));
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
    // 確認印: the teacher's and the principal's seal or signature.
    const int sealTop = kHeight - 230;
    p.setFont(font(32, true));
    p.drawText(QRect(0, sealTop, 400, 200), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("確認印"));
    p.setFont(font(28));
    int x = kWidth - 2 * 330;
    for (const QString& who : {QStringLiteral("本人"), QStringLiteral("校長")}) {
        p.setPen(QPen(Qt::black, 2));
        p.drawRect(x, sealTop, 300, 200);
        p.drawLine(x, sealTop + 50, x + 300, sealTop + 50);
        p.drawText(QRect(x, sealTop, 300, 50), Qt::AlignCenter, who);
        x += 330;
    }
}

} // namespace

void paintSheets(const MonthReport& report, QPagedPaintDevice& device) {
    QPainter p(&device);
    const QPageLayout layout = device.pageLayout();
    const QRect paint = layout.paintRectPixels(device.logicalDpiX());
    const double scale = std::min(double(paint.width()) / kWidth, double(paint.height()) / kHeight);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    summaryPages(p, device, report);
    for (const TeacherMonth& t : report.teachers) {
        device.newPage();
        teacherPage(p, report, t);
    }
}

void writePdf(const MonthReport& report, const QString& path) {
    const QString temporary = path + QStringLiteral(".part");
    {
        QPdfWriter writer(temporary);
        writer.setTitle(QFileInfo(path).completeBaseName());
        writer.setCreator(QStringLiteral("velmora-report"));
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
        paintSheets(report, writer);
    }
    QFile::remove(path);
    if (QFileInfo(temporary).size() == 0 || !QFile::rename(temporary, path)) {
        QFile::remove(temporary);
        throw Failure(texts::kCannotWriteFile.arg(path));
    }
}

QStringList saveReport(const MonthReport& report, const QDir& folder, Formats formats) {
    const QString base = folder.filePath(reportBaseName(report.month));
    QStringList written;
    auto save = [&](const QString& path, const QByteArray& bytes) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            throw Failure(texts::kCannotWrite.arg(path, file.errorString()));
        written << path;
    };
    if (formats.csv) {
        save(base + QStringLiteral(".csv"), dailyCsv(report));
        save(base + QStringLiteral("_集計.csv"), summaryCsv(report));
    }
    if (formats.xlsx) {
        writeXlsx(report, base + QStringLiteral(".xlsx"));
        written << base + QStringLiteral(".xlsx");
    }
    if (formats.pdf) {
        writePdf(report, base + QStringLiteral(".pdf"));
        written << base + QStringLiteral(".pdf");
    }
    return written;
}

} // namespace velmora
