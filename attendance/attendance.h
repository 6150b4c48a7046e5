#pragma once
// The attendance record file and the arrival and leaving operations.

#include "datafiles.h"

#include <QString>
#include <string_view>

namespace velmora {

class Form1;

struct AttendanceRecord {
    QString name;
    QString date; // MM/DD
    QString time;
    QString kind; // "出" or "退"

    friend bool operator==(const AttendanceRecord&, const AttendanceRecord&) = default;
};

inline const QString kArrival = QStringLiteral("出");
inline const QString kLeaving = QStringLiteral("退");

// The user's last record in the file's bytes (name compared exactly); all fields empty when
// the user has none. Incomplete records are skipped.
AttendanceRecord lastRecordIn(std::string_view records, const QString& name);
AttendanceRecord FindLastRecord(const DataFolder& files, const QString& name);
// The same, reading the file from its end `blockSize` bytes at a time (or more, for a long
// line); the search stops at the user's last record. A missing file holds no record.
AttendanceRecord FindLastRecord(const DataFolder& files, const QString& name, qint64 blockSize);

// Appends one record line; it is on the disk when this returns. Faults throw Failure.
void AppendRecord(const DataFolder& files, const AttendanceRecord& record);

// Computed times from the clock text H:MM:SS: an arrival rounds down to five minutes and
// keeps the hour as the clock gives it; a leaving goes on to the next multiple of five,
// with a two-digit hour, and 23:55 gives 24:00.
QString arrivalTime(const QString& clockText);
QString leavingTime(const QString& clockText);

void ClockIn(Form1& form);
void ClockOut(Form1& form);

} // namespace velmora
