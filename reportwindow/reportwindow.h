#pragma once
// The report's window: record files or a folder in, a month chosen, the summary or a
// teacher's days shown, the sheets previewed and printed, the CSV, XLSX and PDF saved. All
// the work is the report library's; the window only asks and shows.

#include "report/report.h"
#include "report/sheets.h"
#include "reportwindow/reportmodel.h"

#include <QMainWindow>

class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QTableView;

namespace velmora {

class ReportWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ReportWindow(QWidget* parent = nullptr);

    void addFiles(const QStringList& files);
    void setMonth(QDate month);
    // -1: the summary; else the teacher's days.
    void showTeacher(int teacher);
    // The chosen files into `folder`; false with the message shown when it fails.
    bool saveTo(const QString& folder, Formats formats);
    const ReportModel& model() const { return model_; }
    QString message() const;

private:
    void rebuild();
    void choose(int teacher);
    void askFiles();
    void askFolder();
    void askSave(Formats formats);
    void preview();

    ReportModel model_;
    QStringList files_;
    bool monthChosen_ = false; // else the month of the newest record
    QListWidget* fileList_;
    QDateEdit* month_;
    QComboBox* teacher_;
    QTableView* table_;
    QLabel* message_;
};

} // namespace velmora
