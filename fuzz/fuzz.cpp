// Any bytes through the field reader, CP932, the two lookups, the report's dating and its
// days off, which must agree with a plain forward reading of the same file, also when read
// backwards in small blocks. Built once a target as a libFuzzer program (make fuzz); in the
// test suite the stored corpus and random files of short lines go through the same checks.

#include "cards/cards.h"
#include "records/recordfile.h"
#include "report/daysoff.h"
#include "report/records.h"
#include "storage/cp932.h"
#include "storage/fields.h"
#include "storage/names.h"
#include "texts/texts.h"

#include <QDate>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace velmora;

// Lines no longer than `longest`, the first without a byte-order mark.
std::vector<std::string_view> forwardLines(std::string_view data, size_t longest) {
    std::vector<std::string_view> lines;
    for (size_t pos = 0; pos < data.size();) {
        const size_t end = std::min(data.find('\r', pos), data.find('\n', pos));
        const std::string_view line = data.substr(pos, end - pos);
        if (line.size() <= longest) lines.push_back(pos ? line : withoutByteOrderMark(line));
        if (end == std::string_view::npos) break;
        pos = end + (data.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return lines;
}

// The data read from its end `block` bytes at a time, as from a file, with lines over
// `longest` bytes skipped: both from the input's size, so that every input tries others.
size_t longestLineFor(std::string_view data, size_t least = 4) { return least + data.size() % 37; }
BackwardLineReader inBlocks(std::string_view data, size_t least = 4) {
    return BackwardLineReader(
        [data, unread = qint64(data.size())](char* end, qint64 limit) mutable {
            const qint64 n = std::min(unread, limit);
            unread -= n;
            std::memcpy(end - n, data.data() + unread, size_t(n));
            return n;
        },
        data.size() % 5 == 0 ? 4096 : 1 + qint64(data.size() % 24),
        qint64(longestLineFor(data, least)));
}

using Dated = std::tuple<std::string, std::string, int64_t, bool>;
struct Dating {
    std::vector<Dated> records; // from the last
    QList<std::pair<QByteArray, int64_t>> doubtful;
    int skipped = 0;
    bool operator==(const Dating&) const = default;
};

// The records from `from` to `to` of the lines `next` gives, as the report reads them.
template <typename Next> Dating dateAll(RecordDater dater, int64_t from, int64_t to, Next next) {
    Dating out;
    std::vector<DatedRecord> dated;
    for (bool more = true; more;) {
        std::vector<std::string_view> some;
        more = dater.bound() >= from && next(some);
        more ? dater.dateLines(some, from, from, to, dated) : dater.finish(from, to, dated);
        for (const DatedRecord& d : dated)
            out.records.emplace_back(d.name, d.time, d.day, d.arrival);
    }
    for (const DoubtfulLine& d : dater.doubtful()) out.doubtful.append({d.line, d.day});
    out.skipped = dater.skipped();
    return out;
}

// Dated by `start` one line at a time over the whole file and a block of lines at a time as
// the report reads it, lines over `least` bytes and a few more skipped: the same. No record
// lies after the bound.
const char* checkBlocks(std::string_view file, const RecordDater& start, int64_t from, int64_t to,
                        size_t least, Dating& whole) {
    const auto oneByOne = [](const auto& lines) {
        return [&lines, line = lines.rbegin()](std::vector<std::string_view>& one) mutable {
            return line != lines.rend() && (one.assign(1, *line++), true);
        };
    };
    const auto lines = forwardLines(file, longestLineFor(file, least));
    whole = dateAll(start, from, to, oneByOne(lines));
    for (const Dated& d : whole.records)
        if (std::get<2>(d) > start.bound()) return "a record dated after the bound";
    BackwardLineReader reader = inBlocks(file, least);
    const Dating blocks = dateAll(start, from, to, [&](std::vector<std::string_view>& some) {
        return reader.previousLines(some);
    });
    if (whole != blocks) return "dated in blocks and whole differ";
    // A space before each line, which the files' rules pass over, takes away the terminal's
    // own shape that most lines are read by: the same records.
    std::vector<std::string> spaced;
    for (const std::string_view l : lines)
        spaced.push_back((l.empty() ? "" : " ") + std::string(l));
    const Dating general = dateAll(start, from, to, oneByOne(spaced));
    const bool same = general.records == whole.records && general.skipped == whole.skipped;
    return same ? nullptr : "lines read by their shape and by the rules differ";
}

// A terminal-like file whose records' true dates are known: teachers arriving and leaving on
// most days across New Years, with what real files hold. A leaving forgotten and written
// late before the next arrival, however long the teacher was away, sometimes with another
// line between; a morning of a clock set a month ahead, or part of one; a line a day off
// (a clock set back, another PC's around midnight); blank, cut, nameless, garbled lines.
// The choices come from `choose` (a number below its argument).
struct TerminalFile {
    QByteArray bytes;
    std::vector<int64_t> days; // of its records, from the first
    QList<std::pair<QByteArray, int64_t>> outOfPlace;
    int garbage = 0;
    int64_t bound = 0;
    bool lastYear = false; // the bound ends the last record's year
    bool allNamed = false; // every record out of place is named
};

TerminalFile terminalFile(const std::function<uint32_t(uint32_t)>& choose) {
    static const char* const kNames[] = {"T0", "\x8d\x82\x8b\xb4", "Sato, Hanako", "T3",
                                         "\x97\xe9\x96\xd8\x81\x40\x89\xd4"};
    static const char* const kGarbage[] = {
        "\"\",\"07/01\",\"8:00\",\"\x8f\x6f\"", "\"T1\x01\",\"07/01\",\"8:00\",\"\x8f\x6f\"",
        "\"T1\",\"13/40\",\"8:00\",\"\x8f\x6f\"", "\"T1\",\"07/0"};
    TerminalFile file;
    int recent = 0; // records since the last out of place
    const auto record = [&](int t, int64_t day, bool arrival, bool outOfPlace) {
        const QByteArray line = quotedLine(
            {kNames[t], QDate::fromJulianDay(day).toString(QStringLiteral("MM/dd")).toLatin1(),
             arrival ? "8:00" : "17:00", arrival ? "\x8f\x6f" : "\x91\xde"});
        file.bytes += line;
        file.days.push_back(day);
        file.bound = std::max(file.bound, day);
        if (outOfPlace) file.outOfPlace.append({line.chopped(2), day});
        recent = outOfPlace ? 0 : recent + 1;
    };
    const auto garbage = [&] {
        const uint32_t kind = choose(std::size(kGarbage) + 1);
        file.bytes += kind ? QByteArray(kGarbage[kind - 1]) + "\r\n" : "\r\n";
        file.garbage += kind != 0;
    };
    const int teachers = 1 + int(choose(std::size(kNames)));
    const int64_t first = julianDay(2020, 1, 1) + choose(3000), last = first + 20 + choose(450);
    std::vector<int64_t> away(size_t(teachers), 0), forgotten(size_t(teachers), -1);
    int pending = 0;
    for (int64_t day = first; day <= last; ++day) {
        if (QDate::fromJulianDay(day).dayOfWeek() > 5 && choose(4) != 0) continue;
        const int64_t ahead = recent >= 5 && choose(40) == 0 ? 20 + choose(21) : 0;
        const bool wholeMorning = choose(2) == 0;
        std::vector<int> came;
        for (int t = 0; t < teachers; ++t) {
            // The first never away: a clock set ahead is told only from records close by.
            if (away[size_t(t)] > day || (t > 0 && choose(10) == 0)) continue;
            if (t > 0 && pending == 0 && choose(300) == 0) {
                away[size_t(t)] = day + 30 + choose(260); // a leaving forgotten that long
                continue;
            }
            came.push_back(t);
            if (forgotten[size_t(t)] >= 0) {
                record(t, forgotten[size_t(t)], false, day - forgotten[size_t(t)] > 1);
                if (choose(3) == 0) garbage();
                forgotten[size_t(t)] = -1;
                --pending;
            }
            const bool early = ahead > 0 && (wholeMorning || choose(3) == 0);
            record(t, day + (early ? ahead : 0), true, early);
            if (choose(50) == 0) garbage();
        }
        for (int t : came) {
            if (pending < 2 && choose(25) == 0) {
                forgotten[size_t(t)] = day, ++pending;
            } else {
                const bool off = recent >= 5 && choose(30) == 0;
                record(t, day + (off ? 1 - 2 * int64_t(choose(2)) : 0), false, off);
            }
            if (choose(50) == 0) garbage();
        }
    }
    file.bound += choose(3);
    return file;
}

// The file's records get their true dates, and only lines out of place are named.
const char* checkTerminalFile(const TerminalFile& file) {
    Dating got;
    const RecordDater start(file.bound, file.lastYear);
    if (const char* broken = checkBlocks(view(file.bytes), start, INT64_MIN, INT64_MAX, 1000, got))
        return broken;
    std::vector<int64_t> days;
    for (const Dated& d : got.records) days.push_back(std::get<2>(d));
    if (!std::equal(days.begin(), days.end(), file.days.rbegin(), file.days.rend()))
        return "a record dated otherwise than it was written";
    if (got.skipped != file.garbage) return "a record skipped";
    auto outOfPlace = file.outOfPlace;
    for (const auto& named : got.doubtful)
        if (!outOfPlace.removeOne(named)) return "a record in place named";
    return file.allNamed && !outOfPlace.isEmpty() ? "a record out of place not named" : nullptr;
}

// Any bytes as a file.
const char* checkDatedBytes(std::string_view in) {
    if (in.empty()) return nullptr;
    const int64_t bound = julianDay(2026, 1, 1) + 2 * uint8_t(in[0]);
    const std::string_view file = in.substr(1);
    const int64_t from = bound - 40 * int64_t(1 + file.size() % 12),
                  to = bound - 20 * int64_t(file.size() % 3);
    Dating whole;
    return checkBlocks(file, RecordDater(bound), from, to, 30, whole); // most records whole
}

// Any bytes as a file, and as the choices of a terminal-like file.
const char* checkDates(std::string_view in) {
    if (const char* broken = checkDatedBytes(in)) return broken;
    size_t at = 0;
    uint64_t state = std::hash<std::string_view>{}(in);
    return checkTerminalFile(terminalFile([&](uint32_t n) -> uint32_t {
        if (at < in.size()) return uint8_t(in[at++]) % n;
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return uint32_t(state >> 33) % n;
    }));
}

// The days off read from a file against a forward reading: the same days, or the message
// naming the first line that is no date.
const char* checkDaysOff(std::string_view in) {
    static const QTemporaryDir dir;
    const QString path = dir.filePath("daysoff.txt");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(in.data(), qsizetype(in.size())) < 0)
        return "the input cannot be written";
    file.close();
    QSet<QDate> days;
    QString message;
    int number = 0;
    for (std::string_view bytes : forwardLines(in, std::string_view::npos)) {
        ++number;
        if (bytes.size() > size_t(kLongestLine) && message.isEmpty())
            message = texts::kDayOffTooLong.arg(path, QString::number(number));
        if (bytes.size() > size_t(kLongestLine)) continue;
        const QString line = QString::fromUtf8(bytes.data(), qsizetype(bytes.size())).trimmed();
        const QDate day = QDate::fromString(line, QStringLiteral("yyyy-MM-dd"));
        if (day.isValid()) days.insert(day);
        if (message.isEmpty() && !day.isValid() && !line.isEmpty() && !line.startsWith(u'#'))
            message = texts::kBadDayOff.arg(path, QString::number(number), line);
    }
    try {
        return readDaysOff(path) == days && message.isEmpty() ? nullptr : "days off differ";
    } catch (const Failure& failure) {
        return failure.message() == message ? nullptr : "days off refused otherwise";
    }
}

// The rule the input breaks, or nullptr.
const char* check(std::string_view target, std::string_view in) {
    if (target == "dates") return checkDates(in);
    if (target == "daysoff") return checkDaysOff(in);
    if (target == "fields") {
        FieldReader fields(in);
        const std::string_view first = fields.atEnd() ? "" : fields.next();
        while (!fields.atEnd()) fields.next();
        std::vector<std::string> lines; // a line read backwards lives until the next is read
        BackwardLineReader blocks = inBlocks(in);
        for (std::string_view line; blocks.previous(line);) lines.emplace(lines.begin(), line);
        const auto forward = forwardLines(in, longestLineFor(in));
        if (lines != std::vector<std::string>(forward.begin(), forward.end()))
            return "lines differ";
        std::vector<std::string> batched;
        BackwardLineReader batches = inBlocks(in);
        for (std::vector<std::string_view> some; batches.previousLines(some);)
            for (std::string_view line : some) batched.emplace(batched.begin(), line);
        if (batched != lines) return "lines taken a block at a time differ";
        return firstFieldIs(in, first) == !in.empty() ? nullptr : "firstFieldIs disagrees";
    }
    if (target == "cp932") {
        const QString text = fromCp932(in);
        const auto bytes = toCp932(text);
        return !bytes || fromCp932(view(*bytes)) == text ? nullptr : "CP932 does not read back";
    }
    // records, registry: a key length, the key in CP932, then the file.
    if (in.empty()) return nullptr;
    const std::string_view key = in.substr(1, uint8_t(in[0])), file = in.substr(1 + key.size());
    const QString name = fromCp932(key);
    if (toCp932(name) != QByteArray(key.data(), qsizetype(key.size()))) return nullptr;
    const size_t count = target == "records" ? 4 : 2;
    // A forward reading's answer, and the backward one in blocks as from a file: the same.
    std::string_view f[4], last[4];
    bool found = false;
    for (std::string_view line : forwardLines(file, longestLineFor(file)))
        if (firstFieldIs(line, key) && readFields(line, f, count) == count)
            found = true, std::copy(f, f + count, last);
    BackwardLineReader blocks = inBlocks(file);
    if (target == "records") {
        const AttendanceRecord expected{fromCp932(last[0]), fromCp932(last[1]), fromCp932(last[2]),
                                        fromCp932(last[3])};
        const bool same = lastRecordIn(blocks, name) == (found ? expected : AttendanceRecord{});
        return same ? nullptr : "records differ";
    }
    const QString registered = found ? fromCp932(last[1]) : QString();
    const bool same =
        registeredName(blocks, name) == (isStorableName(registered) ? registered : "");
    return same ? nullptr : "registry differs";
}

} // namespace

