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
// Whether the entry was written after the latest closing of the month its date lies in (of the
// closings the report read: its own month's).
bool writtenAfterClosing(const Entry& entry, const MonthReport& report);
// Takes the month's closings from the report's ledger and compares each teacher and day with
// the latest: its state, and for what changed the figures at closing.
void compareWithClosings(MonthReport& report);
// The figures a closing keeps of a day and of a teacher's month.
ClosedFigures closedFigures(const Day& day);
ClosedFigures closedFigures(const TeacherMonth& teacher);
// Whether closing the month takes a reason: it was closed before, or days still ask for a
// correction.
bool needsReason(const MonthReport& report);
// Those days, each "山田 花子　2026-07-03　出のみ".
QStringList daysToCorrect(const MonthReport& report);
// Appends a closing of the report's month to report.ledger.folder's 締め.dat (locked, flushed,
// whole or not at all, like appendEntry). Throws Failure, also without a reason needsReason()
// asks for.
void closeMonth(const MonthReport& report, const QString& by, const QString& reason,
                const QDateTime& at);

} // namespace velmora
