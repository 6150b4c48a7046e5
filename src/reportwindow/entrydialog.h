#pragma once
// The dialog of an entry on a teacher's day: a trip, telework, self-study, a correction of
// the arrival or the leaving, or leave, appended to the ledger folder's entries; the day's
// entries so far listed with what cancelled them, and one of them cancelled by an entry of
// its own (nothing is ever deleted).

#include "ledger/ledger.h"
#include "reportwindow/dialogs.h"

#include <QDialog>
#include <QDir>
#include <QHash>
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
    // `entries` those the report was computed with; `known` the names offered (with records
    // or on the staff list); `recorded` those with records in the school year (another name
    // is asked about, with the nearest of them); `writer` 記入者.
    EntryDialog(Dialogs& dialogs, const QDir& folder, const QList<Entry>& entries,
                const QStringList& known, const QStringList& recorded, const QString& writer,
                const QString& name, QDate date, QWidget* parent = nullptr);

    void accept() override;
    // The school's closings: an entry dated in a closed month is asked about first, and one
    // written after its month's closing is listed with 締め後.
    void setClosings(const QList<Closing>& closings);

signals:
    // An entry was appended: the report is out of date.
    void appended();

private:
    void listDay();
    void cancelChosen();
    // Appends `entry`, or says why not; true when it was appended.
    bool append(const Entry& entry);
    Entry stamped() const;
    // False when `date` lies in a closed month and the office says no.
    bool allowedOn(QDate date);
    void index(qsizetype entry);

    Dialogs& dialogs_;
    QDir folder_;
    QList<Entry> entries_;
    // The entries of a person's day, in the file's order: a cancellation is of the same
    // person and day, so a day's states need no more than these, however many the file holds.
    QHash<std::pair<QString, qint64>, QList<qsizetype>> byDay_;
    QStringList recorded_;
    QSet<QString> recordedSet_;
    QString writer_;
    QList<EntryState> listed_; // the day's, as listed
    QList<Closing> closings_;
    QLineEdit* name_;
    QDateEdit* date_;
    QComboBox* kind_;
    QLineEdit* start_;
    QLineEdit* end_;
    QLineEdit* reason_;
    QListWidget* history_;
    QLabel* fault_;
};

} // namespace velmora
