#include "report/report.h"

#include "common/cp932.h"
#include "common/datafiles.h"
#include "common/texts.h"
#include "report/records.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <unordered_map>
#include <vector>

namespace velmora {
namespace {

struct Entry {
    int64_t day;
    DayRecord record;
};

// Months since year 0, to index a run of months.
int monthIndex(QDate date) { return date.year() * 12 + date.month() - 1; }

QDate schoolYearStart(QDate month) {
    return QDate(month.month() >= 4 ? month.year() : month.year() - 1, 4, 1);
}

// The first day a month's report needs: April, or six months back for the averages, which
// run across school years.
QDate rangeStartOf(QDate month) { return std::min(schoolYearStart(month), month.addMonths(-5)); }

QDate monthOf(int64_t julianDay) {
    const QDate day = QDate::fromJulianDay(julianDay);
    return QDate(day.year(), day.month(), 1);
}

// Names by their bytes: the same teacher in several files is one.
struct BytesHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using Names = std::unordered_map<std::string, int, BytesHash, std::equal_to<>>;

struct Kept {
    int teacher;
    Entry entry;
};

struct Reading {
    Names names;
    std::vector<Kept> kept;
    int64_t newest = -1;
    int skipped = 0;
    ProgressMeter* progress = nullptr;
    qint64 passed = 0; // bytes of the files before this one
};

// Reads a file from its end in blocks and keeps the records of the days that the month
// needs (without a month, the month of the file's last record, which is its newest). Stops
// where the records before can only lie earlier: a report reads the last year or so.
void readFile(const QString& path, int lastYear, std::optional<QDate> month, Reading& out) {
    QFile file(path);
    if (!QFileInfo::exists(path)) throw Failure(texts::kMissingFile.arg(path));
    auto cannotRead = [&] { return Failure(texts::kCannotRead.arg(path, file.errorString())); };
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) throw cannotRead();
    RecordDater dater(lastYear);
    int64_t keepFrom = month ? rangeStartOf(*month).toJulianDay() : INT64_MIN;
    const int64_t keepTo = month ? month->addMonths(1).toJulianDay() - 1 : INT64_MAX;
    // Blocks from the end. A block's first line may have begun in the block before it, so
    // it is held back and read with that one.
    constexpr qint64 kBlock = 64 * 1024;
    std::vector<char> block;
    std::string carry;
    std::vector<LineFields> lines;
    DatedRecord r;
    for (qint64 at = file.size(); at > 0 && dater.bound() >= keepFrom;) {
        const qint64 n = std::min(kBlock, at);
        at -= n;
        block.resize(size_t(n) + carry.size());
        std::copy(carry.begin(), carry.end(), block.begin() + n);
        if (!file.seek(at) || file.read(block.data(), n) != n) throw cannotRead();
        if (out.progress) out.progress->advance(out.passed + file.size() - at);
        const std::string_view data(block.data(), block.size());
        const size_t start = at > 0 ? data.find_first_of("\r\n") : 0;
        carry.assign(data.substr(0, std::min(start, data.size())));
        if (start == std::string_view::npos) continue; // a line longer than a block
        lines.clear();
        splitLines(data.substr(start), lines);
        for (auto line = lines.rbegin(); line != lines.rend() && dater.bound() >= keepFrom;
             ++line) {
            if (!dater.date(*line, r)) continue;
            if (r.day > out.newest) out.newest = r.day;
            if (!month && keepFrom == INT64_MIN)
                keepFrom = rangeStartOf(monthOf(r.day)).toJulianDay();
            if (r.day < keepFrom || r.day > keepTo) continue;
            auto name = out.names.find(r.name);
            if (name == out.names.end())
                name = out.names.emplace(std::string(r.name), int(out.names.size())).first;
            out.kept.push_back({name->second, {r.day, {r.arrival, parseClock(r.time)}}});
        }
    }
    out.skipped += dater.skipped();
    // What was not read is passed too: a report reads the last year or so of each file.
    out.passed += file.size();
    if (out.progress) out.progress->advance(out.passed);
}

} // namespace

