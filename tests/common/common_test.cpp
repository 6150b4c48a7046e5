// CP932 byte for byte, the files' field rules, and the backward line reader against a plain
// forward reading.

#include "attendance/recordfile.h"
#include "common/cp932.h"
#include "common/fields.h"
#include "common/names.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

using V = std::vector<std::string>;

V fieldsOf(std::string_view line) {
    V out;
    for (FieldReader r(line); !r.atEnd();) out.emplace_back(r.next());
    return out;
}

// The lines as a plain forward reading splits them: CR LF, CR or LF ends a line.
V forwardLines(const std::string& data) {
    V out;
    for (size_t pos = 0; pos < data.size();) {
        size_t end = std::min(data.find('\r', pos), data.find('\n', pos));
        out.push_back(data.substr(pos, end - pos));
        if (end == std::string::npos) break;
        pos = end + (data.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return out;
}

} // namespace

TEST(Cp932, ByteForByteAndRefusals) {
    struct Case {
        QString text;
        std::optional<QByteArray> cp932; // none: refused
    } cases[] = {
        {"職員A", "\x90\x45\x88\xF5" "A"}, {"出退", "\x8F\x6F\x91\xDE"}, {"･", "\xA5"},
        {"a,b", "a,b"}, {"", ""}, {QString(3, QChar(0)), QByteArray(3, '\0')},
        {"😀", {}}, {"职员", {}}, {"한", {}},
        // Look-alikes only: stored, they would read back as other characters.
        {"¥", {}}, {"〜", {}}, {"−", {}}, {"¢", {}}, {"—", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toCp932(c.text), c.cp932) << c.text.toStdString();
        EXPECT_EQ(fromCp932(view(c.cp932.value_or(""))), c.cp932 ? c.text : "");
        EXPECT_EQ(isStorableName(c.text), c.cp932.has_value());
    }
    for (const char* name : {"a\"b", "a\r", "a\n"}) EXPECT_FALSE(isStorableName(name));
    // A lead byte at the end, a lone byte out of range: each becomes U+FFFD.
    EXPECT_EQ(fromCp932("A\x90"), QStringLiteral("A\uFFFD"));
    EXPECT_EQ(fromCp932("\xFF" "A"), QStringLiteral("\uFFFDA"));
}

TEST(Fields, ReadByTheFilesRules) {
    struct Case {
        std::string line;
        V fields;
    } cases[] = {
        {R"("a","07/01","8:05","出")", {"a", "07/01", "8:05", "出"}},
        {R"("山田, 太郎","x")", {"山田, 太郎", "x"}},
        {R"(   "a"  ,  b  )", {"a", "b"}},
        {R"(a b , c)", {"a b", "c"}},
        {R"("a"junk,"b")", {"a", "b"}},
        {R"(,x)", {"", "x"}},
        {R"("a",)", {"a", ""}},
        {R"("abc)", {"abc"}},
        {R"(a"b",c)", {"a\"b\"", "c"}},
        {"", {}},
        {"   ", {""}},
        {std::string("\"a\0b\",c", 7), {std::string("a\0b", 3), "c"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fieldsOf(c.line), c.fields) << c.line;
        for (const char* key : {"a", "", "山田, 太郎", "ab"})
            EXPECT_EQ(firstFieldIs(c.line, key), !c.fields.empty() && c.fields[0] == key) << c.line << key;
    }
    EXPECT_EQ(quotedLine({"x,y", "07/01", ""}), QByteArray("\"x,y\",\"07/01\",\"\"\r\n"));
}

// Random files of short lines with every kind of line end, read backwards from bytes at hand
// and from a file in blocks of every small size, against the forward reading above.
TEST(BackwardLines, AgreeWithAForwardReading) {
    QTemporaryDir dir;
    DataFolder files{QDir(dir.path())};
    auto* random = QRandomGenerator::global();
    const char* pieces[] = {"\"a\"", "\"b\"", ",", "\"07/01\"", "\"8:05\"", "\"出\"", " ", "\r", "\n", "\r\n", "x"};
    for (int round = 0; round < 400; ++round) {
        std::string data;
        for (int n = random->bounded(30); n-- > 0;) data += pieces[random->bounded(int(std::size(pieces)))];
        const V lines = forwardLines(data);
        for (const char* name : {"a", "b"}) {
            AttendanceRecord expected;
            for (const std::string& line : lines) {
                std::string_view f[4];
                if (firstFieldIs(line, name) && readFields(line, f, 4) == 4)
                    expected = {name, fromCp932(f[1]), fromCp932(f[2]), fromCp932(f[3])};
            }
            EXPECT_EQ(lastRecordIn(data, name), expected) << data;
            QFile file(dir.filePath(kRecordFile));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(data.data(), qint64(data.size())) >= 0);
            file.close();
            EXPECT_EQ(findLastRecord(files, name, 1 + round % 24), expected) << data;
        }
        V backward;
        BackwardLineReader reader(data);
        for (std::string_view line; reader.previous(line);) backward.insert(backward.begin(), std::string(line));
        EXPECT_EQ(backward, lines) << data;
    }
}
