// The printed sheets through the real program and poppler, and the window's table model, on
// the hand-made files of two terminals.

#include "reportwindow/reportmodel.h"

#include <QApplication>
#include <QBrush>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

const QStringList kTerminals = {DATA "/terminal1.dat", DATA "/terminal2.dat"};

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
    const char* const pages[][2] = {
        {"在校等時間 集計 2026年1月",
         "Tanaka, Ichiro 3 21:35 6:45 17:55 佐藤 花子 4 41:45 18:30 23:40"},
        {"Tanaka, Ichiro",
         "出勤日数 在校等時間合計 時間外合計 年度累計時間外 判定 3日 21:35 6:45 17:55 なし"},
        {"佐藤 花子", "4日 41:45 18:30 23:40 なし"},
    };
    for (int page = 1; page <= 3; ++page) {
        const QString n = QString::number(page);
        const QString text = run("pdftotext", {"-layout", "-f", n, "-l", n, pdf, "-"});
        for (const char* part : pages[page - 1])
            EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << page << " " << part;
        EXPECT_EQ(text.contains("確認印"), page > 1) << page;
    }
}

// The window's table shows the library's figures and marks a flagged day in red, not a
// holiday; the real window is driven under Xvfb (tests/e2e/report_window.sh).
TEST(Window, ShowsTheLibrarysFiguresWithTheMarksInRed) {
    ReportModel model;
    model.setReport(buildReport({kTerminals, 2026, QDate(2026, 1, 1), {}}));
    ASSERT_EQ(model.rowCount(), 2);
    for (int column : {1, 2, 3, 4})
        EXPECT_EQ(model.index(1, column).data().toString(),
                  QStringList({"4", "41:45", "18:30", "23:40"})[column - 1]);
    model.showTeacher(0);
    ASSERT_EQ(model.rowCount(), 31);
    EXPECT_EQ(model.index(5, 6).data().toString(), "出が2回");
    EXPECT_EQ(model.index(5, 6).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
    EXPECT_FALSE(model.index(0, 6).data(Qt::ForegroundRole).isValid()); // 祝日 is no mark
}

} // namespace

// A QApplication of its own on the offscreen platform, its home and runtime folder temporary.
int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
