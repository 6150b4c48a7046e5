#include "records/recordfile.h"

#include "recordchain/chainwriter.h"
#include "storage/cp932.h"
#include "storage/fields.h"
#include "storage/names.h"
#include "texts/texts.h"

namespace velmora {

AttendanceRecord lastRecordIn(BackwardLineReader& lines, const QString& name) {
    // Names are compared as stored; one the file cannot hold was never written to it.
    const auto wanted = toCp932(name);
    std::string_view fields[kRecordFields];
    if (!wanted || !lastLineStartingWith(lines, view(*wanted), fields, kRecordFields)) return {};
    return {fromCp932(fields[0]), fromCp932(fields[1]), fromCp932(fields[2]), fromCp932(fields[3])};
}

AttendanceRecord findLastRecord(const DataFolder& files, const QString& name, qint64 blockSize) {
    // Start-up creates the file; should it have gone since, it holds no record, and the
    // next append makes it again as a restart would.
    auto lines = files.linesFromEnd(kRecordFile, blockSize);
    return lines ? lastRecordIn(*lines, name) : AttendanceRecord{};
}

void appendRecord(const DataFolder& files, const AttendanceRecord& record) {
    const QString fields[] = {record.name, record.date, record.time, record.kind};
    QByteArray encoded[4];
    for (int i = 0; i < 4; ++i) {
        // Written anyway, such a field would read back altered or spoil the line.
        if (!isStorableName(fields[i]))
            throw Failure(i == 0 ? texts::kUnstorableName
                                 : texts::kUnstorableField.arg(kRecordFile, fields[i]));
        encoded[i] = *toCp932(fields[i]);
    }
    // Chained under the record's lock, so that another PC's record cannot come between.
    files.appendLine(kRecordFile, quotedLine({encoded[0], encoded[1], encoded[2], encoded[3]}),
                     [&](const OsFile& locked, qint64 lineStart) {
                         chainAppendedRecord(files, kRecordFile, locked, lineStart);
                     });
}

QString arrivalTime(const QString& clockText) {
    // The hour, the colon and two minute digits: 8:07 of 8:07:59.
    const qsizetype colon = clockText.indexOf(u':');
    const QString hm = clockText.left(colon + 3);
    int m = hm.right(2).toInt();
    m -= m % 5;
    return hm.left(colon + 1) + QStringLiteral("%1").arg(m, 2, 10, QChar(u'0'));
}

QString leavingTime(const QString& clockText) {
    const qsizetype colon = clockText.indexOf(u':');
    const QString hm = clockText.left(colon + 3);
    int m = hm.right(2).toInt();
    m += 5 - m % 5;
    int h = hm.left(colon).toInt();
    // The day does not roll over: a leaving just before midnight is 24:00 of today.
    if (m == 60) ++h, m = 0;
    return QStringLiteral("%1:%2").arg(h, 2, 10, QChar(u'0')).arg(m, 2, 10, QChar(u'0'));
}

} // namespace velmora