#ifdef VELMORA_FUZZ_TARGET
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const char* rule = check(VELMORA_FUZZ_TARGET, {reinterpret_cast<const char*>(data), size}))
        std::fprintf(stderr, "rule broken: %s\n", rule), std::abort();
    return 0;
}
#else
#include "report/report.h"

#include <QDateTime>
#include <QDirIterator>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(FuzzCorpus, EveryStoredInputKeepsTheRules) {
    int inputs = 0;
    for (QDirIterator it(VELMORA_FUZZ_CORPUS, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext(); ++inputs) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_STREQ(check(it.fileInfo().dir().dirName().toStdString(), view(bytes)), nullptr)
            << it.filePath().toStdString();
    }
    EXPECT_GT(inputs, 20);
}

// Terminal-like files of a few seeds get their true dates; make fuzz tries many more.
// A file in words, each one line: [出]MM/DD[b|c][=YYYY][!|-] a leaving (出: an arrival) of A
// (b: B, c: C) truly in that year (else the row's), named for the office to check (!) or
// skipped (-); MM/DD..MM/DD[b|c][=YYYY] an arrival and a leaving a day from the one to the
// other, over New Year if need be; x a line of two fields, ~ one cut short, ? a nameless line,
// ^ a name with a control character, _ a blank line.
TerminalFile fileOf(const char* bound, int year, const char* words) {
    static const QRegularExpression word(
        u"^(出)?(\\d\\d/\\d\\d)(?:\\.\\.(\\d\\d/\\d\\d))?([bc]?)(?:=(\\d{4}))?([!-]?)$"_s);
    TerminalFile file;
    file.lastYear = strlen(bound) == 4;
    file.bound = file.lastYear ? julianDay(atoi(bound), 12, 31)
                               : QDate::fromString(bound, Qt::ISODate).toJulianDay();
    file.allNamed = true;
    auto line = [&](const QByteArray& name, QDate day, bool arrival, const QString& mark) {
        const QByteArray text =
            quotedLine({name, day.toString(u"MM/dd"_s).toLatin1(), arrival ? "8:00" : "17:00",
                        arrival ? "\x8f\x6f" : "\x91\xde"});
        file.bytes += text;
        if (mark == u"-") ++file.garbage;
        if (mark != u"-") file.days.push_back(day.toJulianDay());
        if (mark == u"!") file.outOfPlace.append({text.chopped(2), day.toJulianDay()});
    };
    for (const QString& w : QString::fromUtf8(words).split(u' ')) {
        // clang-format off
        static const char* const others[] = {"\"A\",\"01/01\"", "\"A\",\"05/2", "\"\",\"03/05\",\"9:00\",\"\x8f\x6f\"", "\"A\x1b\",\"03/05\",\"9:00\",\"\x8f\x6f\"", ""};
        // clang-format on
        if (const qsizetype k = u"x~?^_"_s.indexOf(w); w.size() == 1 && k >= 0) {
            file.bytes += others[k] + "\r\n"_ba, file.garbage += k < 4;
            continue;
        }
        const auto m = word.match(w);
        EXPECT_TRUE(m.hasMatch()) << qPrintable(w);
        const QByteArray name = m.captured(4).isEmpty() ? "A" : m.captured(4).toUpper().toLatin1();
        const int y = m.captured(5).isEmpty() ? year : m.captured(5).toInt();
        QDate day = QDate::fromString(QString::number(y) + m.captured(2), u"yyyyMM/dd"_s);
        if (!day.isValid()) day = QDate(y, 2, 29); // in no year: skipped
        if (m.captured(3).isEmpty()) {
            line(name, day, !m.captured(1).isEmpty(), m.captured(6));
            continue;
        }
        for (;; day = day.addDays(1)) {
            line(name, day, true, {});
            line(name, day, false, {});
            if (day.toString(u"MM/dd"_s) == m.captured(3)) break;
        }
    }
    return file;
}

