#include "ledger/ledger.h"

namespace velmora {

QString LedgerProblem::text() const { return {}; }
QString entryKindName(EntryKind, bool) { return {}; }
Ledger readLedger(const QDir& folder) { return {folder.path(), {}, {}, {}, {}}; }
QList<StaffLine> parseStaff(const QByteArray&, const QString&, QList<LedgerProblem>&) { return {}; }
QList<CalendarLine> parseCalendar(const QByteArray&, const QString&, QList<LedgerProblem>&) {
    return {};
}
QList<Entry> parseEntries(const QByteArray&, const QString&, QList<LedgerProblem>&) { return {}; }
std::optional<QByteArray> staffBytes(const QList<StaffLine>&, QString*) { return {}; }
std::optional<QByteArray> calendarBytes(const QList<CalendarLine>&, QString*) { return {}; }
void writeStaff(const QDir&, const QList<StaffLine>&) {}
void writeCalendar(const QDir&, const QList<CalendarLine>&) {}
std::optional<QString> entryFault(const Entry&) { return {}; }
QByteArray entryLine(const Entry&) { return {}; }
void appendEntry(const QDir&, const Entry&) {}
QList<EntryState> entryStates(const QList<Entry>&, QList<LedgerProblem>*) { return {}; }

} // namespace velmora
