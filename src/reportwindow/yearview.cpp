#include "reportwindow/yearview.h"

#include "printing/yearsheets.h"
#include "saving/yearoutput.h"
#include "texts/texts.h"

#include <QBrush>
#include <QtConcurrent>

namespace velmora {

namespace {

constexpr int kMonths = 12;
constexpr int kHour = 60;
// The columns after the name and the months, as texts::kYearTotalColumns.
constexpr int kFirstTotal = 1 + kMonths, kFirstAverage = kFirstTotal + 2, kFlags = kFirstTotal + 8;

// April first.
int monthOfColumn(int column) { return (column + 2) % kMonths + 1; }

bool isMonth(int column) { return column >= 1 && column <= kMonths; }

} // namespace

void YearModel::setYear(const YearReport& year) {
    beginResetModel();
    year_ = year;
    cells_.clear();
    for (const TeacherYear& t : year_.teachers) cells_ << yearCells(t);
    endResetModel();
}

int YearModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(year_.teachers.size());
}

int YearModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kFirstTotal + int(texts::kYearTotalColumns.size());
}

QVariant YearModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::ToolTipRole && isMonth(section))
        return texts::kYearMonthHeaderTip.arg(monthOfColumn(section));
    if (role != Qt::DisplayRole) return {};
    if (section == 0) return texts::kName;
    if (isMonth(section)) return texts::kYearMonthColumn.arg(monthOfColumn(section));
    return texts::kYearTotalColumns.value(section - kFirstTotal);
}

QVariant YearModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int c = index.column();
    const TeacherYear& t = year_.teachers[index.row()];
    const QStringList& cells = cells_[index.row()];
    // yearCells(): the name, each month's 在校等時間 and 時間外, then the totals.
    const int cell = isMonth(c) ? 2 * c : c < kFirstTotal ? c : c + kMonths;
    if (role == Qt::ToolTipRole && isMonth(c) && t.months[size_t(c - 1)].beyond >= 0)
        return texts::kYearMonthTip.arg(cells[cell - 1], cells[cell]);
    if (role == Qt::TextAlignmentRole)
        return c == 0 || c == kFlags ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ForegroundRole) {
        const bool red = (isMonth(c) && t.months[size_t(c - 1)].beyond > kOver45Hours * kHour) ||
                         (c >= kFirstAverage && c < kFirstAverage + 5 &&
                          t.highestAverage[size_t(c - kFirstAverage)] > kOver80Hours * kHour) ||
                         (c == kFlags && t.flags.toInt() != 0);
        return red ? QVariant(QBrush(Qt::red)) : QVariant();
    }
    return role == Qt::DisplayRole ? QVariant(cells.value(cell)) : QVariant();
}

YearView::YearView(QObject* parent) : QObject(parent) {
    connect(&building_, &QFutureWatcher<Built>::finished, this, &YearView::built);
}

YearView::~YearView() {
    if (stop_) *stop_ = true;
    building_.waitForFinished();
}

void YearView::follow(ReportRequest month) {
    month_ = std::move(month);
    month_.wholeYear = true;
    month_.progress = nullptr;
    month_.fileFaults = nullptr;
    stale_ = true;
    if (shown_) read();
}

void YearView::setShown(bool shown) {
    shown_ = shown;
    if (shown_ && stale_) read();
}

QString YearView::status() const {
    if (reading_ || stale_) return texts::kReadingFiles;
    if (!failure_.isEmpty()) return failure_;
    const YearReport& year = model_.year();
    return texts::kYearDone.arg(year.year)
        .arg(year.lastMonth.toString(QStringLiteral("yyyy-MM")))
        .arg(year.teachers.size());
}

// A new month while one is read stops it and reads again.
void YearView::read() {
    stale_ = false;
    if (reading_) {
        *stop_ = true;
        readAgain_ = true;
        return;
    }
    reading_ = true;
    stop_ = std::make_shared<std::atomic_bool>(false);
    emit changed();
    building_.setFuture(QtConcurrent::run([request = month_, stop = stop_]() mutable -> Built {
        if (request.files.isEmpty() || !request.month) return {{}, texts::kAddRecordFiles};
        ProgressMeter meter([stop](int) { return !*stop; });
        request.progress = &meter;
        // A file the month's reading left out is left out here too, and named there.
        QList<FileFault> faults;
        request.fileFaults = &faults;
        try {
            return {yearReport(buildReport(request)), {}};
        } catch (const Failure& failure) {
            return {{}, failure.message()};
        }
    }));
}

void YearView::built() {
    reading_ = false;
    if (readAgain_) {
        readAgain_ = false;
        read();
        return;
    }
    const Built result = building_.result();
    failure_ = result.failure;
    model_.setYear(result.year);
    emit changed();
}

QStringList YearView::outputNames(Formats formats) const {
    return yearOutputNames(model_.year().year, formats);
}

QStringList YearView::save(const QDir& folder, Formats formats) const {
    return saveYear({QString(), model_.year()}, folder, formats, yearPdfBytes);
}

void YearView::paint(QPagedPaintDevice& device) const {
    paintYearSheets({{QString(), model_.year()}}, device);
}

} // namespace velmora
