#pragma once
// 月を締める… as the window asks it, and what the window says of a closed month: the
// confirmation lists the days still to correct, and closing with them, or closing again,
// needs a reason; an entry dated in a closed month is allowed after a warning.

#include "ledger/ledger.h"
#include "report/report.h"
#include "reportwindow/dialogs.h"

#include <QDateTime>
#include <QString>

class QWidget;

namespace velmora {

struct ClosingOutcome {
    bool closed = false;
    QString said; // for the window's status line
};

// Asks through `dialogs` and closes the report's month as `by` at `at`; nothing is closed when
// the office says no or gives no reason where one is needed, or when the closing fails (said
// in a warning too).
ClosingOutcome askClosing(Dialogs& dialogs, QWidget* parent, const MonthReport& report,
                          const QString& by, const QDateTime& at);

// The status line's addition for the month: 締め済み or 締め後に変更 with when and by whom, and
// the teachers changed since, each 「…」; empty for a month never closed.
QString monthClosingNotice(const MonthReport& report);

// Whether `date` lies in a month closed at least once.
bool inClosedMonth(const QList<Closing>& closings, QDate date);
// writtenAfterClosing() for an entry of any month, from all the closings.
bool afterClosing(const Entry& entry, const QList<Closing>& closings);

} // namespace velmora
