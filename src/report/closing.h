#pragma once
// A month closed (締め): its figures and fingerprints kept in 締め.dat, and each report of the
// month compared with the latest closing, so that a sheet sent away can be checked years later.

#include "ledger/ledger.h"
#include "report/month.h"
#include "report/report.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace velmora {

QString shortFingerprint(const QString& hex); // its first 12 characters, as the sheets print it
QString closingStateText(ClosingState state); // "未締め" / "締め済み" / "締め後に変更"
// A changed day's differences, each "在校等時間 9:15 → 10:30" (also 出, 退, 時間外, 所定); empty
// when unchanged.
QStringList changeTexts(const Day& day);
// Whether the entry was written after the latest closing of the month its date lies in.
bool writtenAfterClosing(const Entry& entry, const MonthReport& report);
// Appends a closing of the report's month to report.ledger.folder's 締め.dat (locked, flushed,
// whole or not at all, like appendEntry). Throws Failure.
void closeMonth(const MonthReport& report, const QString& by, const QString& reason,
                const QDateTime& at);

} // namespace velmora
