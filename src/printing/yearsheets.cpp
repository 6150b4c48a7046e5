#include "printing/yearsheets.h"

#include "printing/sheets.h"
#include "texts/texts.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

namespace velmora {
namespace {

// The page in tenths of a millimetre, as the month's sheets: A4 less 12 mm margins.
constexpr int kWidth = 1860;
constexpr int kHeight = 2730;
constexpr int kTop = 150;
constexpr int kColumns = 4;
constexpr int kCellHeight = 160; // the least: 64 teachers a page
const QColor kRed(0xc0, 0x10, 0x10);
const QColor kBar(0x4a, 0x6f, 0xa5);

QFont font(int size, bool bold = false) {
    QFont f;
    f.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("MS Gothic")}); // MS: Windows'
    f.setPixelSize(size);
    f.setBold(bold);
    return f;
}

// A name in its place, in smaller type when it would not fit.
void fitText(QPainter& p, const QRect& box, const QString& text) {
    const QFont normal = p.font();
    const int wide = p.fontMetrics().horizontalAdvance(text);
    if (wide > box.width())
        p.setFont(font(std::max(8, normal.pixelSize() * box.width() / wide), normal.bold()));
    p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
    p.setFont(normal);
}

// The highest month of the school, at least 50 h: every teacher's chart on one scale.
int scaleOf(const YearReport& year) {
    int top = 50 * 60;
    for (const TeacherYear& t : year.teachers)
        for (const MonthFigures& m : t.months) top = std::max(top, m.beyond);
    return top;
}

// A teacher's twelve months in `cell`: the name (red when flagged), bars and the 45 h line.
void teacherChart(QPainter& p, const QRect& cell, const TeacherYear& t, int top) {
    p.setPen(QPen(Qt::gray, 2));
    p.drawRect(cell);
    p.setFont(font(26, true));
    p.setPen(t.flags.toInt() != 0 ? kRed : Qt::black);
    fitText(p, QRect(cell.left() + 8, cell.top() + 2, cell.width() - 16, 34), t.name);
    const QRect chart(cell.left() + 12, cell.top() + 40, cell.width() - 24, cell.height() - 70);
    const int step = chart.width() / 12;
    p.setFont(font(16));
    p.setPen(Qt::black);
    for (int i = 0; i < 12; ++i) {
        p.drawText(QRect(chart.left() + i * step, chart.bottom() + 2, step, 22), Qt::AlignCenter,
                   QString::number((i + 3) % 12 + 1));
        const int beyond = t.months[size_t(i)].beyond;
        if (beyond <= 0) continue;
        const int h = int(qint64(chart.height()) * beyond / top);
        p.fillRect(QRect(chart.left() + i * step + 3, chart.bottom() - h, step - 6, h),
                   beyond > kOver45Hours * 60 ? kRed : kBar);
    }
    const int line = chart.bottom() - int(qint64(chart.height()) * kOver45Hours * 60 / top);
    p.setPen(QPen(kRed, 2, Qt::DashLine));
    p.drawLine(chart.left(), line, chart.right(), line);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(chart.left(), chart.bottom(), chart.right(), chart.bottom());
}

void heading(QPainter& p, const SchoolYear& school) {
    p.setPen(Qt::black);
    p.setFont(font(44, true));
    const QString title = texts::kYearTitle.arg(school.year.year);
    fitText(p, QRect(0, 0, kWidth, 70), texts::kYearHeading.arg(title, school.school).trimmed());
    p.setFont(font(26));
    const QString last = school.year.lastMonth.toString(QStringLiteral("yyyy-MM"));
    p.drawText(QRect(0, 80, kWidth, 50), Qt::AlignLeft | Qt::AlignVCenter,
               texts::kYearChartNote.arg(last));
}

// The school's pages; the first on the page the device stands at.
void schoolPages(QPainter& p, QPagedPaintDevice& device, const SchoolYear& school) {
    const int top = scaleOf(school.year);
    // Few teachers get taller charts; many go on as many pages as they need.
    const int rows = int(school.year.teachers.size() + kColumns - 1) / kColumns;
    const int height = std::clamp((kHeight - kTop) / std::max(rows, 1), kCellHeight, 400);
    const int perPage = kColumns * ((kHeight - kTop) / height);
    const int width = kWidth / kColumns;
    const auto& teachers = school.year.teachers;
    heading(p, school);
    for (qsizetype i = 0; i < teachers.size(); ++i) {
        if (i > 0 && i % perPage == 0) {
            device.newPage();
            heading(p, school);
        }
        const int place = int(i % perPage);
        teacherChart(
            p, QRect((place % kColumns) * width, kTop + (place / kColumns) * height, width, height),
            teachers[i], top);
    }
}

} // namespace

void paintYearSheets(const QList<SchoolYear>& schools, QPagedPaintDevice& device) {
    QPainter p(&device);
    const QRect paint = device.pageLayout().paintRectPixels(device.logicalDpiX());
    const double scale = std::min(double(paint.width()) / kWidth, double(paint.height()) / kHeight);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    for (qsizetype i = 0; i < schools.size(); ++i) {
        if (i > 0) device.newPage();
        schoolPages(p, device, schools[i]);
    }
}

QByteArray yearPdfBytes(const QList<SchoolYear>& schools) {
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&bytes);
        writer.setTitle(schools.isEmpty() ? QString() : yearBaseName(schools.first().year.year));
        writer.setCreator(QStringLiteral("velmora-report"));
        writer.setResolution(600);
        writer.setPageLayout(sheetLayout());
        paintYearSheets(schools, writer);
    }
    return bytes.data();
}

} // namespace velmora
