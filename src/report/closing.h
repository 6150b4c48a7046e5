#pragma once
// A month closed (締め): its figures kept in 締め.dat with a fingerprint of everything they came
// from, so that a later report, or anyone holding the printed sheet years later, can tell
// whether the school's files still give the same sheet.

#include "report/report.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace velmora {

// Its first 12 characters, as the sheets print it.
QString shortFingerprint(const QString& hex);
// "未締め" / "締め済み" / "締め後に変更".
QString closingStateText(ClosingState state);
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
