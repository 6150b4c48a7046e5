// The month's files saved as one set, through the command line, and the printed sheets through
// the real program and poppler, on the hand-made files of two terminals.

#include "printing/sheets.h"
#include "programs/velmora-report/commandline.h"
#include "records/recordfile.h"
#include "saving/output.h"
#include "support/print.h"
#include "support/reportfiles.h"
#include "support/tmpfs.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

QString run(const QString& program, const QStringList& args, const QString& folder = {}) {
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(program, args);
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 0) << program.toStdString() << p.readAllStandardError().constData();
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

// Page 1 the summary, then each teacher's page with their own totals and flags.
TEST(Sheets, PutEachTeacherOnTheirOwnPage) {
    QTemporaryDir dir;
    run(VELMORA_REPORT, kTerminals + QStringList{"--last-year", "2026", "-f", "pdf"}, dir.path());
    const QString pdf = dir.filePath("在校等時間_2026-01.pdf");
    run("pdftoppm", {"-r", "50", "-png", pdf, dir.filePath("page")});
    EXPECT_EQ(QDir(dir.path()).entryList({"page-*.png"}).size(), 3);
    const QString fonts = run("pdffonts", {pdf});
    EXPECT_TRUE(fonts.contains("IPAGothic CID TrueType Identity-H yes") &&
                fonts.count("TrueType") == 1)
        << fonts.toStdString();
    // The golden summary's names and hours on page 1, and each on their own page.
    const QList<QStringList> golden = goldenSummary();
    for (int page = 1; page <= 3; ++page) {
        const QString n = QString::number(page);
        const QString text = run("pdftotext", {"-layout", "-f", n, "-l", n, pdf, "-"});
        for (const QStringList& t : page == 1 ? golden : golden.mid(page - 2, 1))
            EXPECT_TRUE(text.contains(t[0].simplified()) &&
                        text.contains(QStringList(t.mid(3, 3)).join(u' ')))
                << page << text.toStdString();
        EXPECT_EQ(text.contains("確認印"), page > 1) << page;
    }
}

// A teacher with entries in the month gets a page of them after their own, a cancelled one
// with its cancellation; one without gets none.
TEST(Sheets, ListTheEntriesAfterTheirTeachersPage) {
    QTemporaryDir dir;
    run(VELMORA_REPORT, {"--last-year", "2026", "-f", "pdf", DATA "/ledger/Velmora.dat"},
        dir.path());
    const QString pdf = dir.filePath("在校等時間_2026-07.pdf");
    QStringList pages; // each page's first word and teacher
    for (int page = 2; page <= 7; ++page) {
        const QString n = QString::number(page),
                      text = run("pdftotext", {"-f", n, "-l", n, pdf, "-"});
        pages << text.section(u' ', 0, 0) + QRegularExpression("職員.").match(text).captured();
    }
    EXPECT_EQ(pages.join(u' '), "在校等時間職員A 変更の記録職員A 在校等時間職員B 在校等時間職員C "
                                "在校等時間職員D 変更の記録職員D");
    const QString entries = run("pdftotext", {"-f", "3", "-l", "3", "-layout", pdf, "-"});
    EXPECT_TRUE(entries.contains("2026-07-06 出張 9:00〜16:00 市教委会議 教頭 2026-07-01 12:00") &&
                entries.contains("出張取消（教頭 2026-07-05 09:00） 会議延期"))
        << entries.toStdString();
}

