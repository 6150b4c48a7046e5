#include "report/report.h"

#include "recordchain/chaincheck.h"
#include "report/closing.h"
#include "report/fingerprint.h"
#include "report/records.h"
#include "storage/cp932.h"
#include "storage/datafiles.h"
#include "storage/fields.h"
#include "storage/osfile.h"
#include "texts/texts.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <unordered_map>
#include <vector>

namespace velmora {
namespace {

// 16 bytes with its teacher: a year of a large school's records is kept at once.
struct CardEntry {
    int32_t day; // Julian day
    DayRecord record;
};

// Months since year 0, to index a run of months.
int monthIndex(QDate date) { return date.year() * 12 + date.month() - 1; }

QDate schoolYearStart(QDate month) {
    return QDate(month.month() >= 4 ? month.year() : month.year() - 1, 4, 1);
}

// The first day a month's report needs: April, or six months back for the averages, which
// run across school years; the year's, the averages of its April.
QDate rangeStartOf(QDate month, bool wholeYear) {
    return wholeYear ? schoolYearStart(month).addMonths(-5)
                     : std::min(schoolYearStart(month), month.addMonths(-5));
}

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

// The teacher of each name. The records of a day come in much the same order every day, so
// the teacher that came after this one last time is tried before the name is looked up.
class Teachers {
public:
    size_t size() const { return names_.size(); }
    const Names& names() const { return names_; }
    // -1 for a name that is no teacher's.
    int of(std::string_view name) {
        if (last_ >= 0) {
            const int guess = next_[size_t(last_)];
            if (guess >= 0 && *byId_[size_t(guess)] == name) return last_ = guess;
        }
        auto found = names_.find(name);
        if (found == names_.end()) {
            if (!isShowableName(name)) return -1;
            found = names_.emplace(std::string(name), int(names_.size())).first;
            byId_.push_back(&found->first);
            next_.push_back(-1);
        }
        if (last_ >= 0) next_[size_t(last_)] = found->second;
        return last_ = found->second;
    }

private:
    Names names_;
    std::vector<const std::string*> byId_; // into names_, whose keys stay where they are
    std::vector<int> next_;
    int last_ = -1;
};

struct Kept {
    int teacher;
    CardEntry entry;
};

struct Reading {
    Teachers teachers;
    std::vector<Kept> kept;
    int64_t newest = -1;
    int skipped = 0;
    QStringList warnings;
    ProgressMeter* progress = nullptr;
    qint64 passed = 0;             // bytes of the files before this one
    std::vector<CardLine> lines{}; // the month's, for the fingerprints
    int fileRank = 0;              // of the file read, by its name
};

// A file whose last record's year is not known.
class Undated : public Failure {
public:
    using Failure::Failure;
};

// The latest day the file's last record can have. A modification time outside the years
// the report knows is a clock that was wrong, not a year to date the records by.
int64_t lastBound(const QString& path, std::optional<int> lastYear, QDate today) {
    if (lastYear) return julianDay(*lastYear, 12, 31);
    const QDate modified = QFileInfo(path).lastModified().date();
    if (modified.year() < 2000 || modified.year() > today.year())
        throw Undated(texts::kModifiedYear.arg(path, QString::number(modified.year())));
    return modified.toJulianDay();
}

// Reads a file from its end and keeps the records of the days that the month needs (without
// a month, the month of the file's newest records). Stops where the
// records before can only lie earlier: a report reads the last year or so.
// `lastYear`: the year of its last record, when given.
void readFile(const QString& path, const ReportRequest& request, std::optional<int> lastYear,
              Reading& out) {
    auto opened = OsFile::open(path, path, OsFile::Access::Read);
    if (!opened) throw Failure(texts::kMissingFile.arg(path));
    const auto file = std::make_shared<const OsFile>(std::move(*opened));
    const qint64 size = file->size();
    RecordDater dater(lastBound(path, lastYear, request.today), lastYear.has_value());
    const std::optional<QDate> month = request.month;
    int64_t keepFrom = month ? rangeStartOf(*month, request.wholeYear).toJulianDay() : INT64_MIN;
    const int64_t keepTo = month ? month->addMonths(1).toJulianDay() - 1 : INT64_MAX;
    BackwardLineReader lines = linesFromEnd(file, 64 * 1024, [&](qint64 unread) {
        if (out.progress) out.progress->advance(out.passed + size - unread);
    });
    // A block's lines at a time: the whole file is read for a month of its first years.
    std::vector<std::string_view> block;
    std::vector<DatedRecord> dated;
    bool newestKnown = false;
    int64_t linesFrom = month ? month->toJulianDay() : INT64_MAX;
    int64_t place = 0;
    auto keep = [&]() {
        // The file's newest day comes with its first records: without a month asked for, it
        // names the days to keep.
        if (!newestKnown && dater.newest() >= 0) {
            newestKnown = true;
            out.newest = std::max(out.newest, dater.newest());
            if (!month)
                keepFrom = rangeStartOf(monthOf(dater.newest()), request.wholeYear).toJulianDay();
            if (!month) linesFrom = monthOf(dater.newest()).toJulianDay();
        }
        for (const DatedRecord& r : dated) {
            if (r.day < keepFrom || r.day > keepTo) continue;
            const int teacher = out.teachers.of(r.name);
            if (teacher < 0)
                ++out.skipped;
            else
                out.kept.push_back(
                    {teacher, {int32_t(r.day), {r.arrival, parseTime(r.time).value_or(-1)}}});
            // Decided from the file's end back: a falling place is the file's order.
            if (teacher >= 0 && r.day >= linesFrom)
                out.lines.push_back(
                    {teacher, int32_t(r.day), out.fileRank, --place, std::string(r.line)});
        }
    };
    while (dater.bound() >= keepFrom && lines.previousLines(block)) {
        dater.dateLines(block, keepFrom, newestKnown ? keepFrom : INT64_MIN, keepTo, dated);
        keep();
    }
    dater.finish(keepFrom, keepTo, dated);
    keep();
    out.skipped += dater.skipped();
    for (const DoubtfulLine& d : dater.doubtful())
        out.warnings << (d.leaving ? texts::kLateLeaving : texts::kOutOfPlace)
                            .arg(path, fromCp932(view(d.line)),
                                 QDate::fromJulianDay(d.day).toString(Qt::ISODate));
    // What was not read is passed too: a report reads the last year or so of each file.
    out.passed += size;
    if (out.progress) out.progress->advance(out.passed);
}

// readFile, or when the caller takes faults file by file, the file listed and left out with
// whatever of it was read. A stop is never a file's fault.
void readOrLeaveOut(const QString& path, const ReportRequest& request, Reading& out) {
    const auto given = request.lastYears.constFind(path);
    const std::optional<int> lastYear =
        given != request.lastYears.cend() ? std::optional(*given) : request.lastYear;
    if (!request.fileFaults) return readFile(path, request, lastYear, out);
    const size_t kept = out.kept.size();
    const size_t lines = out.lines.size();
    const int64_t newest = out.newest;
    const int skipped = out.skipped;
    const qsizetype warnings = out.warnings.size();
    const qint64 passed = out.passed;
    try {
        readFile(path, request, lastYear, out);
    } catch (const Stopped&) {
        throw;
    } catch (const Failure& failure) {
        out.kept.resize(kept);
        out.lines.erase(out.lines.begin() + ptrdiff_t(lines), out.lines.end());
        out.newest = newest;
        out.skipped = skipped;
        out.warnings.resize(warnings);
        out.passed = passed + QFileInfo(path).size();
        *request.fileFaults << FileFault{path, failure.message(),
                                         dynamic_cast<const Undated*>(&failure) != nullptr};
    }
}

// Every file read once, newest records first.
Reading readAll(const ReportRequest& request) {
    Reading reading;
    reading.progress = request.progress;
    if (reading.progress) {
        qint64 total = 0;
        for (const QString& path : request.files) total += QFileInfo(path).size();
        reading.progress->start(total);
    }
    // The fingerprints take the card lines by file name, whatever order the files are given in.
    QStringList byName = request.files;
    std::stable_sort(byName.begin(), byName.end(), [](const QString& a, const QString& b) {
        return QFileInfo(a).fileName() < QFileInfo(b).fileName();
    });
    for (const QString& path : request.files) {
        reading.fileRank = int(byName.indexOf(path));
        readOrLeaveOut(path, request, reading);
    }
    return reading;
}

// The days of the report: the month, and before it the school year and the averages' months.
struct Range {
    QDate month, yearStart, start;
    int64_t from, yearFrom, monthFrom, to; // Julian days
    bool wholeYear;
    Range(QDate m, bool year)
        : month(m), yearStart(schoolYearStart(m)), start(rangeStartOf(m, year)),
          from(start.toJulianDay()), yearFrom(yearStart.toJulianDay()), monthFrom(m.toJulianDay()),
          to(m.addMonths(1).toJulianDay() - 1), wholeYear(year) {}
    QDate monthEnd() const { return month.addMonths(1).addDays(-1); }
};

// Each teacher's records of the range in one run of one array, by day.
struct Index {
    std::vector<CardEntry> byTeacher;
    std::vector<std::pair<CardEntry*, CardEntry*>> runs; // by teacher
    std::vector<bool> inYear;                            // records in the school year
    bool anyInMonth = false;                             // the month has records
};

Index indexRecords(const Reading& reading, const Range& range) {
    Index index;
    std::vector<size_t> start(reading.teachers.size() + 1);
    for (const Kept& k : reading.kept) ++start[size_t(k.teacher) + 1];
    for (size_t id = 1; id < start.size(); ++id) start[id] += start[id - 1];
    index.byTeacher.resize(reading.kept.size());
    {
        std::vector<size_t> next(start.begin(), start.end() - 1);
        for (const Kept& k : reading.kept) index.byTeacher[next[size_t(k.teacher)]++] = k.entry;
    }
    index.runs.resize(reading.teachers.size());
    index.inYear.resize(reading.teachers.size());
    auto byDay = [](const CardEntry& a, const CardEntry& b) { return a.day < b.day; };
    for (size_t id = 0; id < index.runs.size(); ++id) {
        CardEntry* first = index.byTeacher.data() + start[id];
        CardEntry* last = index.byTeacher.data() + start[id + 1];
        // Without a month asked for, a file older than the newest kept its own last year.
        last = std::remove_if(first, last, [&](const CardEntry& e) {
            return e.day < range.from || e.day > range.to;
        });
        // A file read from its end gives the days newest first; the order within a day
        // counts for nothing.
        std::reverse(first, last);
        if (!std::is_sorted(first, last, byDay)) std::sort(first, last, byDay);
        index.runs[id] = {first, last};
        index.inYear[id] = first != last && last[-1].day >= range.yearFrom;
        index.anyInMonth |= first != last && last[-1].day >= range.monthFrom;
    }
    return index;
}

struct Person {
    QString name;
    std::pair<CardEntry*, CardEntry*> records{};
    std::pair<const CardLine*, const CardLine*> lines{}; // of the month
    QHash<int64_t, QList<EntryState>> entries{};         // by Julian day
};

// The teachers: those with records in the school year, those with entries in the range and
// those the staff list holds in the month; in the order of the records' teachers, which is
// that of their runs in memory.
std::vector<Person> gatherPeople(const Reading& reading, const Index& index, const Range& range,
                                 const WorkRules& rules, MonthReport& report) {
    const auto linesOf = [&](int id) {
        const auto [first, last] = std::equal_range(
            reading.lines.begin(), reading.lines.end(), CardLine{id, 0, 0, 0, {}},
            [](const CardLine& a, const CardLine& b) { return a.teacher < b.teacher; });
        const CardLine* base = reading.lines.data();
        return std::pair{base + (first - reading.lines.begin()),
                         base + (last - reading.lines.begin())};
    };
    std::vector<Person> people;
    QHash<QString, size_t> byName;
    const auto person = [&](const QString& name) -> Person& {
        const auto found = byName.constFind(name);
        if (found != byName.cend()) return people[*found];
        byName.insert(name, people.size());
        return people.emplace_back(Person{name});
    };
    std::vector<const std::string*> names(reading.teachers.size());
    for (const auto& [name, id] : reading.teachers.names()) names[size_t(id)] = &name;
    for (size_t id = 0; id < names.size(); ++id)
        if (index.inYear[id]) {
            report.recorded << fromCp932(*names[id]);
            Person& one = person(report.recorded.last());
            one.records = index.runs[id];
            one.lines = linesOf(int(id));
        }
    for (const EntryState& state : report.entries) {
        const int64_t day = state.entry.date.toJulianDay();
        if (day >= range.from && day <= range.to) person(state.entry.name).entries[day] << state;
    }
    for (const auto& [name, lines] : rules.staff.asKeyValueRange())
        for (const StaffLine& line : lines)
            if ((!line.from.isValid() || line.from <= range.monthEnd()) &&
                (!line.to.isValid() || line.to >= range.month))
                person(name);
    return people;
}

// The days of the range once, not once per teacher, with the month each falls in.
struct Calendar {
    std::vector<Day> days;
    std::vector<int> monthOfDay; // from the range's first month
};

Calendar calendarOf(const Range& range, const WorkRules& rules) {
    Calendar calendar;
    for (QDate d = range.start; d.toJulianDay() <= range.to; d = d.addDays(1)) {
        calendar.days.push_back(calendarDay(d, rules));
        calendar.monthOfDay.push_back(monthIndex(d) - monthIndex(range.start));
    }
    return calendar;
}

// A person's days of the month and the month's figures, the months before counted for the
// limits over several months.
TeacherMonth evaluatePerson(const Person& one, const Range& range, const Calendar& calendar,
                            const WorkRules& rules) {
    static const QList<EntryState> none;
    const int months = monthIndex(range.month) - monthIndex(range.start) + 1;
    const int schoolMonths = monthIndex(range.month) - monthIndex(range.yearStart) + 1;
    const auto [first, last] = one.records;
    TeacherMonth teacher;
    teacher.name = one.name;
    teacher.days.reserve(
        qsizetype(range.to - (range.wholeYear ? range.from : range.monthFrom) + 1));
    QList<int> monthly(months, 0);
    QList<DayRecord> dayRecords;
    auto next = first;
    auto nextLine = one.lines.first;
    for (int64_t jd = range.from; jd <= range.to; ++jd) {
        dayRecords.clear();
        for (; next != last && next->day == jd; ++next) dayRecords << next->record;
        const auto dayEntries =
            one.entries.isEmpty() ? one.entries.cend() : one.entries.constFind(jd);
        const bool anyEntry = dayEntries != one.entries.cend();
        if (dayRecords.isEmpty() && !anyEntry && jd < range.monthFrom) continue;
        const Day& date = calendar.days[size_t(jd - range.from)];
        Day day = evaluateDay(date, dayRecords, anyEntry ? *dayEntries : none,
                              regularMinutes(one.name, date, rules), rules);
        if (day.beyond > 0) monthly[calendar.monthOfDay[size_t(jd - range.from)]] += day.beyond;
        if (jd < range.monthFrom) {
            if (range.wholeYear) teacher.days << day;
            continue;
        }
        const CardLine* dayLines = nextLine;
        while (nextLine != one.lines.second && nextLine->day == jd) ++nextLine;
        day.fingerprint = dayFingerprint(
            {one.name, day.date, dayLines, nextLine, anyEntry ? *dayEntries : none, rules});
        if (day.inSchool >= 0) {
            ++teacher.workedDays;
            teacher.inSchool += day.inSchool;
            teacher.beyond += day.beyond;
        }
        teacher.regular += day.regular;
        if (hasMark(day.notes)) ++teacher.toCorrect;
        teacher.days << day;
    }
    for (int i = months - schoolMonths; i < months; ++i) teacher.yearBeyond += monthly[i];
    teacher.flags = monthFlags(monthly, schoolMonths);
    teacher.fingerprint = monthFingerprint(teacher.name, teacher.days);
    return teacher;
}

} // namespace

QString ledgerFolderOf(const QStringList& files) {
    return files.isEmpty() ? QString() : QFileInfo(files.first()).absolutePath();
}

bool isRecordFile(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    for (const QString& other : {kEntriesFile, kClosingsFile, kRegistryFile})
        if (name.compare(other, Qt::CaseInsensitive) == 0) return false;
    return true;
}

QStringList recordFiles(const QStringList& paths, QStringList* others) {
    QStringList records;
    for (const QString& path : paths)
        if (isRecordFile(path))
            records << path;
        else if (others)
            *others << path;
    return records;
}

MonthReport buildReport(const ReportRequest& request) {
    Reading reading = readAll(request);
    const QString fileList = request.files.join(QStringLiteral(", "));
    if (reading.newest < 0) throw Failure(texts::kNoRecords.arg(fileList));
    const Range range(request.month.value_or(monthOf(reading.newest)), request.wholeYear);
    MonthReport report;
    report.month = range.month;
    report.skipped = reading.skipped;
    report.warnings = reading.warnings;
    report.chainNotes = chainNotes(request.files);
    std::erase_if(reading.lines,
                  [&](const CardLine& l) { return l.day < range.monthFrom || l.day > range.to; });
    sortCardLines(reading.lines);

    // Only the entries of the days the figures need are kept, however long 申告.dat grows.
    report.ledger = readLedger(QDir(request.ledgerFolder.value_or(ledgerFolderOf(request.files))),
                               DateRange{range.start, range.monthEnd()});
    report.entries = entryStates(report.ledger.entries, &report.ledger.problems);
    WorkRules rules = request.rules;
    for (const CalendarLine& line : report.ledger.calendar) rules.calendar[line.date] = line;
    for (const StaffLine& line : report.ledger.staff) rules.staff[line.name] << line;

    const Index index = indexRecords(reading, range);
    if (!index.anyInMonth)
        throw Failure(texts::kNoRecordsInMonth.arg(range.month.year())
                          .arg(range.month.month())
                          .arg(fileList));
    const Calendar calendar = calendarOf(range, rules);
    for (const Person& one : gatherPeople(reading, index, range, rules, report))
        report.teachers << evaluatePerson(one, range, calendar, rules);
    std::sort(report.teachers.begin(), report.teachers.end(),
              [](const TeacherMonth& a, const TeacherMonth& b) { return a.name < b.name; });
    compareWithClosings(report);
    return report;
}

} // namespace velmora
