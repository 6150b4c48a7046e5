// Any bytes through the field reader, CP932 and the two lookups, which must agree with a
// plain forward reading of the same file. Built once a target as a libFuzzer program (make
// fuzz); in the test suite the stored corpus is replayed through the same checks.

#include "attendance/recordfile.h"
#include "cards/cards.h"
#include "common/cp932.h"
#include "common/fields.h"
#include "common/names.h"

#include <string>
#include <vector>

namespace {

using namespace velmora;

std::vector<std::string_view> forwardLines(std::string_view data) {
    std::vector<std::string_view> lines;
    for (size_t pos = 0; pos < data.size();) {
        const size_t end = std::min(data.find('\r', pos), data.find('\n', pos));
        lines.push_back(data.substr(pos, end - pos));
        if (end == std::string_view::npos) break;
        pos = end + (data.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return lines;
}

// The rule the input breaks, or nullptr.
const char* check(std::string_view target, std::string_view in) {
    if (target == "fields") {
        FieldReader fields(in);
        const std::string_view first = fields.atEnd() ? "" : fields.next();
        while (!fields.atEnd()) fields.next();
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
    std::string_view f[4], last[4];
    bool found = false;
    for (std::string_view line : forwardLines(file))
        if (firstFieldIs(line, key) && readFields(line, f, count) == count)
            found = true, std::copy(f, f + count, last);
    if (target == "records") {
        const AttendanceRecord expected{fromCp932(last[0]), fromCp932(last[1]), fromCp932(last[2]),
                                        fromCp932(last[3])};
        return lastRecordIn(file, name) == (found ? expected : AttendanceRecord{})
                   ? nullptr
                   : "records differ";
    }
    const QString registered = found ? fromCp932(last[1]) : QString();
    const bool same = registeredName(file, name) == (isStorableName(registered) ? registered : "");
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
#include <gtest/gtest.h>

TEST(FuzzCorpus, EveryStoredInputKeepsTheRules) {
    int inputs = 0;
    for (QDirIterator it(VELMORA_FUZZ_CORPUS, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext(); ++inputs) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(check(it.fileInfo().dir().dirName().toStdString(), view(bytes)), nullptr)
            << it.filePath().toStdString();
    }
    EXPECT_GT(inputs, 20);
}
#endif
