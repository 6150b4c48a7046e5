#pragma once
// The terminal's side of the chain: each record it appends is chained while the record file
// is still locked, so that two PCs on one folder chain in the record file's order.

#include <QString>

namespace velmora {

class DataFolder;
class OsFile;

// Chains the record whose line begins at `recordStart` of `records`, the locked record file
// `recordFile` of `files`, and first any record before it the chain lacks (a chain append that
// failed, or records of a terminal that kept no chain), marked late. The chain's lines are
// appended whole or not at all. A fault is logged and leaves the chain as it was, for the next
// append to catch up: the record stands, and is what counts.
void chainAppendedRecord(const DataFolder& files, const QString& recordFile, const OsFile& records,
                         qint64 recordStart);

} // namespace velmora