// The file's modification day (a year: the last record's), the year of records without one.
// clang-format off
struct DatingCase { const char* what; const char* bound; int year; const char* lines; };
const DatingCase kDating[] = {
    {"New Year",                  "2026", 2025, "12/30 12/31 01/04=2026 01/05=2026"},
    {"a day back at the end",     "2026-07-31", 2026, "07/01..07/31 07/30b"},
    {"a day back in the middle",  "2027-01-04", 2026, "07/01..07/15 07/14b 07/15..07/31 12/27..01/03 01/04=2027"},
    {"a month-ahead morning",     "2027-01-02", 2026, "06/01..06/15 出07/16b! 出07/16c! 06/16..07/31 12/29..01/02"},
    {"a month-ahead morning at the end, past the bound", "2026-07-31", 2026, "07/01..07/30 出08/30=2025!"},
    {"two PCs around midnight",   "2026-07-16", 2026, "07/10..07/14 07/15b 07/14c 出07/15 07/15 出07/16b 07/15c"},
    {"a nameless line",           "2025-06-01", 2025, "出05/22 05/22 ? 出05/28 05/28"},
    {"garbled lines",             "2026-11-30", 2026, "11/30 x 13/01- ^ 02/30-"},
    {"a leaving 320 days late",   "2026-09-10", 2025, "出08/28 08/29..07/13b 08/28 _ 出07/14=2026 07/14=2026 07/15..09/10b=2026"},
    {"the same, not as a pair",   "2027-01-03", 2025, "出08/28 08/29..07/13b 08/28! ~ 出07/14b=2026 07/14..01/03=2026"},
    {"two late leavings side by side", "2027-01-04", 2026, "出04/01 出04/01c 04/01..07/10b 04/01! 04/01c! 出07/11 出07/11c 07/11..01/04b"},
    {"a late pair with a blank, a cut and an unreadable line between", "2026-07-02", 2026, "出04/01 04/02..06/30b 04/01 _ ~ x 出07/01 07/01"},
    {"a leaving a day late, the file going on", "2026-09-03", 2026, "出07/01 出07/02b 07/01 07/02b 07/03..09/03b"},
    {"a leaving late without its arrival", "2026-12-31", 2026, "出04/10 07/13b 04/10! 出07/14b 出07/15"},
    {"a late pair",               "2026", 2025, "出09/30 12/20b 09/30 出01/05=2026"},
    {"a record out of order",     "2026-12-31", 2026, "06/20 06/21 06/18! 08/25"},
    {"a gap",                     "2026-12-31", 2026, "03/19 04/06 07/18 08/25"},
    {"runs out of order",         "2026-12-31", 2026, "06/20 06/18! 06/18! 08/25"},
    {"a clock set back",          "2026-12-31", 2026, "07/20b 07/20 出07/15! 08/01"},
    {"a pair before a run",       "2026-12-31", 2026, "出04/12 04/10b 出07/15b 出07/15"},
    {"a leap day",                "2024-12-31", 2024, "02/28 02/29 03/01"},
    {"no leap day",               "2025-12-31", 2025, "02/28 02/29- 03/01"},
    {"a leap day the year before","2025-12-31", 2024, "02/29 12/31 01/02=2025"},
};
// clang-format on

