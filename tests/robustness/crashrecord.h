#pragma once
// The record the crash test's writer appends as number n: both sides compute it, so the
// test knows every line that may be in the file and in which order. Lines differ in
// length (and a name holds a comma) so that kills land at varied points of a write.

#include "attendance.h"

#include <QString>

namespace velmora::test {

inline AttendanceRecord crashRecord(long long n) {
    const QString name = QStringLiteral("職員%1, ").arg(n) + QString(int(n % 41), QChar(u'漢'));
    const QString date = QStringLiteral("%1/%2")
                             .arg(int(n / 28 % 12) + 1, 2, 10, QChar(u'0'))
                             .arg(int(n % 28) + 1, 2, 10, QChar(u'0'));
    const QString time =
        QStringLiteral("%1:%2").arg(int(n / 12 % 24)).arg(int(n % 12) * 5, 2, 10, QChar(u'0'));
    return {name, date, time, n % 2 == 0 ? kArrival : kLeaving};
}

} // namespace velmora::test