MonthReport buildReport(const ReportRequest& request) {
    Reading reading;
    reading.progress = request.progress;
    if (reading.progress) {
        qint64 total = 0;
        for (const QString& path : request.files) total += QFileInfo(path).size();
        reading.progress->start(total);
    }
    for (const QString& path : request.files) {
        readFile(path, request.lastYear.value_or(QFileInfo(path).lastModified().date().year()),
                 request.month, reading);
    }
    MonthReport report;
    report.skipped = reading.skipped;
    const QString fileList = request.files.join(QStringLiteral(", "));
    if (reading.newest < 0) throw Failure(texts::kNoRecords.arg(fileList));

    const QDate month = request.month.value_or(monthOf(reading.newest));
    report.month = month;
    const QDate yearStart = schoolYearStart(month);
    const QDate rangeStart = rangeStartOf(month);
    const int64_t from = rangeStart.toJulianDay(), monthFrom = month.toJulianDay(),
                  to = month.addMonths(1).toJulianDay() - 1;

    std::vector<std::vector<Entry>> entries(reading.names.size());
    std::vector<bool> inYear(reading.names.size());
    bool anyInMonth = false;
    for (const Kept& k : reading.kept) {
        if (k.entry.day < from || k.entry.day > to) continue;
        entries[size_t(k.teacher)].push_back(k.entry);
        inYear[size_t(k.teacher)] =
            inYear[size_t(k.teacher)] || k.entry.day >= yearStart.toJulianDay();
        anyInMonth |= k.entry.day >= monthFrom;
    }
    if (!anyInMonth)
        throw Failure(texts::kNoRecordsInMonth.arg(month.year()).arg(month.month()).arg(fileList));

    const int months = monthIndex(month) - monthIndex(rangeStart) + 1;
    const int schoolMonths = monthIndex(month) - monthIndex(yearStart) + 1;
    // The days of the range once, not once per teacher, with the month each falls in.
    std::vector<Day> calendar;
    std::vector<int> monthOfDay;
    for (QDate d = rangeStart; d.toJulianDay() <= to; d = d.addDays(1)) {
        calendar.push_back(calendarDay(d, request.rules));
        monthOfDay.push_back(monthIndex(d) - monthIndex(rangeStart));
    }
    for (const auto& [name, id] : reading.names) {
        if (!inYear[size_t(id)]) continue;
        std::vector<Entry>& list = entries[size_t(id)];
        std::stable_sort(list.begin(), list.end(),
                         [](const Entry& a, const Entry& b) { return a.day < b.day; });
        TeacherMonth teacher;
        teacher.name = fromCp932(name);
        QList<int> monthly(months, 0);
        QList<DayRecord> dayRecords;
        auto next = list.begin();
        for (int64_t jd = from; jd <= to; ++jd) {
            dayRecords.clear();
            for (; next != list.end() && next->day == jd; ++next) dayRecords << next->record;
            if (dayRecords.isEmpty() && jd < monthFrom) continue;
            const Day day = evaluateDay(calendar[size_t(jd - from)], dayRecords, request.rules);
            if (day.beyond > 0) monthly[monthOfDay[size_t(jd - from)]] += day.beyond;
            if (jd < monthFrom) continue;
            if (day.inSchool >= 0) {
                ++teacher.workedDays;
                teacher.inSchool += day.inSchool;
                teacher.beyond += day.beyond;
            }
            teacher.days << day;
        }
        for (int i = months - schoolMonths; i < months; ++i) teacher.yearBeyond += monthly[i];
        teacher.flags = monthFlags(monthly, schoolMonths);
        report.teachers << teacher;
    }
    std::sort(report.teachers.begin(), report.teachers.end(),
              [](const TeacherMonth& a, const TeacherMonth& b) { return a.name < b.name; });
    return report;
}

} // namespace velmora
