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

#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
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

// Dated one line at a time over the whole file and a block of lines at a time as the report
// reads it: the same records of the days kept. No record lies after the bound before it.
const char* checkDates(std::string_view in) {
    if (in.empty()) return nullptr;
    const int64_t bound = julianDay(2026, 1, 1) + 2 * uint8_t(in[0]);
    const std::string_view file = in.substr(1);
    const int64_t from = bound - 40 * int64_t(1 + file.size() % 12),
                  to = bound - 20 * int64_t(file.size() % 3);
    using Dated = std::tuple<std::string, std::string, int64_t, bool>;
    std::vector<Dated> whole, blocks;
    RecordDater one(bound), many(bound);
    auto lines = forwardLines(file, longestLineFor(file, 30)); // most records whole
    DatedRecord r;
    for (auto line = lines.rbegin(); line != lines.rend() && one.bound() >= from; ++line) {
        const int64_t before = one.bound();
        if (!one.date(*line, r)) continue;
        if (r.day > before) return "a record dated after the bound";
        if (r.day >= from && r.day <= to) whole.emplace_back(r.name, r.time, r.day, r.arrival);
    }
    BackwardLineReader reader = inBlocks(file, 30);
    std::vector<DatedRecord> dated;
    for (std::vector<std::string_view> some; many.bound() >= from && reader.previousLines(some);) {
        many.dateLines(some, from, from, to, dated);
        for (const DatedRecord& d : dated) blocks.emplace_back(d.name, d.time, d.day, d.arrival);
    }
    const auto sameLine = [](const DoubtfulLine& a, const DoubtfulLine& b) {
        return a.line == b.line && a.day == b.day;
    };
    const bool same = whole == blocks && one.skipped() == many.skipped() &&
                      one.bound() == many.bound() &&
                      std::ranges::equal(one.doubtful(), many.doubtful(), sameLine);
    return same ? nullptr : "dated in blocks and whole differ";
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
        for (const char* target : {"records", "registry", "fields", "dates"})
            ASSERT_STREQ(check(target, in), nullptr)
                << in << " (round " << round << " of seed " << seed << ")";
    }
}
#endif
