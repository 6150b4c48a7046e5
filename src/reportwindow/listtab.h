#pragma once
// A tab of the window for one of the school's lists (the staff list, the calendar): the rows
// to edit, a row added or removed, a CSV that Excel saved taken in, and the whole file saved
// into the ledger folder (the folder of the first record file).

#include "reportwindow/ledgersheet.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTableView;

namespace velmora {

class ListTab : public QWidget {
    Q_OBJECT
public:
    // The widgets' object names start with `prefix`: "staffTable", "staffSave", ….
    ListTab(LedgerSheet::Kind kind, const QString& prefix, QWidget* parent = nullptr);

    // Where the list is saved; empty: nowhere yet, and nothing can be edited.
    void setFolder(const QString& folder);
    // The lines the report was computed with, unless the rows hold unsaved changes.
    void showLines(const Ledger& ledger);
    LedgerSheet& sheet() { return sheet_; }
    // The rows saved, or false with the reason shown in the tab.
    bool save();

signals:
    void saved();

private:
    void importFile();
    void say(const QString& text, bool fault = false);

    LedgerSheet sheet_;
    QString folder_;
    QTableView* table_;
    QLabel* message_;
    QList<QPushButton*> buttons_;
};

} // namespace velmora
