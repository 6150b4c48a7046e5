#pragma once
// Readable attendance records in failure messages.

#include "attendance.h"

#include <QStringList>
#include <ostream>

namespace velmora {
inline void PrintTo(const AttendanceRecord& r, std::ostream* os) {
    *os << QStringList{r.name, r.date, r.time, r.kind}.join(u'|').toStdString();
}
} // namespace velmora
