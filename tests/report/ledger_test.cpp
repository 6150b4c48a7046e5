// The school's files: what Velmora writes it reads back, what Excel saves it reads, and each
// malformed line is a problem on its own line.

#include "ledger/ledger.h"
#include "storage/cp932.h"
#include "storage/datafiles.h"
#include "support/reportfiles.h"
#include "texts/texts.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

using namespace velmora;
using velmora::test::write;

namespace {

QByteArray sjis(const QString& text) { return *toCp932(text); }

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// clang-format off
Entry trip() { return {QDateTime(QDate(2026, 7, 9), QTime(10, 12)), "教頭", "職員A", QDate(2026, 7, 8), EntryKind::Trip, false, 8 * 60 + 30, 17 * 60, "県教育センター研修", 0}; }
// clang-format on

TEST(Ledger, WritesEachFileAndReadsItBack) {
    QTemporaryDir dir;
    const QDir folder(dir.path());
    const QList<StaffLine> staff = {
        {QStringLiteral("職員A"), {6 * 60, -1, 0, 24 * 60, 465}, QDate(2026, 4, 1), {}},
        {QStringLiteral("職員B"), {-1, -1, -1, -1, -1}, {}, QDate(2027, 3, 31)}};
    const QList<CalendarLine> calendar = {{QDate(2026, 4, 11), 465, QStringLiteral("土曜授業")},
                                          {QDate(2026, 8, 13), 0, QString()}};
    Entry leave = trip();
    leave.kind = EntryKind::Leave;
    leave.start = leave.end = -1;
    writeStaff(folder, staff);
    writeCalendar(folder, calendar);
    appendEntry(folder, trip());
    appendEntry(folder, leave);
    EXPECT_EQ(fileBytes(dir.filePath(kEntriesFile)),
              sjis(QStringLiteral("\"2026-07-09 10:12\",\"教頭\",\"職員A\",\"2026-07-08\",\"出張\","
                                  "\"8:30\",\"17:00\",\"県教育センター研修\"\r\n"
                                  "\"2026-07-09 10:12\",\"教頭\",\"職員A\",\"2026-07-08\",\"休暇\","
                                  "\"\",\"\",\"県教育センター研修\"\r\n")));
    EXPECT_EQ(fileBytes(dir.filePath(kCalendarFile)),
              sjis(QStringLiteral("\"日付\",\"勤務時間\",\"名称\"\r\n\"2026-04-11\",\"7:45\","
                                  "\"土曜授業\"\r\n\"2026-08-13\",\"0:00\",\"\"\r\n")));

    const Ledger ledger = readLedger(folder);
    EXPECT_TRUE(ledger.problems.isEmpty());
    EXPECT_EQ(staffBytes(ledger.staff), staffBytes(staff));
    EXPECT_EQ(calendarBytes(ledger.calendar), calendarBytes(calendar));
    ASSERT_EQ(ledger.entries.size(), 2);
    EXPECT_EQ(entryLine(ledger.entries[0]), entryLine(trip()));
    EXPECT_EQ(entryLine(ledger.entries[1]), entryLine(leave));
    EXPECT_EQ(ledger.entries[1].line, 2);

    // A refused entry, a line that cannot be stored, or a missing folder leaves the files.
    const QByteArray before = fileBytes(dir.filePath(kEntriesFile));
    leave.reason = QStringLiteral("私用 \"通院\"");
    EXPECT_THROW(appendEntry(folder, leave), Failure);
    EXPECT_EQ(fileBytes(dir.filePath(kEntriesFile)), before);
    EXPECT_THROW(writeStaff(folder, {{QStringLiteral("職員😀"), {}, {}, {}}}), Failure);
    EXPECT_EQ(readLedger(folder).staff.size(), 2);
    EXPECT_TRUE(readLedger(QDir(dir.filePath("none"))).entries.isEmpty());
}

TEST(Ledger, ReadsWhatExcelSavesInEitherEncoding) {
    const QString staff =
        QStringLiteral("氏名,月,火,水,木,金,開始日,終了日\r\n\r\n"
                       "\"山田, \"\"花子\"\"\",7:45:00,, 0:00 ,８：３０,,2026/4/1,\r\n,,,,,,,\r\n");
    const QString calendar = QStringLiteral("日付,勤務時間,名称\n2026/4/11,7:45:00,土曜授業\n");
    const QString entry =
        QStringLiteral("2026-07-09 10:12,教頭,%1,2026-07-08,出張,8:30,17:00,研修\r\n");
    // Excel saved UTF-8 and the window appended CP932 ("both": the first line UTF-8 with a
    // mark, the rest CP932): each line reads in its own.
    for (const QString encoding : {"UTF-8 with a mark", "UTF-8", "CP932", "both"}) {
        SCOPED_TRACE(encoding.toStdString());
        const auto encode = [&](const QString& t) {
            const qsizetype first = t.indexOf(u'\n') + 1;
            if (encoding == "both")
                return "\xEF\xBB\xBF" + t.left(first).toUtf8() + sjis(t.mid(first));
            return encoding == "CP932" ? sjis(t)
                                       : (encoding == "UTF-8" ? "" : "\xEF\xBB\xBF") + t.toUtf8();
        };
        QList<LedgerProblem> problems;
        const auto lines = parseStaff(encode(staff), kStaffFile, problems);
        const auto days = parseCalendar(encode(calendar), kCalendarFile, problems);
        const auto entries =
            parseEntries(encode(entry.arg("職員A") + entry.arg("職員B")), kEntriesFile, problems);
        EXPECT_TRUE(problems.isEmpty());
        ASSERT_EQ(entries.size(), 2);
        EXPECT_EQ(entries[0].name + entries[1].name, "職員A職員B");
        ASSERT_EQ(lines.size(), 1);
        EXPECT_EQ(lines[0].name, QStringLiteral("山田, \"花子\""));
        EXPECT_EQ(lines[0].weekday, (std::array<int, 5>{465, -1, 0, 510, -1}));
        EXPECT_EQ(lines[0].from, QDate(2026, 4, 1));
        EXPECT_FALSE(lines[0].to.isValid());
        ASSERT_EQ(days.size(), 1);
        EXPECT_EQ(days[0].minutes, 465);
        EXPECT_EQ(days[0].title, QStringLiteral("土曜授業"));
    }
}

TEST(Ledger, EachMalformedLineIsAProblemOnItsLine) {
    // Each file's parser behind its header, which a line of its own precedes.
    using Parse = std::function<qsizetype(const QString&, QList<LedgerProblem>&)>;
    // clang-format off
    const Parse staff = [](auto& t, auto& p) { return parseStaff(sjis("氏名\r\n" + t), kStaffFile, p).size(); };
    const Parse days = [](auto& t, auto& p) { return parseCalendar(sjis("日付\r\n" + t), kCalendarFile, p).size(); };
    const Parse entries = [](auto& t, auto& p) { return parseEntries(sjis("記入日時\r\n" + t), kEntriesFile, p).size(); };
    const QString entry = QStringLiteral("2026-07-09 10:12,教頭,職員A,2026-07-08,%1,理由");
    const struct { const char* name; Parse parse; QString line; QString message; } rows[] = {
        {"weekday no time", staff, "職員A,7時,,,,,,", "職員.csv 3行目: 時刻が読めません「7時」"},
        {"no date", staff, "職員A,,,,,,2026-02-30,", "職員.csv 3行目: 日付が読めません「2026-02-30」"},
        {"ends first", staff, "職員A,,,,,,2026/4/1,2026/3/31", "職員.csv 3行目: 終了日が開始日より前です"},
        {"no name", staff, ",7:45,,,,,,", "職員.csv 3行目: 氏名がありません"},
        {"too many", staff, "職員A,,,,,,,,x", "職員.csv 3行目: 項目が多すぎます（9）"},
        {"open quote", staff, "\"職員A,7:45,,,,,,", "職員.csv 3行目: 引用符 \" の対応が取れていません"},
        {"no hours", days, "2026-04-11,,土曜授業", "年間予定.csv 3行目: 時刻が読めません「」"},
        {"7 fields", entries, "2026-07-09 10:12,教頭,職員A,2026-07-08,出張,8:30,17:00", "申告.dat 3行目: 項目が8つではありません（7）"},
        {"kind", entries, entry.arg("外出,8:30,17:00"), "申告.dat 3行目: 種別が読めません「外出」"},
        {"end first", entries, entry.arg("出張,17:00,8:30"), "申告.dat 3行目: 終了が開始より後になっていません"},
        {"written", entries, "2026-07-09,教頭,職員A,2026-07-08,出張,8:30,17:00,理由", "申告.dat 3行目: 記入日時が読めません「2026-07-09」"},
        {"stray quote", staff, "職員\"A,7:45,,,,,,", "職員.csv 3行目: 引用符 \" の対応が取れていません"},
        {"tab in a name", staff, "\"職員\tA\",7:45,,,,,,", "職員.csv 3行目: 氏名に制御文字（NUL など）があります"},
        {"NUL in a name", entries, entry.arg("出張,8:30,17:00").replace("職員A", QStringLiteral("職員\u0000A")), "申告.dat 3行目: 氏名に制御文字（NUL など）があります"},
        {"escape in a writer", entries, entry.arg("出張,8:30,17:00").replace("教頭", "教\x1B頭"), "申告.dat 3行目: 記入者に制御文字（NUL など）があります"},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QList<LedgerProblem> problems;
        EXPECT_EQ(row.parse(" \r\n" + row.line, problems), 0);
        ASSERT_EQ(problems.size(), 1);
        EXPECT_EQ(problems[0].text(), row.message);
    }
}

TEST(Ledger, TheLaterOfTwoLinesOfADateHolds) {
    QList<LedgerProblem> problems;
    const auto days = parseCalendar("2026-04-11,7:45,a\r\n2026-04-12,0:00,b\r\n2026-4-11,0:00,c",
                                    kCalendarFile, problems);
    ASSERT_EQ(days.size(), 2);
    EXPECT_EQ(days[0].title, "c");
    ASSERT_EQ(problems.size(), 1);
    EXPECT_EQ(problems[0].line, 3);
    EXPECT_EQ(problems[0].message, texts::kLedgerSameDate.arg(1));
}

TEST(Ledger, EntryFaults) {
    // clang-format off
    const auto with = [](std::function<void(Entry&)> change) { Entry e = trip(); return change(e), e; };
    const auto kinded = [&](EntryKind kind, int start, int end, bool cancels = false) {
        return with([&](Entry& e) { e.kind = kind, e.start = start, e.end = end, e.cancels = cancels; });
    };
    const struct { const char* name; Entry entry; std::optional<QString> fault; } rows[] = {
        {"trip", trip(), std::nullopt},
        {"1999", with([](Entry& e) { e.date = QDate(1999, 12, 31); }), texts::kEntryBadDate},
        {"no written", with([](Entry& e) { e.written = {}; }), texts::kEntryBadWritten},
        {"trip without end", kinded(EntryKind::Trip, 510, -1), texts::kEntryNeedsSpan.arg("出張")},
        {"study ends at start", kinded(EntryKind::SelfStudy, 510, 510), texts::kEntryEndNotAfterStart},
        {"past 24:00", kinded(EntryKind::Telework, 510, 1441), texts::kEntryBadTime},
        {"arrival", kinded(EntryKind::ArrivalFix, 0, -1), std::nullopt},
        {"arrival at 24:00", kinded(EntryKind::ArrivalFix, 1440, -1), texts::kEntryArrivalOnly},
        {"arrival with end", kinded(EntryKind::ArrivalFix, 510, 1000), texts::kEntryArrivalOnly},
        {"leaving at 24:00", kinded(EntryKind::LeavingFix, -1, 1440), std::nullopt},
        {"leaving with start", kinded(EntryKind::LeavingFix, 0, 1000), texts::kEntryLeavingOnly},
        {"whole day", kinded(EntryKind::Leave, -1, -1), std::nullopt},
        {"leave half given", kinded(EntryKind::Leave, 510, -1), texts::kEntryLeaveTimes},
        {"cancellation", kinded(EntryKind::Trip, -1, 5000, true), std::nullopt},
        {"no reason", with([](Entry& e) { e.reason.clear(); }), texts::kEntryNoReason},
        {"no writer", with([](Entry& e) { e.writer.clear(); }), texts::kEntryNoWriter},
        {"line break", with([](Entry& e) { e.reason = "a\nb"; }), texts::kLedgerUnwritable.arg("理由", "a\nb")},
        {"no CP932", with([](Entry& e) { e.name = "職員😀"; }), texts::kLedgerUnwritable.arg("氏名", "職員😀")},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(entryFault(row.entry), row.fault);
    }
}

// Entries from "name day kind start end" each.
QList<Entry> entriesOf(const QStringList& entries) {
    QString text;
    for (const QString& e : entries) {
        const QStringList f = e.split(u' ');
        text += QStringLiteral("2026-07-09 10:00,教頭,%1,2026-07-%2,%3,%4,%5,理由\n")
                    .arg(f[0], f[1], f[2], f.value(3), f.value(4));
    }
    QList<LedgerProblem> problems;
    return parseEntries(sjis(text), kEntriesFile, problems);
}

// Each row: the day's entries ("name day kind start end"), then which of the entries (not
// the cancellations) stand cancelled, and how many cancellations found nothing to cancel.
TEST(Ledger, ACancellationCancelsExactlyTheEntryChosen) {
    // clang-format off
    const struct { const char* name; QStringList entries; const char* cancelled; qsizetype unmatched; } rows[] = {
        {"another PC's between", {"A 08 出張 8:30 12:00", "A 08 出張 13:00 17:00", "A 08 出張取消 8:30 12:00"}, "x.", 0},
        {"another name's", {"A 08 出張 8:30 12:00", "B 08 出張 8:30 12:00", "A 08 出張取消 8:30 12:00"}, "x.", 0},
        {"another date's", {"A 08 出張 8:30 12:00", "A 09 出張 8:30 12:00", "A 08 出張取消 8:30 12:00"}, "x.", 0},
        {"cancelled already", {"A 08 出張 8:30 12:00", "A 08 出張取消 8:30 12:00", "A 08 出張取消 8:30 12:00"}, "x", 1},
        {"no times: the latest", {"A 08 出張 8:30 12:00", "A 08 出張 13:00 17:00", "A 08 出張取消"}, ".x", 0},
        {"other times", {"A 08 出張 8:30 12:00", "A 08 出張取消 9:00 12:00"}, ".", 1},
        {"before its entry", {"A 08 出張取消 8:30 12:00", "A 08 出張 8:30 12:00"}, ".", 1},
        {"one time given", {"A 08 出訂正 8:00", "A 08 出訂正 9:00", "A 08 出訂正取消 8:00"}, "x.", 0},
        {"no times, all cancelled", {"A 08 出張 8:30 12:00", "A 08 出張 13:00 17:00", "A 08 出張取消 13:00 17:00", "A 08 出張取消 8:30 12:00", "A 08 出張取消"}, "xx", 1},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QList<LedgerProblem> problems;
        const auto states = entryStates(entriesOf(row.entries), &problems);
        QString cancelled;
        for (const EntryState& s : states) cancelled += s.cancelled() ? u'x' : u'.';
        EXPECT_EQ(cancelled, row.cancelled);
        EXPECT_EQ(problems.size(), row.unmatched);
    }
}

// The window cancels an entry of the day only where its cancellation would reach that one.
TEST(Ledger, TheWindowCancelsOnlyTheEntryACancellationReaches) {
    // clang-format off
    const struct { const char* name; QStringList entries; qsizetype chosen; bool cancels; } rows[] = {
        {"other times after", {"A 08 出張 8:30 12:00", "A 08 出張 13:00 17:00"}, 0, true},
        {"the same after", {"A 08 出張 8:30 12:00", "A 08 出張 8:30 12:00"}, 0, false},
        {"the latest", {"A 08 出張 8:30 12:00", "A 08 出張 8:30 12:00"}, 1, true},
        {"cancelled", {"A 08 出張 8:30 12:00", "A 08 出張取消 8:30 12:00"}, 0, false},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QList<Entry> day = entriesOf(row.entries);
        Entry cancellation = day[row.chosen];
        cancellation.cancels = true;
        EXPECT_EQ(wouldCancel(day, cancellation, row.chosen), row.cancels);
    }
}

TEST(Ledger, AnEntryIsAppendedInTheFilesOwnEncoding) {
    const QByteArray utf8 = entryLine(trip(), true), cp932 = entryLine(trip());
    // clang-format off
    const struct { const char* name; QByteArray before; bool utf8; } rows[] = {
        {"UTF-8 with a mark", QByteArray("\xEF\xBB\xBF") + utf8, true}, {"UTF-8 without", QByteArray("\"a\"\r\n") + utf8, true},
        {"CP932", cp932, false}, {"no file", {}, false}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        if (!row.before.isNull()) write(dir.filePath(kEntriesFile), row.before);
        appendEntry(QDir(dir.path()), trip());
        EXPECT_EQ(fileBytes(dir.filePath(kEntriesFile)), row.before + entryLine(trip(), row.utf8));
    }
}

// Four PCs (here threads) appending at once lose nothing.
TEST(Ledger, WritersAppendingTogetherKeepEveryEntry) {
    QTemporaryDir dir;
    const QDir folder(dir.path());
    std::vector<std::thread> writers(4);
    for (std::thread& w : writers)
        w = std::thread([&folder] {
            for (int i = 0; i < 100; ++i) appendEntry(folder, trip());
        });
    for (std::thread& w : writers) w.join();
    EXPECT_EQ(readLedger(folder).entries.size(), 400);
}

// Another PC's save between the reading and the saving is never overwritten; what a killed
// save left is removed by the next, another's save in flight is not.
TEST(Ledger, AListIsReplacedOnlyWhileItIsTheFileRead) {
    // The file read (null: none), then as changed (null: removed).
    // clang-format off
    const struct { const char* name; const char* read; const char* changed; bool saved; } rows[] = {
        {"unchanged", "a\r\n", "a\r\n", true}, {"appended", "a\r\n", "a\r\nb\r\n", false},
        {"same size, time put back", "a\r\n", "b\r\n", false}, {"made meanwhile", nullptr, "b\r\n", false},
        {"removed meanwhile", "a\r\n", nullptr, false}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QDir folder(dir.path());
        const QString file = dir.filePath(kStaffFile);
        if (row.read) write(file, row.read, {2026, 1, 1});
        const ListFile read = readListFile(folder, kStaffFile);
        if (row.changed && (!row.read || qstrcmp(row.read, row.changed) != 0))
            write(file, row.changed, {2026, 1, 1});
        if (!row.changed) QFile::remove(file);
        QFile old(dir.filePath(kSavePrefix + "old")), recent(dir.filePath(kSavePrefix + "recent"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly) && recent.open(QIODevice::WriteOnly));
        old.setFileTime(QDateTime::currentDateTime().addSecs(-120),
                        QFileDevice::FileModificationTime);
        bool saved = true;
        try {
            replaceListFile(folder, kStaffFile, "new", read.version);
        } catch (const ChangedFile&) {
            saved = false;
        }
        EXPECT_EQ(saved, row.saved);
        EXPECT_EQ(fileBytes(file), saved ? "new" : row.changed ? row.changed : "(missing)");
        EXPECT_FALSE(QFile::exists(old.fileName()));
        EXPECT_TRUE(QFile::exists(recent.fileName()));
    }
}

TEST(Ledger, NoFileIsReadOrWrittenThroughALink) {
    QTemporaryDir dir;
    const QString target = dir.filePath("elsewhere");
    ASSERT_TRUE(QFile::link(target, dir.filePath(kEntriesFile)));
    QFile(target).open(QIODevice::WriteOnly);
    EXPECT_THROW(readLedger(QDir(dir.path())), Failure);
    EXPECT_THROW(appendEntry(QDir(dir.path()), trip()), Failure);
    ASSERT_TRUE(QFile::link(target, dir.filePath(kStaffFile)));
    EXPECT_THROW(writeStaff(QDir(dir.path()), {}), Failure);
    EXPECT_EQ(fileBytes(target), "");
}

} // namespace
