#pragma once
// The report's window, the office's workbench: record files or a folder in, a month chosen,
// the summary or a teacher's days shown, the sheets previewed and printed, the CSV, XLSX and
// PDF saved; a day's entries written and cancelled; the staff list and the calendar edited in
// tabs of their own. All the work is the report and ledger libraries'; the window only asks
// and shows. The files are read in the background, so the window stays responsive, with the
// library's progress in a dialog.

#include "report/report.h"
#include "reportwindow/dialogs.h"
#include "reportwindow/reportmodel.h"
#include "reportwindow/yearview.h"
#include "saving/saving.h"

#include <QDateEdit>
#include <QFutureWatcher>
#include <QMainWindow>
#include <atomic>
#include <memory>

class QComboBox;
class QLabel;
class QLayout;
class QListWidget;
class QProgressDialog;
class QPushButton;
class QTabWidget;
class QTableView;

namespace velmora {

class BoardView;
class ListTab;

// A month: its arrows and the wheel step months, wherever the cursor is, never years.
class MonthEdit : public QDateEdit {
    Q_OBJECT
public:
    using QDateEdit::QDateEdit;
    void stepBy(int steps) override { setDate(date().addMonths(steps)); }

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};

class ReportWindow : public QMainWindow {
    Q_OBJECT
public:
    // `dialogs` asks every question of the window and its dialogs; it outlives the window.
    explicit ReportWindow(Dialogs& dialogs, QWidget* parent = nullptr);
    ~ReportWindow() override;

    void addFiles(const QStringList& files);
    // At a start without arguments: the record files of the folders of the last run, or else
    // of the installation's data folder (startfolders.h).
    void openStartFolders(const QString& dataFolder);

signals:
    // A report (or why there is none) is shown: the reading asked for last is done.
    void reportShown();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A report read in the background, or why there is none; the files left out of it.
    struct Built {
        MonthReport report;
        QString failure;
        QList<FileFault> faults{};
    };

    // The window's parts, each made and wired once.
    QLayout* fileRow();
    QLayout* choiceRow();
    void setUpTable();
    void setUpNotices();
    QLayout* actionRow();
    void setUpTabs(QWidget* report);
    // The files or the month changed: read again, the month looked for anew unless chosen.
    void reread();
    // The edits of `tabs` not yet saved, saved or dropped as the office answers: false when
    // they are kept (キャンセル, or a save that failed) and whatever was to come must not.
    bool settleEdits(const QList<ListTab*>& tabs);
    void tabChosen(int index);
    void markUnsaved();
    // A file left out for its year: its last record's year asked, once; true when given.
    bool askYears(const QList<FileFault>& faults);
    void listFiles(const QList<FileFault>& faults);
    void rebuild();
    void built();
    void present(const Built& result);
    void showProgress(int percent);
    void choose(int teacher);
    void showYear();
    void fitColumns();
    void activated(const QModelIndex& index);
    bool askWriter();
    void askEntry(int day);
    void askClose();
    void askFiles();
    void askFolder();
    // A board's folder of schools: 教育委員会 offered and shown; a school's row opens its files.
    bool offerBoard(const QString& folder);
    void showBoard();
    void openSchool(const QString& folder);
    // The record files' folders, offered again at the next start.
    void rememberFolders() const;
    void askSave(Formats formats);
    void preview();
    void showNotices(const MonthReport& report);
    void listWarnings();
    // The school's files beside the first record file; empty without files.
    QString ledgerFolder() const;
    // The month shown stays when the report is read again after an entry or a list saved.
    void recompute();

    Dialogs& dialogs_;
    ReportModel model_;
    YearView year_;
    QStringList files_;
    QHash<QString, int> lastYears_; // as given for files whose year was not known
    QStringList yearAsked_;
    QList<FileFault> faults_; // of the report shown
    Ledger ledger_;           // the lists' lines as shown, for edits dropped
    int shownTab_ = 0;
    bool monthChosen_ = false; // else the newest complete month
    // While the month before the newest record's is read: the newest month's report, shown
    // when that month has no records.
    std::optional<Built> newest_;
    QDate probing_;
    QFutureWatcher<Built> building_;
    std::shared_ptr<std::atomic_bool> stop_; // the running build's
    bool reading_ = false;                   // until its report is shown
    bool rebuildAgain_ = false;              // the choice changed while it ran
    QString writer_;                         // 記入者, asked once
    QTabWidget* tabs_;
    QListWidget* fileList_;
    MonthEdit* month_;
    QComboBox* teacher_;
    QPushButton* entryButton_;
    QTableView* table_;
    QLabel* message_;
    QWidget* notices_; // what the reading left out or assumed; hidden when nothing
    QLabel* noticeText_;
    QPushButton* warningsButton_;
    ListTab* staffTab_;
    ListTab* calendarTab_;
    QProgressDialog* progress_ = nullptr;
    BoardView* board_;
};

} // namespace velmora
