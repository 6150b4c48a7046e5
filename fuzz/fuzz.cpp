// Any bytes through the field reader, CP932 and the two lookups, which must agree with a
// plain forward reading of the same file, also when read backwards in small blocks. Built
// once a target as a libFuzzer program (make fuzz); in the test suite the stored corpus and
// random files of short lines go through the same checks.

#include "cards/cards.h"
#include "records/recordfile.h"
#include "storage/cp932.h"
#include "storage/fields.h"
#include "storage/names.h"

#include <cstring>
#include <string>
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
size_t longestLineFor(std::string_view data) { return 4 + data.size() % 37; }
BackwardLineReader inBlocks(std::string_view data) {
    return BackwardLineReader(
        [data, unread = qint64(data.size())](char* end, qint64 limit) mutable {
            const qint64 n = std::min(unread, limit);
            unread -= n;
            std::memcpy(end - n, data.data() + unread, size_t(n));
            return n;
        },
        data.size() % 5 == 0 ? 4096 : 1 + qint64(data.size() % 24), qint64(longestLineFor(data)));
}

// The rule the input breaks, or nullptr.
const char* check(std::string_view target, std::string_view in) {
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
    QRandomGenerator random(20261207);
    for (int round = 0; round < 2000; ++round) {
        std::string in = round % 2 ? "\x03\"a\""
                                   : "\x01"
                                     "b";
        if (round % 3 == 0) in += "\xEF\xBB\xBF"; // a byte-order mark starting the file
        // Some long enough for the line ends to be looked for 64 bytes at a time.
        for (int n = random.bounded(round % 4 ? 30 : 300); n-- > 0;)
            in += pieces[random.bounded(int(std::size(pieces)))];
        for (const char* target : {"records", "registry", "fields"})
            ASSERT_STREQ(check(target, in), nullptr) << in;
    }
}
#endif
