#pragma once
// The dialog of an entry on a teacher's day: a trip, telework, self-study, a correction of
// the arrival or the leaving, or leave, appended to the ledger folder's entries; the day's
// entries so far listed with what cancelled them, and one of them cancelled by an entry of
// its own (nothing is ever deleted).

#include "ledger/ledger.h"

#include <QDialog>
#include <QDir>
#include <QSet>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;

namespace velmora {

class EntryDialog : public QDialog {
    Q_OBJECT
public:
    // `entries` those the report was computed with; `known` the names with records or on the
    // staff list (another name is asked about); `writer` 記入者.
    EntryDialog(const QDir& folder, const QList<Entry>& entries, const QStringList& known,
                const QString& writer, const QString& name, QDate date, QWidget* parent = nullptr);

    void accept() override;

signals:
    // An entry was appended: the report is out of date.
    void appended();

private:
    void listDay();
    void cancelChosen();
    // Appends `entry`, or says why not; true when it was appended.
    bool append(const Entry& entry);
    Entry stamped() const;

    QDir folder_;
    QList<Entry> entries_;
    QSet<QString> known_;
    QString writer_;
    QList<EntryState> listed_; // the day's, as listed
    QComboBox* name_;
    QDateEdit* date_;
    QComboBox* kind_;
    QLineEdit* start_;
    QLineEdit* end_;
    QLineEdit* reason_;
    QListWidget* history_;
    QLabel* fault_;
};

} // namespace velmora
