#pragma once
// The report's window: record files or a folder in, a month chosen, the summary or a
// teacher's days shown, the sheets previewed and printed, the CSV, XLSX and PDF saved. All
// the work is the report library's; the window only asks and shows. The files are read in
// the background, so the window stays responsive, with the library's progress in a dialog.

#include "report/report.h"
#include "report/sheets.h"
#include "reportwindow/reportmodel.h"

#include <QFutureWatcher>
#include <QMainWindow>
#include <atomic>
#include <memory>

class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QProgressDialog;
class QPushButton;
class QTableView;

namespace velmora {

class ReportWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ReportWindow(QWidget* parent = nullptr);
    ~ReportWindow() override;

private:
    // A report read in the background, or why there is none.
    struct Built {
        MonthReport report;
        QString failure;
    };

    void addFiles(const QStringList& files);
    void rebuild();
    void built();
    void showProgress(int percent);
    void choose(int teacher);
    void askFiles();
    void askFolder();
    void askSave(Formats formats);
    void preview();
    void showNotices(const MonthReport& report);
    void listWarnings();

    ReportModel model_;
    QStringList files_;
    bool monthChosen_ = false; // else the month of the newest record
    QFutureWatcher<Built> building_;
    std::shared_ptr<std::atomic_bool> stop_; // the running build's
    bool reading_ = false;                   // until its report is shown
    bool rebuildAgain_ = false;              // the choice changed while it ran
    QListWidget* fileList_;
    QDateEdit* month_;
    QComboBox* teacher_;
    QTableView* table_;
    QLabel* message_;
    QWidget* notices_; // what the reading left out or assumed; hidden when nothing
    QLabel* noticeText_;
    QPushButton* warningsButton_;
    QProgressDialog* progress_ = nullptr;
};

} // namespace velmora
