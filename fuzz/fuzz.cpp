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

// The records of `lines` (the file's, from the last) from `from` to `to`, given `step` lines
// at a time (0: as they come), as the report reads them.
struct DatingResult {
    std::vector<Dated> records;
    std::vector<std::pair<QByteArray, int64_t>> doubtful;
    int skipped = 0;
    int64_t newest = -1;
    bool operator==(const DatingResult&) const = default;
};
template <typename Next> DatingResult dateAll(int64_t bound, int64_t from, int64_t to, Next next) {
    DatingResult out;
    RecordDater dater(bound);
    std::vector<DatedRecord> dated;
    const auto keep = [&] {
        for (const DatedRecord& d : dated)
            out.records.emplace_back(d.name, d.time, d.day, d.arrival);
    };
    for (std::vector<std::string_view> some; dater.bound() >= from && next(some);) {
        dater.dateLines(some, from, from, to, dated);
        keep();
    }
    dater.finish(from, to, dated);
    keep();
    for (const DoubtfulLine& d : dater.doubtful()) out.doubtful.emplace_back(d.line, d.day);
    out.skipped = dater.skipped();
    out.newest = dater.newest();
    return out;
}

// Dated one line at a time over the whole file and a block of lines at a time as the report
// reads it: the same records of the days kept. No record lies after the bound.
const char* checkBlocks(std::string_view file, int64_t bound, int64_t from, int64_t to) {
    const auto lines = forwardLines(file, longestLineFor(file, 30)); // most records whole
    auto line = lines.rbegin();
    const DatingResult whole = dateAll(bound, from, to, [&](std::vector<std::string_view>& one) {
        if (line == lines.rend()) return false;
        one.assign(1, *line++);
        return true;
    });
    for (const Dated& d : whole.records)
        if (std::get<2>(d) > bound) return "a record dated after the bound";
    BackwardLineReader reader = inBlocks(file, 30);
    const DatingResult blocks = dateAll(bound, from, to, [&](std::vector<std::string_view>& some) {
        return reader.previousLines(some);
    });
    return whole == blocks ? nullptr : "dated in blocks and whole differ";
}

// A terminal-like file whose records' true dates are known: teachers arriving and leaving on
// most days across New Years, with what real files hold. A leaving forgotten and written
// late before the next arrival, however long the teacher was away, sometimes with another
// line between; a morning of a clock set a month ahead, or part of one; a line a day off
// (a clock set back, another PC's around midnight); blank, cut, nameless, garbled lines.
// The choices come from `choose` (a number below its argument).
struct TerminalFile {
    QByteArray bytes;
    std::vector<int64_t> days; // of its records, from the last; -1 for a line no teacher's
    std::vector<bool> outOfPlace;
    int64_t bound = 0;
};

TerminalFile terminalFile(const std::function<uint32_t(uint32_t)>& choose) {
    static const char* const kNames[] = {
        "T0", "\x8d\x82\x8b\xb4", "Sato, Hanako", "T3", "\x97\xe9\x96\xd8\x81\x40\x89\xd4", "T5",
        "T6"};
    static const char* const kGarbage[] = {"",
                                           "\"\",\"07/01\",\"8:00\",\"\x8f\x6f\"",
                                           "\"T1\x01\",\"07/01\",\"8:00\",\"\x8f\x6f\"",
                                           "\"T1\",\"7/x1\",\"8:00\",\"\x8f\x6f\"",
                                           "\"T1\",\"13/40\",\"8:00\",\"\x8f\x6f\"",
                                           "\"T1\",\"07/01\",\"8:"};
    struct Line {
        QByteArray text;
        int64_t day;
        bool outOfPlace;
    };
    std::vector<Line> lines;
    int recent = 0; // lines out of place among the last records
    const auto record = [&](int t, int64_t day, bool arrival, bool outOfPlace) {
        const QByteArray date =
            QDate::fromJulianDay(day).toString(QStringLiteral("MM/dd")).toLatin1();
        lines.push_back({quotedLine({kNames[t], date, arrival ? "8:00" : "17:00",
                                     arrival ? "\x8f\x6f" : "\x91\xde"})
                             .chopped(2),
                         day, outOfPlace});
        recent = outOfPlace ? 5 : std::max(0, recent - 1);
    };
    const auto garbage = [&] {
        lines.push_back({kGarbage[choose(std::size(kGarbage))], -1, false});
    };
    const int teachers = 1 + int(choose(std::size(kNames)));
    const int64_t first = julianDay(2020, 1, 1) + choose(3000), last = first + 20 + choose(450);
    std::vector<int64_t> away(size_t(teachers), 0), forgotten(size_t(teachers), -1);
    int pending = 0;
    for (int64_t day = first; day <= last; ++day) {
        if (QDate::fromJulianDay(day).dayOfWeek() > 5 && choose(4) != 0) continue;
        const int64_t ahead = recent == 0 && choose(40) == 0 ? 20 + choose(21) : 0;
        const bool wholeMorning = choose(2) == 0;
        std::vector<int> came;
        for (int t = 0; t < teachers; ++t) {
            if (away[size_t(t)] > day || choose(10) == 0) continue;
            if (t > 0 && pending == 0 && choose(300) == 0) {
                // Away for long: a leaving forgotten the day before is written up to 300 days late.
                away[size_t(t)] = day + 30 + choose(260);
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
                forgotten[size_t(t)] = day;
                ++pending;
                continue;
            }
            const bool off = recent == 0 && choose(30) == 0;
            record(t, day + (off ? 1 - 2 * int64_t(choose(2)) : 0), false, off);
            if (choose(50) == 0) garbage();
        }
    }
    TerminalFile file;
    for (const Line& line : lines) {
        file.bytes += line.text + "\r\n";
        file.bound = std::max(file.bound, line.day);
    }
    file.bound += choose(3);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        file.days.push_back(line->day);
        file.outOfPlace.push_back(line->outOfPlace);
    }
    return file;
}

