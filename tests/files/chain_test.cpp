// A record file held against its chain after the edits a text editor or a spreadsheet makes.

#include "recordchain/chaincheck.h"
#include "support/world.h"

using namespace velmora;
using namespace velmora::test;

namespace {

QByteArray added() { return sjis("\"Sato\",\"07/01\",\"9\",\"出\"\r"); }

} // namespace

TEST(Chain, TheFirstLineEditedAfterWritingIsNamed) {
    using Kind = ChainFinding::Kind;
    using Lines = QByteArrayList; // the record file's, each with its CR
    const std::tuple<const char*, void (*)(Lines&, World&), Kind, int> cases[] = {
        {"as written", [](Lines&, World&) {}, Kind::Intact, 0},
        {"a time edited", [](Lines& l, World&) { l[2].replace("\"3\"", "\"8\""); }, Kind::Changed,
         3},
        {"a line inserted", [](Lines& l, World&) { l.insert(2, added()); }, Kind::Inserted, 3},
        {"a line removed", [](Lines& l, World&) { l.removeAt(2); }, Kind::Removed, 3},
        {"cut after line 3", [](Lines& l, World&) { l.resize(3), l << ""; }, Kind::Truncated, 4},
        {"cut within line 4", [](Lines& l, World&) { l.resize(4), l[3].chop(5); }, Kind::Truncated,
         4},
        {"a line added at the end", [](Lines& l, World&) { l.last() = added(), l << ""; },
         Kind::Unchained, 6},
        {"the chain left behind",
         [](Lines&, World& w) { QFile::remove(w.dir.filePath("Velmora.chain")); }, Kind::NoChain,
         0},
    };
    World written; // five records as the terminal writes them, copied into each case's folder
    for (int n = 1; n <= 5; ++n)
        appendRecord(DataFolder(QDir(written.dir.path())),
                     {"Sato", "07/01", QString::number(n), kArrival});
    for (const auto& [name, edit, kind, line] : cases) {
        World w;
        w.write("Velmora.chain", written.read("Velmora.chain"));
        Lines lines = written.read(kRecordFile).split('\n');
        edit(lines, w);
        w.write(kRecordFile, lines.join('\n'));
        const ChainFinding found = checkChain(w.dir.filePath(kRecordFile));
        EXPECT_EQ(found.kind, kind) << name;
        EXPECT_EQ(found.line, line) << name;
    }
    EXPECT_EQ(chainNote("/x/職員室.dat", {Kind::Changed, 1234}),
              "職員室.dat 1234行目は書き込みの後で変えられています");
}
