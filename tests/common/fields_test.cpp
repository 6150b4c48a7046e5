#include "fields.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velmora;

namespace {

std::vector<std::string> fieldsOf(std::string_view line) {
    std::vector<std::string> out;
    FieldReader reader(line);
    while (!reader.atEnd()) out.emplace_back(reader.next());
    return out;
}

std::vector<std::string> linesOf(std::string_view data) {
    std::vector<std::string> out;
    LineReader reader(data);
    std::string_view line;
    while (reader.next(line)) out.emplace_back(line);
    return out;
}

using V = std::vector<std::string>;

} // namespace

TEST(FieldReader, ReadsFieldsByTheFilesRules) {
    struct Case {
        std::string line;
        V fields;
    } cases[] = {
        {R"("a","07/01","8:05","出")", {"a", "07/01", "8:05", "出"}},
        {R"("山田, 太郎","x")", {"山田, 太郎", "x"}},            // comma inside quotes
        {R"(   "a"  ,  b  )", {"a", "b"}},                       // spaces around
        {R"(a b , c)", {"a b", "c"}},                            // inner space kept
        {R"("a"junk,"b")", {"a", "b"}},                          // after the quote: dropped
        {R"("","x")", {"", "x"}},                                // empty quoted field
        {R"(,x)", {"", "x"}},
        {R"("a",)", {"a", ""}},                                  // trailing comma
        {R"("abc)", {"abc"}},                                    // lone quote runs to the end
        {R"(a"b",c)", {"a\"b\"", "c"}},                          // quote inside unquoted
        {"", {}},                                                // blank line
        {"   ", {""}},
        {std::string("\"a\0b\",c", 7), {std::string("a\0b", 3), "c"}},
    };
    for (const auto& c : cases) EXPECT_EQ(fieldsOf(c.line), c.fields) << c.line;
}

TEST(LineReader, SplitsOnEveryKindOfLineEnd) {
    struct Case {
        std::string data;
        V lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},        // no final line end
        {"a\nb\rc\r\n", {"a", "b", "c"}},
        {"\r\n\r\na", {"", "", "a"}},  // blank lines
        {"a\r\r\nb", {"a", "", "b"}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(linesOf(c.data), c.lines) << c.data;
}

TEST(QuotedLine, WritesQuotedFieldsAndCrLf) {
    EXPECT_EQ(quotedLine({"a", "07/01", "8:05", ""}), QByteArray(R"("a","07/01","8:05","")"
                                                                 "\r\n"));
    EXPECT_EQ(quotedLine({"x,y"}), QByteArray("\"x,y\"\r\n"));
}

TEST(FieldReader, ReadsBackWhatTheWriterWrote) {
    for (const char* name : {"a", "a,b", " a ", "", ",,,"}) {
        QByteArray line = quotedLine({name, "07/01"});
        line.chop(2);
        EXPECT_EQ(fieldsOf(view(line)), (V{name, "07/01"}));
    }
}
