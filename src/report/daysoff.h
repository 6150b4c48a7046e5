#pragma once
// The school's closure days for the report: a UTF-8 text file, one YYYY-MM-DD a line; blank
// lines and lines starting with # are left out.

#include <QDate>
#include <QSet>
#include <QString>

namespace velmora {

// Read as the record files are, from the end in bounded blocks; a FIFO, a device or a folder
// is refused before it is read. A line that is no date throws Failure naming the first one.
QSet<QDate> readDaysOff(const QString& path);

} // namespace velmora