// July closed on 08/03 by 教頭: A as closed, B changed since on 07/08 (9:15 then, 10:30 now),
// with an entry written after the closing; C open.
MonthReport closedJuly() {
    MonthReport r;
    r.month = QDate(2026, 7, 1);
    Closing closing;
    closing.month = r.month, closing.at = QDateTime(QDate(2026, 8, 3), QTime(17, 0));
    closing.by = "教頭";
    r.closings = r.ledger.closings = {closing};
    const QString hex = QString("0123456789abcdef").repeated(4);
    Day day;
    day.date = QDate(2026, 7, 8), day.inSchool = 630, day.beyond = 165;
    Day closed = day;
    closed.closedAs.emplace().inSchool = 555;
    closed.closedAs->beyond = 90;
    r.teachers = {{.name = "A", .days = {day}, .fingerprint = hex, .closing = ClosingState::Closed},
                  {.name = "B",
                   .days = {closed},
                   .fingerprint = QString(hex).replace('0', 'f'),
                   .closing = ClosingState::Changed,
                   .closedAs = ClosedFigures{-1, -1, -1, -1, 0, hex}},
                  {.name = "C", .days = {day}}};
    const Entry late{.written = QDateTime(QDate(2026, 8, 5), QTime(10, 0)),
                     .writer = "教頭",
                     .name = "B",
                     .date = day.date,
                     .kind = EntryKind::LeavingFix,
                     .end = 19 * 60,
                     .reason = "退勤の記録漏れ"};
    r.entries = {{late, nullptr}};
    return r;
}

// 締め comes last in both files, empty while open; a changed day has its figures at closing
// beside today's, a day as closed nothing.
TEST(Saving, TheClosingColumnComesLast) {
    const MonthReport july = closedJuly();
    const QString summary = QString::fromUtf8(summaryCsv(july)),
                  days = QString::fromUtf8(dailyCsv(july));
    EXPECT_EQ(
        summary.split("\r\n").mid(0, 4),
        QStringList(
            {"\uFEFF氏名,出勤日数,要確認,在校等時間合計,時間外合計,年度累計時間外,判定,所定,締め",
             "A,0,0,0:00,0:00,0:00,,0:00,締め済み", "B,0,0,0:00,0:00,0:00,,0:00,締め後に変更",
             "C,0,0,0:00,0:00,0:00,,0:00,"}));
    const QStringList rows = days.split("\r\n");
    EXPECT_TRUE(rows[0].endsWith(",控除,締め"));
    EXPECT_TRUE(rows[1].endsWith(",0:00,,,")) << rows[1].toStdString();
    EXPECT_TRUE(rows[2].endsWith(",0:00,,,在校等時間 9:15 → 10:30、時間外 1:30 → 2:45"))
        << rows[2].toStdString();
}

// Each teacher's page says how the month stands with its closing and prints the fingerprint a
// board checks with --verify; a changed day has its figures at closing, an entry written after
// the closing is marked so.
TEST(Sheets, MarkAClosedMonthWithItsFingerprints) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath("july.pdf");
    write(pdf, pdfBytes(closedJuly()));
    QStringList pages;
    for (int page = 1; page <= 5; ++page) {
        const QString n = QString::number(page);
        pages << run("pdftotext", {"-layout", "-f", n, "-l", n, pdf, "-"});
    }
    // clang-format off
    const struct { int page; const char* text; } marks[] = {
        {0, "締め後に変更（2026-08-03 17:00 教頭）"},
        {1, "締め済み（2026-08-03 17:00 教頭） 指紋 0123456789ab"},
        {2, "締め後に変更（2026-08-03 17:00 教頭） 指紋 0123456789ab → f123456789ab"},
        {2, "締め後に変更: 在校等時間 9:15 → 10:30、時間外 1:30 → 2:45"},
        {3, "2026-08-05 10:00 締め後"}};
    // clang-format on
    for (const auto& m : marks)
        EXPECT_TRUE(pages[m.page].contains(m.text)) << m.text << "\n"
                                                    << pages[m.page].toStdString();
    EXPECT_FALSE(pages[4].contains("締め") || pages[4].contains("指紋")) << pages[4].toStdString();
}