// The generated file's records get their true dates, and only lines out of place are named.
const char* checkTerminalFile(const TerminalFile& file) {
    const auto lines = forwardLines(view(file.bytes), size_t(kLongestLine));
    auto line = lines.rbegin();
    DatingResult got = dateAll(file.bound, INT64_MIN, INT64_MAX, [&](auto& one) {
        if (line == lines.rend()) return false;
        one.assign(1, *line++);
        return true;
    });
    std::vector<int64_t> expected, days;
    int garbage = 0;
    for (int64_t day : file.days) day < 0 ? void(++garbage) : expected.push_back(day);
    for (const Dated& d : got.records) days.push_back(std::get<2>(d));
    if (days != expected) return "a record dated otherwise than it was written";
    // Blank lines are not counted.
    if (got.skipped > garbage) return "a record skipped";
    QList<std::pair<QByteArray, int64_t>> outOfPlace;
    for (size_t i = 0; i < file.days.size(); ++i)
        if (file.outOfPlace[i]) {
            const std::string_view text = lines.rbegin()[ptrdiff_t(i)];
            outOfPlace.append({QByteArray(text.data(), qsizetype(text.size())), file.days[i]});
        }
    for (const auto& named : got.doubtful)
        if (!outOfPlace.removeOne(named)) return "a record in place named";
    return checkBlocks(view(file.bytes), file.bound, INT64_MIN, INT64_MAX);
}

// Any bytes as a file.
const char* checkDatedBytes(std::string_view in) {
    if (in.empty()) return nullptr;
    const int64_t bound = julianDay(2026, 1, 1) + 2 * uint8_t(in[0]);
    const std::string_view file = in.substr(1);
    const int64_t from = bound - 40 * int64_t(1 + file.size() % 12),
                  to = bound - 20 * int64_t(file.size() % 3);
    return checkBlocks(file, bound, from, to);
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
    for (std::string_view bytes : forwardLines(in, size_t(kLongestLine))) {
        ++number;
        const QString line = QString::fromUtf8(bytes.data(), qsizetype(bytes.size())).trimmed();
        const QDate day = QDate::fromString(line, QStringLiteral("yyyy-MM-dd"));
        if (day.isValid()) days.insert(day);
        if (message.isEmpty() && !day.isValid() && !line.isEmpty() && !line.startsWith(u'#'))
            message = texts::kBadDayOff.arg(path).arg(number).arg(line);
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
#include <QDirIterator>
#include <QRandomGenerator>
#include <gtest/gtest.h>

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
TEST(FuzzCorpus, TerminalFilesGetTheirTrueDates) {
    for (quint32 seed = 1; seed <= 12; ++seed) {
        QRandomGenerator random(seed);
        const TerminalFile file = terminalFile([&](uint32_t n) { return random.bounded(n); });
        EXPECT_STREQ(checkTerminalFile(file), nullptr) << "seed " << seed;
    }
}

TEST(FuzzCorpus, RandomFilesOfShortLinesKeepTheRules) {
    const char* pieces[] = {"\"a\"", "\"b\"", ",",  "\"07/01\"", "\"\x8F\x6F\"",
                            " ",     "\r",    "\n", "\r\n",      "x"};
    // Seeded, so that a failure comes back on the next run.
    const quint32 seed = 20261207;
    QRandomGenerator random(seed);
    for (int round = 0; round < 2000; ++round) {
        std::string in = round % 2 ? "\x03\"a\""
                                   : "\x01"
                                     "b";
        if (round % 3 == 0) in += "\xEF\xBB\xBF"; // a byte-order mark starting the file
        // Some long enough for the line ends to be looked for 64 bytes at a time.
        for (int n = random.bounded(round % 4 ? 30 : 300); n-- > 0;)
            in += pieces[random.bounded(int(std::size(pieces)))];
        for (const char* target : {"records", "registry", "fields"})
            ASSERT_STREQ(check(target, in), nullptr)
                << in << " (round " << round << " of seed " << seed << ")";
        ASSERT_STREQ(checkDatedBytes(in), nullptr) << in << " (round " << round << ")";
    }
}
#endif
