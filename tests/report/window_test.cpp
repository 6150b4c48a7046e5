// The report's window offscreen, its every question answered through the dialogs' seam: the
// table model, the workbench on copies of two terminals' files, and the school's lists.

#include "ledger/ledger.h"
#include "programs/velmora-report/commandline.h"
#include "report/month.h"
#include "reportwindow/closingdialog.h"
#include "reportwindow/entrydialog.h"
#include "reportwindow/listtab.h"
#include "reportwindow/reportmodel.h"
#include "reportwindow/reportwindow.h"
#include "reportwindow/startfolders.h"
#include "storage/cp932.h"
#include "storage/datafiles.h"
#include "support/reportfiles.h"
#include "texts/texts.h"

#include <QApplication>
#include <QBrush>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace velmora;
using namespace velmora::test;

namespace {

// The window's table shows the library's figures and marks a flagged day in red, not a
// holiday, and the month's hours from the first minute over 45:00; the real window is driven
// by its keys under Xvfb once (tests/e2e/report_window.sh).
TEST(Window, ShowsTheLibrarysFiguresWithTheMarksInRed) {
    ReportModel model;
    // The hours once over 45:00 red; 要確認 above 0 red, its row tinted.
    for (const auto& [minutes, toCorrect] : {std::pair{45 * 60, 0}, std::pair{45 * 60 + 1, 2}}) {
        MonthReport report;
        report.month = QDate(2026, 7, 1);
        report.teachers = {{.name = "A",
                            .toCorrect = toCorrect,
                            .beyond = minutes,
                            .flags = monthFlags({minutes}, 1)}};
        model.setReport(report);
        EXPECT_EQ(model.index(0, 4).data(Qt::ForegroundRole).isValid(), minutes > 45 * 60);
        EXPECT_EQ(model.index(0, 4).data().toString(), minutes > 45 * 60 ? "45:01" : "45:00");
        EXPECT_EQ(model.index(0, 2).data(Qt::ForegroundRole).isValid(), toCorrect > 0);
        EXPECT_EQ(model.index(0, 0).data(Qt::BackgroundRole).isValid(), toCorrect > 0);
    }
    ReportRequest january;
    january.files = kTerminals, january.lastYear = 2026, january.month = QDate(2026, 1, 1);
    model.setReport(buildReport(january));
    ASSERT_EQ(model.rowCount(), 2);
    for (int column = 0; column < 7; ++column) // as the golden summary has them
        EXPECT_EQ(model.index(1, column).data().toString(),
                  QStringList({"佐藤　花子", "4", "3", "41:45", "18:30", "23:40", ""})[column]);
    model.showTeacher(0);
    ASSERT_EQ(model.rowCount(), 31);
    EXPECT_EQ(model.index(5, 6).data().toString(), "出が2回");
    EXPECT_EQ(model.index(5, 6).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
    EXPECT_FALSE(model.index(0, 6).data(Qt::ForegroundRole).isValid()); // 祝日 is no mark
}

// A month closed on 08/03: the summary's 締め and the status line say how each teacher stands,
// the one changed since in red, and their changed day has its figures at closing beside today's.
TEST(Window, MarksAClosedMonthAndAChangedDay) {
    MonthReport report;
    report.month = QDate(2026, 7, 1);
    Closing closing;
    closing.month = report.month, closing.at = QDateTime(QDate(2026, 8, 3), QTime(17, 0));
    closing.by = "教頭";
    report.closings = {closing};
    Day day;
    day.date = QDate(2026, 7, 8), day.inSchool = 630;
    day.closedAs.emplace().inSchool = 555;
    report.teachers = {{.name = "A", .closing = ClosingState::Closed},
                       {.name = "B", .days = {day}, .closing = ClosingState::Changed}};
    ReportModel model;
    model.setReport(report);
    EXPECT_EQ(model.index(0, 8).data().toString() + model.index(1, 8).data().toString(),
              "締め済み締め後に変更");
    EXPECT_FALSE(model.index(0, 8).data(Qt::ForegroundRole).isValid());
    EXPECT_TRUE(model.index(1, 8).data(Qt::ForegroundRole).isValid());
    EXPECT_EQ(monthClosingNotice(report), "締め後に変更（2026-08-03 17:00　教頭）　「B」");
    model.showTeacher(1);
    EXPECT_EQ(model.index(0, 10).data().toString(), "在校等時間 9:15 → 10:30");
    EXPECT_TRUE(model.index(0, 10).data(Qt::ForegroundRole).isValid());
}

// The window's questions answered in order, each one's text (or title) kept; none left is a test
// failure. A dialog of the window's own is answered by an Act, which fills and closes it.
using Act = std::function<int(QDialog&)>;
struct Answers : Dialogs {
    QVariantList next;
    QStringList asked;
    QStringList labels; // of the texts asked
    QVariant take(const QString& question) {
        asked << question;
        EXPECT_FALSE(next.isEmpty()) << question.toStdString();
        return next.isEmpty() ? QVariant() : next.takeFirst();
    }
    // clang-format off
    Unsaved unsaved(QWidget*, const QString& text) override { return Unsaved(take(text).value<int>()); }
    bool confirm(QWidget*, const QString&, const QString&, const QString& text) override { return take(text).toBool(); }
    void warn(QWidget*, const QString&, const QString& text) override { take(text); }
    std::optional<QString> text(QWidget*, const QString&, const QString& title, const QString& label) override {
        labels << label;
        const QVariant t = take(title);
        return t.isValid() ? std::optional(t.toString()) : std::nullopt;
    }
    QStringList openFiles(QWidget*, const QString& title, const QString&) override { return take(title).toStringList(); }
    QString openFile(QWidget*, const QString& title, const QString&, const QString&) override { return take(title).toString(); }
    int run(QDialog& dialog) override { return take(dialog.objectName()).value<Act>()(dialog); }
    QString folder(QWidget*, const QString& title, const QString&) override { return take(title).toString(); }
    std::optional<int> year(QWidget*, const QString&, const QString& text, int) override {
        const QVariant y = take(text);
        return y.isValid() ? std::optional(y.toInt()) : std::nullopt;
    }
    // clang-format on
};

// The window on copies of the files in a folder of its own (the ledger folder), their records of
// 2026 (from the files' time), once its first report is shown.
struct Bench {
    QTemporaryDir dir;
    Answers answers;
    ReportWindow window{answers};
    explicit Bench(const QList<QByteArray>& files = {contents(kTerminals[0]),
                                                     contents(kTerminals[1])}) {
        QStringList paths;
        for (const QByteArray& bytes : files) {
            paths << dir.filePath(QString("t%1.dat").arg(paths.size()));
            write(paths.last(), bytes, QDate(2026, 2, 1));
        }
        window.addFiles(paths);
        shown();
    }
    // Until the report asked for last is shown.
    void shown() {
        QEventLoop loop;
        QObject::connect(&window, &ReportWindow::reportShown, &loop, &QEventLoop::quit);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    template <class T> T* find(const char* name) {
        T* w = window.findChild<T*>(name);
        EXPECT_TRUE(w) << name;
        return w;
    }
    QString cell(int row, int column) {
        return find<QTableView>("reportTable")->model()->index(row, column).data().toString();
    }
};

QList<Entry> entriesIn(const QString& folder) {
    QList<LedgerProblem> problems;
    return parseEntries(contents(folder + "/" + kEntriesFile), kEntriesFile, problems);
}

// The newest month is most often still running: the window opens on the month before it,
// unless the newest month is the only one with records.
TEST(Workbench, OpensOnTheNewestCompleteMonth) {
    // clang-format off
    const struct { const char* name; QList<QByteArray> files; QDate month; const char* status; } cases[] = {
        {"December before January", {contents(kTerminals[0]), contents(kTerminals[1])}, QDate(2025, 12, 1), "教職員 2名"},
        {"January alone", {"\"A\",\"01/06\",\"8:00\",\"\x8f\x6f\"\r\n\"A\",\"01/06\",\"17:00\",\"\x91\xde\"\r\n"
                           "\"B\",\"01/06\",\"8:00\",\"\x8f\x6f\"\r\n"}, QDate(2026, 1, 1), "教職員 2名　要確認の日がある教職員 1名"}};
    // clang-format on
    for (const auto& c : cases) {
        Bench bench(c.files);
        EXPECT_EQ(bench.find<QDateEdit>("month")->date(), c.month) << c.name;
        EXPECT_EQ(bench.find<QLabel>("status")->text(), c.status);
        EXPECT_FALSE(bench.window.windowIcon().pixmap(16).isNull());
    }
}

// Wherever the cursor is (the year first), an arrow is a month.
TEST(Workbench, MonthArrowsStepMonthsNotYears) {
    MonthEdit month;
    month.setDisplayFormat("yyyy年MM月");
    month.setDate(QDate(2026, 1, 1));
    const auto press = [&](Qt::Key key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&month, &event);
    };
    press(Qt::Key_Up);
    EXPECT_EQ(month.date(), QDate(2026, 2, 1));
    press(Qt::Key_Down), press(Qt::Key_Down);
    EXPECT_EQ(month.date(), QDate(2025, 12, 1));
}

// Saved whole into the folder of the first file; a cell that does not read names its row and
// writes nothing.
TEST(Workbench, SavesTheStaffListOrNamesTheBadCell) {
    Bench bench;
    QAbstractItemModel* rows = bench.find<QTableView>("staffTable")->model();
    const QString file = bench.dir.filePath(kStaffFile);
    // clang-format off
    const struct { const char* name; QStringList cells; const char* fault; } cases[] = {
        {"saved", {"職員A", "6:00", "", "", "", "0:00:00", "2026/4/1", ""}, ""},
        {"no time", {"職員A", "7:4x", "", "", "", "", "", ""}, "職員 1行目: 時刻が読めません「7:4x」"}};

    // clang-format on
    bench.find<QPushButton>("staffAdd")->click();
    for (const auto& c : cases) {
        for (int column = 0; column < c.cells.size(); ++column)
            rows->setData(rows->index(0, column), c.cells[column]);
        const QByteArray before = contents(file);
        bench.find<QPushButton>("staffSave")->click();
        const QString said = bench.find<QLabel>("staffMessage")->text();
        if (*c.fault) {
            EXPECT_TRUE(said.contains(c.fault)) << c.name << said.toStdString();
            EXPECT_EQ(contents(file), before) << c.name;
            continue;
        }
        bench.shown(); // read again with the list
        QList<LedgerProblem> problems;
        const QList<StaffLine> staff = parseStaff(contents(file), kStaffFile, problems);
        ASSERT_EQ(staff.size(), 1) << said.toStdString();
        EXPECT_EQ(staffBytes(staff),
                  staffBytes({{"職員A", {360, -1, -1, -1, 0}, {2026, 4, 1}, {}}}));
    }
}

// A trip on a day without records: refused without a reason (the dialog stays), then appended,
// and the day counts it at once; cancelled by a line of its own, the day is empty again.
TEST(Workbench, WritesAndCancelsADaysEntry) {
    Bench bench;
    QTableView* table = bench.find<QTableView>("reportTable");
    emit table->activated(table->model()->index(1, 0)); // 佐藤　花子's days, as Enter opens them
    const QString day = bench.cell(0, 4);
    QString refused;
    const Act trip = [&](QDialog& d) {
        d.findChild<QLineEdit*>("entryStart")->setText("8:30");
        d.findChild<QLineEdit*>("entryEnd")->setText("17:00");
        QPushButton* ok = d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        ok->click();
        refused = d.result() ? QString() : d.findChild<QLabel*>("entryFault")->text();
        d.findChild<QLineEdit*>("entryReason")->setText("県教育センター研修");
        ok->click();
        return d.result();
    };
    bench.answers.next = {"教頭", QVariant::fromValue(trip)};
    emit table->activated(table->model()->index(0, 0)); // Monday 2025-12-01
    EXPECT_FALSE(refused.isEmpty());
    bench.shown();
    QList<Entry> entries = entriesIn(bench.dir.path());
    ASSERT_EQ(entries.size(), 1);
    EXPECT_TRUE(entryLine(entries[0])
                    .contains(*toCp932("\"教頭\",\"佐藤　花子\",\"2025-12-01\",\"出張\",\"8:30\","
                                       "\"17:00\",\"県教育センター研修\"")));
    EXPECT_EQ(bench.cell(0, 4), "7:45"); // 8:30 less the break

    const Act cancel = [](QDialog& d) {
        d.findChild<QListWidget*>("entryHistory")->setCurrentRow(0);
        d.findChild<QPushButton*>("entryCancel")->click();
        return 0;
    };
    bench.answers.next = {QVariant::fromValue(cancel), "日付の誤り"};
    bench.find<QPushButton>("entryButton")->click();
    bench.shown();
    entries = entriesIn(bench.dir.path());
    ASSERT_EQ(entries.size(), 2);
    EXPECT_TRUE(entries[1].cancels && entries[1].kind == EntryKind::Trip);
    EXPECT_EQ(entries[1].reason, "日付の誤り");
    EXPECT_EQ(bench.cell(0, 4), day);
}

// Closing, clearing or leaving the tab with the staff list edited asks first: キャンセル and a
// save that fails keep everything as it was; 保存しました goes once a cell is edited again.
TEST(Workbench, UnsavedEditsAskFirst) {
    enum Act { Close, Leave, Clear };
    using U = Dialogs::Unsaved;
    // clang-format off
    const struct { const char* name; Act act; U answer; const char* hours; bool kept, saved; } cases[] = {
        {"close, cancel", Close, U::Cancel, "6:00", true, false},
        {"close, discard", Close, U::Discard, "6:00", false, false},
        {"close, save", Close, U::Save, "6:00", false, true},
        {"close, save fails", Close, U::Save, "7:4x", true, false},
        {"leave, cancel", Leave, U::Cancel, "6:00", true, false},
        {"leave, discard", Leave, U::Discard, "6:00", false, false},
        {"clear, cancel", Clear, U::Cancel, "6:00", true, false}};
    // clang-format on
    for (const auto& c : cases) {
        Bench bench;
        auto* tabs = bench.find<QTabWidget>("tabs");
        tabs->setCurrentIndex(1);
        QAbstractItemModel* rows = bench.find<QTableView>("staffTable")->model();
        bench.find<QPushButton>("staffAdd")->click();
        rows->setData(rows->index(0, 0), "職員A");
        rows->setData(rows->index(0, 1), c.hours);
        EXPECT_TRUE(tabs->tabText(1).contains(" *")) << c.name;
        bench.answers.next = {QVariant::fromValue(int(c.answer))};
        bool done = true;
        if (c.act == Close) done = bench.window.close();
        if (c.act == Leave) tabs->setCurrentIndex(0), done = tabs->currentIndex() == 0;
        if (c.act == Clear) {
            bench.find<QPushButton>("clear")->click();
            done = bench.find<QListWidget>("files")->count() == 0;
        }
        EXPECT_EQ(bench.answers.asked,
                  QStringList{"「職員」の変更を保存していません。保存しますか？"})
            << c.name;
        EXPECT_EQ(done, !c.kept) << c.name;
        EXPECT_EQ(rows->rowCount() == 1, c.kept || c.saved) << c.name;
        EXPECT_EQ(QFile::exists(bench.dir.filePath(kStaffFile)), c.saved) << c.name;
        EXPECT_TRUE(!c.kept || tabs->currentIndex() == 1) << c.name;
        if (!c.saved) continue;
        bench.shown();
        rows->setData(rows->index(0, 1), "6:30");
        EXPECT_EQ(bench.find<QLabel>("staffMessage")->text(), "変更を保存していません。");
    }
}

// The CSV saved through its button into the folder answered is the command line's; a month's
// old files are replaced only when the office says so.
TEST(Workbench, SavesTheCommandLinesFilesAskingBeforeReplacing) {
    Bench bench;
    QTemporaryDir window, command;
    runReport({"velmora-report", "-m", "2025-12", "-o", command.path(),
               bench.dir.filePath("t0.dat"), bench.dir.filePath("t1.dat")},
              {[](const QString&) {}, [](const QString&) {}});
    const QString csv = "/在校等時間_2025-12.csv";
    // clang-format off
    const struct { const char* name; QVariantList answers; const char* old; } cases[] = {
        {"new", {window.path()}, ""}, {"kept", {window.path(), false}, "old"}, {"replaced", {window.path(), true}, ""}};
    // clang-format on
    for (const auto& c : cases) {
        if (c.answers.size() > 1) write(window.path() + csv, "old");
        bench.answers.next = c.answers;
        bench.find<QPushButton>("saveCsv")->click();
        EXPECT_TRUE(bench.answers.next.isEmpty()) << c.name;
        EXPECT_EQ(bench.answers.asked.last().contains(window.path() + csv), c.answers.size() > 1);
        EXPECT_EQ(contents(window.path() + csv),
                  *c.old ? QByteArray(c.old) : contents(command.path() + csv));
    }
    EXPECT_EQ(QDir(window.path()).entryList(QDir::Files),
              QDir(command.path()).entryList(QDir::Files));
}

// 年度 shows the school year up to the month shown, a teacher's 時間外 in its month's column
// (在校等時間 over it) and the year's total, the month's 年度累計; its CSV saved through the
// window's button is the command line's `-f year`, and the month's is not written.
TEST(Workbench, TheYearOfTheMonthShownIsShownAndSavedAsTheCommandLines) {
    Bench bench;
    bench.find<QDateEdit>("month")->setDate(QDate(2026, 1, 1));
    bench.shown();
    bench.find<QComboBox>("teacher")->setCurrentIndex(1);
    bench.shown();
    EXPECT_EQ(bench.find<QLabel>("status")->text(), "2025年度（2026-01まで）: 教職員 2名");
    const QAbstractItemModel* year = bench.find<QTableView>("reportTable")->model();
    ASSERT_EQ(year->rowCount(), 2);
    EXPECT_EQ(year->headerData(10, Qt::Horizontal).toString(), "1月");
    const QStringList sato{bench.cell(1, 0), bench.cell(1, 1), bench.cell(1, 10),
                           bench.cell(1, 14)};
    EXPECT_EQ(sato, QStringList({"佐藤　花子", "", "18:30", "23:40"}));
    EXPECT_EQ(year->index(1, 10).data(Qt::ToolTipRole).toString(),
              "在校等時間 41:45　時間外 18:30");
    QTemporaryDir window, command;
    runReport({"velmora-report", "-f", "year", "-m", "2026-01", "-o", command.path(),
               bench.dir.filePath("t0.dat"), bench.dir.filePath("t1.dat")},
              {[](const QString&) {}, [](const QString&) {}});
    bench.answers.next = {window.path()};
    bench.find<QPushButton>("saveCsv")->click();
    EXPECT_EQ(QDir(window.path()).entryList(QDir::Files), QStringList{"在校等時間_2025年度.csv"});
    EXPECT_EQ(contents(window.path() + "/在校等時間_2025年度.csv"),
              contents(command.path() + "/在校等時間_2025年度.csv"));
}

// Started without arguments, the window opens the folders of its last run, or else the
// installation's data folder; of a folder, and of files chosen, the record files only.
TEST(Workbench, OpensTheLastFoldersElseTheDataFolderRecordsOnly) {
    QTemporaryDir data;
    for (const QString& name : {kRecordFile, kRegistryFile, kEntriesFile, kClosingsFile})
        write(data.filePath(name), "");
    const QString record = data.filePath(kRecordFile);
    EXPECT_EQ(foldersAtStart({data.filePath("gone")}, data.filePath("gone")), QStringList());
    const auto opened = [&](const QStringList& chosen) {
        Answers answers;
        answers.next = {chosen};
        ReportWindow window{answers};
        window.openStartFolders(data.path());
        for (QPushButton* button : window.findChildren<QPushButton*>())
            if (!chosen.isEmpty() && button->text() == texts::kAddFilesButton) button->click();
        QStringList files;
        const auto* list = window.findChild<QListWidget*>("files");
        for (int row = 0; row < list->count(); ++row)
            files << QDir::fromNativeSeparators(list->item(row)->text());
        return files;
    };
    QSettings(QStringLiteral("Velmora"), QStringLiteral("velmora-report")).clear();
    EXPECT_EQ(opened({data.filePath(kRegistryFile)}), QStringList{record});
    Bench bench;
    EXPECT_EQ(opened({}),
              QStringList({bench.dir.filePath("t0.dat"), bench.dir.filePath("t1.dat")}));
}

// A link and a file dated 2031 in the folder: each listed with its reason, the report made of
// the rest; the far file's year asked once, and with it given that file counts too.
TEST(Workbench, OneBadFileIsOneFile) {
    const struct {
        const char* name;
        QVariant year;
        int teachers;
    } cases[] = {{"no year", QVariant(), 2}, {"2025", 2025, 3}};
    for (const auto& c : cases) {
        Bench bench(QList<QByteArray>{});
        write(bench.dir.filePath("t.dat"), contents(kTerminals[0]), QDate(2026, 2, 1));
        write(bench.dir.filePath("far.dat"),
              "\"C\",\"12/01\",\"8:00\",\"\x8f\x6f\"\r\n\"C\",\"12/01\",\"17:00\",\"\x91\xde\"\r\n",
              QDate(2031, 2, 1));
        ASSERT_TRUE(QFile::link(kTerminals[1], bench.dir.filePath("x.dat")));
        bench.answers.next = {bench.dir.path(), c.year};
        bench.find<QPushButton>("addFolder")->click();
        bench.shown();
        EXPECT_EQ(bench.answers.asked.size(), 2) << c.name; // the folder, then far.dat's year
        EXPECT_EQ(bench.find<QLabel>("status")->text(), QString("教職員 %1名").arg(c.teachers));
        QStringList listed;
        for (QListWidgetItem* item :
             bench.find<QListWidget>("files")->findItems("", Qt::MatchContains))
            if (item->text().contains("除きました"))
                listed << QFileInfo(item->text().section(u'　', 0, 0)).fileName();
        EXPECT_EQ(listed.join(u' '), c.year.isValid() ? "x.dat" : "far.dat x.dat") << c.name;
    }
}

// A folder of school folders offers 教育委員会, its schools as rows; a school's row opens its
// files.
TEST(Workbench, BoardFolderShowsSchoolsAndOpensOne) {
    Bench bench(QList<QByteArray>{});
    const QDir board(bench.dir.path());
    for (const char* school : {"east", "west"}) {
        board.mkdir(school);
        write(board.filePath(school + QString("/t.dat")), contents(kTerminals[0]),
              QDate(2026, 2, 1));
    }
    bench.find<QDateEdit>("month")->setDate(QDate(2025, 12, 1));
    bench.shown();
    bench.answers.next = {board.path()};
    bench.find<QPushButton>("addFolder")->click();
    bench.shown();
    auto* show = bench.find<QComboBox>("teacher");
    EXPECT_EQ(show->currentText(), "教育委員会");
    EXPECT_EQ(QStringList({bench.cell(0, 0), bench.cell(1, 0), bench.cell(2, 0)}),
              QStringList({"east", "west", "教育委員会計"}));
    EXPECT_EQ(bench.find<QLabel>("status")->text(),
              "2025-12: 学校 2校　教職員 4名　除いた学校 0校");
    auto* table = bench.find<QTableView>("reportTable");
    emit table->activated(table->model()->index(1, 0));
    bench.shown();
    ASSERT_EQ(bench.find<QListWidget>("files")->count(), 1);
    EXPECT_TRUE(bench.find<QListWidget>("files")->item(0)->text().contains("west"));
    EXPECT_EQ(show->currentIndex(), 0);
    EXPECT_EQ(bench.find<QLabel>("status")->text(), "教職員 2名");
    EXPECT_EQ(show->itemText(show->count() - 1), "教育委員会"); // still offered
}

// A name with no records this school year is asked about with the nearest one; no is nothing
// written.
TEST(Workbench, EntryNameWithoutRecordsNamesTheNearest) {
    QTemporaryDir dir;
    Answers answers;
    answers.next = {false, true};
    EntryDialog dialog(answers, QDir(dir.path()), {}, {"佐藤　健"}, {"佐藤　健"}, "教頭", "佐藤健",
                       QDate(2026, 7, 1));
    dialog.findChild<QLineEdit*>("entryStart")->setText("9:00");
    dialog.findChild<QLineEdit*>("entryEnd")->setText("12:00");
    dialog.findChild<QLineEdit*>("entryReason")->setText("研修");
    dialog.accept();
    EXPECT_TRUE(entriesIn(dir.path()).isEmpty());
    dialog.accept();
    EXPECT_EQ(entriesIn(dir.path()).size(), 1);
    EXPECT_EQ(answers.asked.value(0), "「佐藤健」には今年度の記録がありません。近い氏名の記録: "
                                      "「佐藤　健」。このまま記入しますか？");
}

// January has days to correct: they are listed, and without a reason nothing is closed; with
// one, a 締め.dat that cannot be written is said in a warning and on the status line.
TEST(Workbench, ClosingWithDaysToCorrectNeedsAReason) {
    // clang-format off
    const struct { const char* name; QVariant reason; const char* said; } cases[] = {
        {"no reason", QVariant(), "理由がないため締めませんでした。"},
        {"a folder in 締め.dat's place", "冬休み明けに確認", "月を締められませんでした: "}};
    // clang-format on
    for (const auto& c : cases) {
        Bench bench;
        bench.find<QDateEdit>("month")->setDate(QDate(2026, 1, 1));
        bench.shown();
        ASSERT_TRUE(QDir(bench.dir.path()).mkdir(kClosingsFile));
        bench.answers.next = {"教頭", c.reason};
        if (c.reason.isValid()) bench.answers.next << QVariant();
        bench.find<QPushButton>("closeMonth")->click();
        EXPECT_TRUE(bench.answers.labels.value(1).contains("佐藤　花子　2026-01-13　出のみ"))
            << c.name;
        EXPECT_TRUE(bench.find<QLabel>("status")->text().startsWith(c.said)) << c.name;
        EXPECT_TRUE(bench.answers.next.isEmpty()) << c.name;
        EXPECT_TRUE(QFileInfo(bench.dir.filePath(kClosingsFile)).isDir()) << c.name;
    }
}

// An entry dated in a closed month is asked about and, once allowed, listed with 締め後 as
// written after the closing.
TEST(Workbench, AnEntryInAClosedMonthIsAllowedAfterAWarning) {
    QTemporaryDir dir;
    Answers answers;
    answers.next = {false, true};
    EntryDialog dialog(answers, QDir(dir.path()), {}, {"佐藤　健"}, {"佐藤　健"}, "教頭",
                       "佐藤　健", QDate(2026, 7, 8));
    Closing july;
    july.month = QDate(2026, 7, 1), july.at = QDateTime(QDate(2026, 8, 3), QTime(17, 0));
    dialog.setClosings({july});
    dialog.findChild<QComboBox*>("entryKind")->setCurrentIndex(4); // 退訂正
    dialog.findChild<QLineEdit*>("entryEnd")->setText("19:00");
    dialog.findChild<QLineEdit*>("entryReason")->setText("退勤の記録漏れ");
    dialog.accept();
    EXPECT_TRUE(entriesIn(dir.path()).isEmpty());
    dialog.accept();
    EXPECT_EQ(entriesIn(dir.path()).size(), 1);
    EXPECT_TRUE(answers.asked.value(0).startsWith("2026年7月は締め済みです。"));
    EntryDialog again(answers, QDir(dir.path()), entriesIn(dir.path()), {}, {}, "教頭", "佐藤　健",
                      QDate(2026, 7, 8));
    again.setClosings({july});
    const QListWidgetItem* listed = again.findChild<QListWidget*>("entryHistory")->item(0);
    ASSERT_TRUE(listed);
    EXPECT_TRUE(listed->text().endsWith("締め後")) << listed->text().toStdString();
}

// Every line of the file is a row; those the reader cannot use are marked, written back byte
// for byte, and gone only when deleted.
TEST(Lists, KeepEveryLineTheReaderCannotUse) {
    QTemporaryDir dir;
    const QByteArray bad = *toCp932("職員B,7時,,,,,,"), open = QString("\"職員C,8:00").toUtf8();
    write(dir.filePath(kStaffFile),
          "\xEF\xBB\xBF" + QString("氏名\r\n職員A,7:45\r\n").toUtf8() + bad + "\r\n" + open + "\n");
    LedgerSheet sheet(LedgerSheet::Kind::Staff);
    sheet.load(QDir(dir.path()));
    ASSERT_EQ(sheet.rowCount(), 3);
    EXPECT_EQ(sheet.problemAt(0), "");
    EXPECT_EQ(sheet.problemAt(1), "時刻が読めません「7時」");
    EXPECT_EQ(sheet.index(2, 0).data().toString(), "\"職員C,8:00");
    sheet.appendRow();
    sheet.setData(sheet.index(3, 0), "職員D");
    ASSERT_EQ(sheet.save(QDir(dir.path())).status, LedgerSheet::Saving::Saved);
    EXPECT_TRUE(contents(dir.filePath(kStaffFile)).contains("\r\n" + bad + "\r\n" + open + "\r\n"));
    EXPECT_EQ(sheet.rowCount(), 4);
    sheet.removeRowAt(1);
    ASSERT_EQ(sheet.save(QDir(dir.path())).status, LedgerSheet::Saving::Saved);
    EXPECT_FALSE(contents(dir.filePath(kStaffFile)).contains(bad));
    EXPECT_TRUE(contents(dir.filePath(kStaffFile)).contains(open));
}

// A file that cannot be read is said so and never saved over; rows the reader would refuse
// are never written; another of the school's files failing leaves the list alone.
TEST(Lists, SaveNothingTheReaderCouldNotReadBack) {
    using Kind = LedgerSheet::Kind;
    enum Put { Nothing, Folder, Link, Bytes };
    // clang-format off
    const struct { const char* name; Kind kind; QString place; Put put; QByteArray bytes; QStringList row; const char* said; } rows[] = {
        {"a folder in its place", Kind::Staff, kStaffFile, Folder, {}, {"職員A"}, "通常のファイルではありません"},
        {"a link", Kind::Staff, kStaffFile, Link, {}, {"職員A"}, "通常のファイルではありません"},
        {"too large", Kind::Staff, kStaffFile, Bytes, QByteArray(17 << 20, 'a'), {"職員A"}, "16MiB"},
        {"申告.dat a folder", Kind::Staff, kEntriesFile, Folder, {}, {"職員A"}, ""},
        {"a date twice", Kind::Calendar, kCalendarFile, Bytes, "2026-04-11,7:45,a\r\n", {"2026/4/11", "0:00"}, "年間予定 2行目: 同じ日付が2行目にも"},
        {"a tab in a name", Kind::Staff, kStaffFile, Nothing, {}, {"職員\tA"}, "氏名に記録できない"},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QDir folder(dir.path());
        if (row.put == Folder) folder.mkdir(row.place);
        if (row.put == Link) QFile::link(folder.filePath("x"), folder.filePath(row.place));
        if (row.put == Bytes) write(folder.filePath(row.place), row.bytes);
        const QString file = folder.filePath(row.kind == Kind::Staff ? kStaffFile : kCalendarFile);
        const QByteArray before = contents(file);
        LedgerSheet sheet(row.kind);
        sheet.load(folder);
        const int rows = sheet.rowCount();
        sheet.appendRow();
        for (int c = 0; c < row.row.size(); ++c) sheet.setData(sheet.index(rows, c), row.row[c]);
        const LedgerSheet::Saving saving = sheet.save(folder);
        EXPECT_TRUE(saving.message.contains(row.said)) << saving.message.toStdString();
        EXPECT_EQ(saving.status == LedgerSheet::Saving::Saved, !*row.said);
        if (*row.said)
            EXPECT_EQ(contents(file), before);
        else
            EXPECT_EQ(sheet.rowCount(), rows + 1);
    }
}

// Two office PCs: the second save finds the file changed, writes nothing, and after reading
// the file again saves its own row after the other's.
TEST(Lists, ASaveNeverOverwritesAnotherPCs) {
    QTemporaryDir dir;
    const QDir folder(dir.path());
    write(folder.filePath(kStaffFile), "職員A\r\n");
    LedgerSheet a(LedgerSheet::Kind::Staff), b(LedgerSheet::Kind::Staff);
    a.load(folder);
    b.load(folder);
    for (auto [sheet, name] : {std::pair{&a, "田中"}, std::pair{&b, "山田"}}) {
        sheet->appendRow();
        sheet->setData(sheet->index(1, 0), name);
    }
    ASSERT_EQ(a.save(folder).status, LedgerSheet::Saving::Saved);
    const QByteArray saved = contents(folder.filePath(kStaffFile));
    EXPECT_EQ(b.save(folder).status, LedgerSheet::Saving::Changed);
    EXPECT_EQ(contents(folder.filePath(kStaffFile)), saved);
    b.reloadKeepingEdits(folder);
    EXPECT_TRUE(b.modified());
    ASSERT_EQ(b.save(folder).status, LedgerSheet::Saving::Saved);
    QList<LedgerProblem> problems;
    QStringList names;
    for (const StaffLine& s :
         parseStaff(contents(folder.filePath(kStaffFile)), kStaffFile, problems))
        names << s.name;
    EXPECT_EQ(names, QStringList({"職員A", "田中", "山田"}));
}

// A staff name the terminals never wrote is named on saving with the nearest record name; one
// they wrote is not.
TEST(Lists, ASavedNameWithoutRecordsNamesTheNearest) {
    QTemporaryDir dir;
    Answers answers;
    ListTab tab(answers, LedgerSheet::Kind::Staff, "staff");
    tab.setFolder(dir.path());
    tab.setRecordedNames({"佐藤　健", "鈴木"});
    for (const char* name : {"佐藤健", "鈴木"}) {
        tab.sheet().appendRow();
        tab.sheet().setData(tab.sheet().index(tab.sheet().rowCount() - 1, 0), name);
    }
    ASSERT_TRUE(tab.save());
    const QString said = tab.findChild<QLabel*>("staffMessage")->text();
    EXPECT_TRUE(said.endsWith("今年度の記録がない氏名: 「佐藤健」（近い記録: "
                              "「佐藤　健」）（カードの氏名と同じか確かめてください）"))
        << said.toStdString();
}

// A FIFO is refused at once, twice over (once it blocked the window for good); the title
// shows unsaved edits.
TEST(Lists, AnImportRefusesAFifoAtOnce) {
    QTemporaryDir dir;
    Answers answers;
    ListTab tab(answers, LedgerSheet::Kind::Staff, "staff");
    tab.setFolder(dir.path());
    const QString fifo = dir.filePath("fifo.csv");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QLabel* said = tab.findChild<QLabel*>("staffMessage");
    for (int i = 0; i < 2; ++i) {
        answers.next = {fifo};
        tab.findChild<QPushButton*>("staffImport")->click();
        EXPECT_TRUE(said->text().contains("通常のファイルではありません"));
    }
    EXPECT_EQ(tab.title(), "職員");
    tab.sheet().appendRow();
    EXPECT_EQ(tab.title(), "職員 *");
    EXPECT_TRUE(tab.hasUnsavedEdits());
}

} // namespace

// A QApplication of its own on the offscreen platform, its home, settings and runtime folder
// temporary.
int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
