#pragma once
// Rules on the clock's texts: H:MM:SS (or HH:MM:SS) and YYYY/MM/DD.

#include <QString>

namespace velmora {

// HH:MM with two-digit hour and minute; compared with "12:00" as a string.
QString currentTimeText(const QString& clockText);

// The last two characters of the clock text as a number, 0 to 59.
int secondsValue(const QString& clockText);

// MM/DD: the last five characters of the date text.
inline QString recordDate(const QString& dateText) { return dateText.right(5); }

// Arrival before noon, leaving from "12:00" on.
inline bool isMorning(const QString& currentTime) { return currentTime < QStringLiteral("12:00"); }

} // namespace velmora