// Old files, and a full disk during each format: the old files stay and nothing is left
// beside them; the message names the file and the full disk; exit status 2. A link at a
// final name is replaced, not written through.
TEST(Saving, ReplacesAllFilesOrNone) {
    // The formats, the bytes left free (-1: a link at the day CSV's name instead), the file that
    // does not fit.
    // clang-format off
    const struct { const char* formats; qint64 room; const char* failing; } cases[] = {
        {"csv", -1, ""}, {"csv", 0, ".csv"}, {"xlsx", 0, ".xlsx"}, {"pdf", 0, ".pdf"},
        {"csv -f xlsx -f pdf", 28 * 1024, ".pdf"}};
    // clang-format on
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const Tmpfs fs(dir.path(), "size=1m");
        if (fs.dir.isEmpty() && c.room >= 0)
            GTEST_SKIP() << "no tmpfs of the test's own (needs root)";
        const QString base = dir.filePath("在校等時間_2026-01");
        const QStringList old = {base + ".csv", base + "_集計.csv", base + ".xlsx", base + ".pdf"};
        for (const QString& name : old) write(name, "old");
        if (c.room < 0) QFile::remove(old[0]), QFile::link(old[2], old[0]);
        const qint64 room = QStorageInfo(dir.path()).bytesAvailable() - c.room;
        if (c.room >= 0) write(dir.filePath("filler"), QByteArray(room, '.'));
        QString err;
        const QStringList args =
            QStringList{"velmora-report", "--last-year", "2026", "-o", dir.path(), "-f"} +
            QString(c.formats).split(u' ') + kTerminals;
        EXPECT_EQ(runReport(args, {[](const QString&) {}, [&](const QString& t) { err += t; }}),
                  c.room < 0 ? 0 : 2);
        EXPECT_TRUE(
            err.contains(c.failing + (c.room < 0 ? QString() : "\": " + qt_error_string(ENOSPC))))
            << err.toStdString();
        // The old files, and the filler: . and .. too.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden).size(),
                  7); // the filler, or the lock file of the commit
        for (const QString& name : old) {
            const bool csv = c.room < 0 && name.endsWith(".csv");
            EXPECT_EQ(contents(name),
                      csv ? contents(QString(name).replace(base, DATA "/expected")) : "old")
                << c.formats << name.toStdString();
        }
    }
}

// The PDF's GUI application is decided by the formats as parsed, not by how a word ends.
TEST(CommandLine, NeedsAGuiOnlyForThePdf) {
    const struct {
        QStringList args;
        bool pdf;
    } cases[] = {{{"-f", "pdf"}, true},  {{"-fpdf"}, true},  {{"-f", "csv", "--format=pdf"}, true},
                 {{"-o", "pdf"}, false}, {{"a.pdf"}, false}, {{"-f", "xlsx"}, false}};
    for (const auto& c : cases)
        EXPECT_EQ(needsPdf(QStringList{"velmora-report"} + c.args), c.pdf)
            << c.args.join(' ').toStdString();
}

} // namespace

// The PDF is painted in the test's own process too: a QGuiApplication on no screen.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// A card line edited after the terminal wrote it is named on standard error; the figures
// still come from the file as it is.
TEST(CommandLine, NamesARecordLineEditedSinceWritten) {
    QTemporaryDir dir;
    const DataFolder files{QDir(dir.path())};
    appendRecord(files, {"Sato", "07/01", "8:05", kArrival});
    appendRecord(files, {"Sato", "07/01", "17:10", kLeaving});
    write(files.path(kRecordFile), contents(files.path(kRecordFile)).replace("17:10", "19:10"));
    QString err;
    EXPECT_EQ(runReport({"velmora-report", "--last-year", "2026", "-o", dir.path(),
                         files.path(kRecordFile)},
                        {[](const QString&) {}, [&](const QString& t) { err += t; }}),
              0);
    EXPECT_TRUE(err.contains("Velmora.dat 2行目は書き込みの後で変えられています"))
        << err.toStdString();
    EXPECT_TRUE(contents(dir.filePath("在校等時間_2026-07.csv")).contains("19:10"));
}
