#pragma once
// The attendance record file "Velmora.dat": one record a line, only ever appended to.

#include "storage/datafiles.h"

#include <QString>
#include <string_view>

namespace velmora {

struct AttendanceRecord {
    QString name;
    QString date; // MM/DD
    QString time;
    QString kind; // "出" or "退"

    friend bool operator==(const AttendanceRecord&, const AttendanceRecord&) = default;
};

// A record line's fields: name, MM/DD, time, kind. The kind as text and as the file holds it
// (CP932), which the report compares without decoding.
inline constexpr size_t kRecordFields = 4;
inline const QString kArrival = QStringLiteral("出");
inline const QString kLeaving = QStringLiteral("退");
inline constexpr std::string_view kArrivalBytes = "\x8f\x6f";
inline constexpr std::string_view kLeavingBytes = "\x91\xde";

// The user's last record (name compared exactly); all fields empty when the user has none.
// Incomplete records are skipped. A missing file holds no record.
AttendanceRecord findLastRecord(const DataFolder& files, const QString& name,
                                qint64 blockSize = 64 * 1024);
// The same over lines at hand.
AttendanceRecord lastRecordIn(BackwardLineReader& lines, const QString& name);

// Appends one record line; it is on the disk when this returns. Faults throw Failure. Then,
// under the same lock, chains it in "Velmora.chain" (recordchain/chain.h).
void appendRecord(const DataFolder& files, const AttendanceRecord& record);

// Computed times from the clock text H:MM:SS: an arrival rounds down to five minutes and
// keeps the hour as the clock gives it; a leaving goes on to the next multiple of five,
// with a two-digit hour, and 23:55 gives 24:00.
QString arrivalTime(const QString& clockText);
QString leavingTime(const QString& clockText);

} // namespace velmora
