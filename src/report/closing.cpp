#include "report/closing.h"

#include "texts/texts.h"

namespace velmora {

QString shortFingerprint(const QString& hex) { return hex.left(12); }

QString closingStateText(ClosingState state) { return texts::kClosingStates.value(int(state)); }

QStringList changeTexts(const Day&) { return {}; }

bool writtenAfterClosing(const Entry&, const MonthReport&) { return false; }

void closeMonth(const MonthReport&, const QString&, const QString&, const QDateTime&) {}

} // namespace velmora