TEST(Dating, GivesTheDatesTheLinesTrulyHad) {
    for (const DatingCase& c : kDating)
        EXPECT_STREQ(checkTerminalFile(fileOf(c.bound, c.year, c.lines)), nullptr) << c.what;
}

// The report of such files, with a month or the newest: each teacher's days with a record in
// it, and the lines named.
TEST(Dating, GivesTheReportTheTrueDays) {
    // clang-format off
    const char* const cases[][4] = {
        {"2026-07-31", "07/01..07/31 07/30b", "", "2026-07 A:31 B:1 | 0"},
        {"2026-09-03", "出07/01 出07/02b 07/01 07/02b 07/03..09/03b", "2026-07", "2026-07 A:1 B:30 | 0"}};
    // clang-format on
    QTemporaryDir dir;
    for (const auto& [modified, lines, month, expected] : cases) {
        QFile file(dir.filePath(u"Velmora.dat"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) &&
                    file.write(fileOf(modified, 2026, lines).bytes) && file.flush() &&
                    file.setFileTime(QDateTime::fromString(modified, Qt::ISODate),
                                     QFile::FileModificationTime));
        ReportRequest request{{file.fileName()}, {}, {}, {}};
        if (*month) request.month = QDate::fromString(month, u"yyyy-MM"_s);
        const MonthReport report = buildReport(request);
        QStringList got{report.month.toString(u"yyyy-MM"_s)};
        const auto worked = [](const Day& d) { return d.arrival >= 0 || d.leaving >= 0; };
        for (const TeacherMonth& t : report.teachers)
            got << t.name + u':' + QString::number(std::ranges::count_if(t.days, worked));
        EXPECT_EQ(got.join(u' ') + u" | "_s + QString::number(report.warnings.size()), expected);
    }
}

TEST(FuzzCorpus, RandomFilesOfShortLinesKeepTheRules) {
    // clang-format off
    const char* pieces[] = {"\"a\"", "\"b\"", ",", "\"07/01\"", "\"\x8F\x6F\"", " ", "\r", "\n", "\r\n", "x"};
    // clang-format on
    // Seeded, so that a failure comes back on the next run.
    const quint32 seed = 20261207;
    QRandomGenerator random(seed);
    for (int round = 0; round < 2000; ++round) {
        std::string in = round % 2 ? "\x03\"a\"" : std::string("\x01") + "b";
        if (round % 3 == 0) in += "\xEF\xBB\xBF"; // a byte-order mark starting the file
        // Some long enough for the line ends to be looked for 64 bytes at a time.
        for (int n = random.bounded(round % 4 ? 30 : 300); n-- > 0;)
            in += pieces[random.bounded(int(std::size(pieces)))];
        for (const char* target : {"records", "registry", "fields", "dated bytes"})
            ASSERT_STREQ(*target == 'd' ? checkDatedBytes(in) : check(target, in), nullptr)
                << in << " (round " << round << " of seed " << seed << ")";
    }
}
#endif
