#pragma once
// A tab of the window for one of the school's lists (the staff list, the calendar): the rows
// to edit, a row added or removed, a CSV that Excel saved taken in, and the whole file saved
// into the ledger folder (the folder of the first record file). The tab reads its own file:
// a fault in another of the school's files never empties it.

#include "reportwindow/dialogs.h"
#include "reportwindow/ledgersheet.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QWidget>

class QLabel;
class QStringListModel;
class QProgressDialog;
class QPushButton;
class QTableView;

namespace velmora {

class ListTab : public QWidget {
    Q_OBJECT
public:
    // The widgets' object names start with `prefix`: "staffTable", "staffSave", …; `dialogs`
    // chooses the file to import and outlives the tab.
    ListTab(Dialogs& dialogs, LedgerSheet::Kind kind, const QString& prefix,
            QWidget* parent = nullptr);
    ~ListTab() override;

    // Where the list is read from and saved; empty: nowhere yet, and nothing can be edited.
    // Another folder drops the rows of the one before (the window asks first).
    void setFolder(const QString& folder);
    // The report was read again: the file too, when it changed and the rows hold no edits.
    void showLines(const Ledger& ledger = {});
    LedgerSheet& sheet() { return sheet_; }

    // For the window's questions on closing, another folder or leaving the tab.
    bool hasUnsavedEdits() const { return sheet_.modified(); }
    // "職員", or "職員 *" with unsaved edits.
    QString title() const;
    // Saves the rows; false, with the reason shown in the tab, when nothing was written.
    bool save();
    // The edits dropped: the file as it is.
    void discard();
    // The names the terminals wrote this school year: offered as a staff name is typed, and
    // a saved name with none of them named with the nearest, so that no teacher of no records
    // is made by a space or a width.
    void setRecordedNames(const QStringList& names);

signals:
    void saved();
    void modifiedChanged(bool modified);
    // An import has ended (taken, refused or stopped).
    void importDone();

private:
    struct Imported {
        QList<ListLine> lines;
        QString fault;
    };
    void importFile();
    // A CSV taken in: refused at once unless a regular file within the size limit, read in
    // the background with a progress dialog that can stop it.
    void importPath(const QString& path);
    void imported();
    void listProblems(const QString& file, const QList<ListLine>& lines);
    void say(const QString& text, bool fault = false);
    void enable();

    Dialogs& dialogs_;
    LedgerSheet sheet_;
    QString folder_;
    QTableView* table_;
    QLabel* message_;
    QPushButton* reload_;
    QList<QPushButton*> buttons_;
    QPushButton* saveButton_ = nullptr;
    QStringList recorded_;
    QStringListModel* recordedModel_;
    QFutureWatcher<Imported> importing_;
    QString importName_;
    QPointer<QProgressDialog> progress_;
};

} // namespace velmora
